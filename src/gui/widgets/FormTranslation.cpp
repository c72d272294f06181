#include "gui/widgets/FormTranslation.h"

#include "gui/widgets/CodePageText.h"
#include "platform/QtPlatform.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <string>

namespace velmora {
namespace {

void AddComponents(QObject& parent, QList<QObject*>& components)
{
    for (QObject* child : parent.children()) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        // Menus are popup windows, but they belong to the form that owns them.
        if (widget != nullptr && widget->isWindow() && qobject_cast<const QMenu*>(widget) == nullptr) {
            continue;
        }
        components << child;
        AddComponents(*child, components);
    }
}

// The tab widget that shows `page` as one of its pages, if any.
QTabWidget* TabsOfPage(const QWidget& page)
{
    auto* stack = qobject_cast<QStackedWidget*>(page.parentWidget());
    auto* tabs = stack != nullptr ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs != nullptr && tabs->indexOf(&page) >= 0 ? tabs : nullptr;
}

QList<QRadioButton*> RadioItems(const QObject& component)
{
    const auto* group = qobject_cast<const QGroupBox*>(&component);
    return group != nullptr ? group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly) : QList<QRadioButton*>();
}

std::optional<QString> Caption(const QObject& component)
{
    if (const auto* menu = qobject_cast<const QMenu*>(&component)) {
        return menu->title();
    }
    if (const auto* action = qobject_cast<const QAction*>(&component)) {
        return action->text();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&component)) {
        return button->text();
    }
    if (const auto* label = qobject_cast<const QLabel*>(&component)) {
        return label->text();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(&component)) {
        return group->title();
    }
    if (const auto* page = qobject_cast<const QWidget*>(&component)) {
        if (const QTabWidget* tabs = TabsOfPage(*page)) {
            return tabs->tabText(tabs->indexOf(page));
        }
    }
    return std::nullopt;
}

void SetCaption(QObject& component, const QString& value)
{
    if (auto* menu = qobject_cast<QMenu*>(&component)) {
        menu->setTitle(value);
    } else if (auto* action = qobject_cast<QAction*>(&component)) {
        action->setText(value);
    } else if (auto* button = qobject_cast<QAbstractButton*>(&component)) {
        button->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(&component)) {
        label->setText(value);
    } else if (auto* group = qobject_cast<QGroupBox*>(&component)) {
        group->setTitle(value);
    } else if (auto* page = qobject_cast<QWidget*>(&component)) {
        if (QTabWidget* tabs = TabsOfPage(*page)) {
            tabs->setTabText(tabs->indexOf(page), value);
        }
    }
}

// Labels show texts of language files and accounts, never markup that would draw them otherwise
// or put links into them.
void ShowPlainText(QObject& component)
{
    if (auto* label = qobject_cast<QLabel*>(&component)) {
        label->setTextFormat(Qt::PlainText);
    }
}

} // namespace

QList<QWidget*> ExistingForms()
{
    const QWidgetList widgets = QApplication::allWidgets();
    QList<QWidget*> forms;
    for (const std::string_view name : kTranslatedForms) {
        const QString formName = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        for (QWidget* widget : widgets) {
            if (widget->isWindow() && widget->objectName() == formName) {
                forms << widget;
            }
        }
    }
    return forms;
}

QList<QObject*> FormComponents(QWidget& form)
{
    QList<QObject*> components;
    AddComponents(form, components);
    return components;
}

std::optional<QString> GetTextProperty(const QObject& component, TextProperty property)
{
    if (property == TextProperty::Caption) {
        return Caption(component);
    }
    if (const auto* widget = qobject_cast<const QWidget*>(&component)) {
        return widget->toolTip();
    }
    if (const auto* action = qobject_cast<const QAction*>(&component)) {
        return action->toolTip();
    }
    return std::nullopt;
}

void SetTextProperty(QObject& component, TextProperty property, const QString& value)
{
    if (value.isEmpty()) {
        return;
    }
    if (property == TextProperty::Caption) {
        SetCaption(component, value);
    } else if (auto* widget = qobject_cast<QWidget*>(&component)) {
        widget->setToolTip(PlainToolTip(value));
    } else if (auto* action = qobject_cast<QAction*>(&component)) {
        action->setToolTip(PlainToolTip(value));
    }
}

int ItemCount(const QObject& component)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(&component)) {
        return combo->count();
    }
    return static_cast<int>(RadioItems(component).size());
}

void SetItemText(QObject& component, int index, const QString& value)
{
    if (value.isEmpty() || index < 0 || index >= ItemCount(component)) {
        return;
    }
    if (auto* combo = qobject_cast<QComboBox*>(&component)) {
        combo->setItemText(index, value);
    } else {
        RadioItems(component)[index]->setText(value);
    }
}

QString FormText(const IniLang& lang, std::string_view form, std::string_view entry)
{
    return FromCodePage(lang.ReadFormText(form, entry)).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

void TranslateForms(const QList<QWidget*>& forms, const IniLang& lang)
{
    for (QWidget* form : forms) {
        const std::string section = form->objectName().toStdString();
        const QString caption = FormText(lang, section, "Caption");
        if (!caption.isEmpty()) {
            form->setWindowTitle(caption);
        }
        for (QObject* component : FormComponents(*form)) {
            ShowPlainText(*component);
            const std::string name = component->objectName().toStdString();
            if (name.empty()) {
                continue;
            }
            SetTextProperty(*component, TextProperty::Caption, FormText(lang, section, name + ".Caption"));
            SetTextProperty(*component, TextProperty::Hint, FormText(lang, section, name + ".Hint"));
            const int items = ItemCount(*component);
            for (int i = 0; i < items; ++i) {
                SetItemText(*component, i, FormText(lang, section, name + ".items[" + std::to_string(i) + "]"));
            }
        }
    }
}

} // namespace velmora
