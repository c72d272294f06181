#pragma once

#include "core/settings/IniLang.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>
#include <string_view>

class QObject;
class QWidget;

namespace velmora {

// The forms a language file translates, each its own section, in the order they are translated.
inline constexpr std::array<std::string_view, 11> kTranslatedForms = {
    "frmAbout",  "frmAccountSet", "frmFolder", "frmMain", "frmOptions", "frmPassGen",
    "frmRecord", "frmTray",       "frmUser",   "frmFind", "frmHealth"};

// The program's forms that exist now (windows named after a form), in translation order. A
// form that has not been built yet is simply not there; translation goes by names, so a form
// is translated from the moment it exists.
QList<QWidget*> ExistingForms();

// The components of a form in creation order, nested controls and menu items included. Other
// forms (windows of their own, parented to this one) are left to their own sections.
QList<QObject*> FormComponents(QWidget& form);

// The properties a language file can set on a component.
enum class TextProperty
{
    Caption, // labels, buttons, check and radio boxes, menus and menu items, group boxes, tab pages
    Hint     // the tool tip of any control or menu item
};

// The component's text of that property; nothing when the component has no such property.
std::optional<QString> GetTextProperty(const QObject& component, TextProperty property);

// Sets the text when `value` is not empty and the component has that property; otherwise does
// nothing, so translation never clears a text.
void SetTextProperty(QObject& component, TextProperty property, const QString& value);

// The item list of a combo box, or of a radio group (a group box holding radio buttons: its
// items are those buttons in creation order). Zero for other components.
int ItemCount(const QObject& component);
void SetItemText(QObject& component, int index, const QString& value);

// A form text of the language document as a widget shows it: the file's single CR line breaks
// become Qt's LF.
QString FormText(const IniLang& lang, std::string_view form, std::string_view entry);

// Sets the forms' captions and their components' captions, hints and items from the document.
// Missing or empty entries leave the texts as they are. Every label of the forms shows its text
// as plain text from then on, whatever the text looks like.
void TranslateForms(const QList<QWidget*>& forms, const IniLang& lang);

} // namespace velmora
