#include "platform/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace velmora {
namespace {

QWidget* ActiveParent()
{
    return QApplication::activeWindow();
}

QMessageBox::Icon IconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Plain:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton Ask(const QString& text, QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton escape, QMessageBox::Icon icon = QMessageBox::Question)
{
    QMessageBox box(icon, QApplication::applicationName(), WithQtLineBreaks(text), buttons, ActiveParent());
    box.setTextFormat(Qt::PlainText);
    box.setEscapeButton(escape);
    const int result = box.exec();
    return result == QMessageBox::Yes || result == QMessageBox::No || result == QMessageBox::Cancel
               ? static_cast<QMessageBox::StandardButton>(result)
               : escape;
}

// Qt's font dialog has no text colour: this one adds a colour button below it, so a font is
// chosen with its colour in one dialog.
class FontAndColorDialog final : public QDialog
{
public:
    FontAndColorDialog(const FontChoice& initial, QWidget* parent) : QDialog(parent), m_color(initial.color)
    {
        setWindowTitle(QFontDialog::tr("Select Font"));
        m_fonts = new QFontDialog(initial.font, this);
        m_fonts->setWindowFlags(Qt::Widget);
        m_fonts->setOptions(QFontDialog::NoButtons);
        m_swatch = new QLabel(this);
        m_swatch->setFixedSize(40, 20);
        m_swatch->setFrameShape(QFrame::Box);
        m_swatch->setAutoFillBackground(true);
        auto* change = new QPushButton(QColorDialog::tr("Select Color"), this);
        change->setAutoDefault(false);
        connect(change, &QPushButton::clicked, this, [this] {
            const QColor chosen = QColorDialog::getColor(m_color, this);
            if (chosen.isValid()) {
                m_color = chosen;
                ShowColor();
            }
        });
        auto* colorRow = new QHBoxLayout;
        colorRow->addWidget(m_swatch);
        colorRow->addWidget(change);
        colorRow->addStretch(1);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_fonts);
        layout->addLayout(colorRow);
        layout->addWidget(buttons);
        ShowColor();
    }

    FontChoice Choice() const { return FontChoice{m_fonts->currentFont(), m_color}; }

private:
    void ShowColor()
    {
        QPalette palette = m_swatch->palette();
        palette.setColor(QPalette::Window, m_color);
        m_swatch->setPalette(palette);
    }

    QFontDialog* m_fonts = nullptr;
    QLabel* m_swatch = nullptr;
    QColor m_color;
};

} // namespace

QString QtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

QString WithQtLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString PlainToolTip(const QString& text)
{
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

QtPlatform::QtPlatform()
{
    m_clock.start();
}

void QtPlatform::ShowMessage(MessageKind kind, const QString& text)
{
    QMessageBox box(IconOf(kind), QApplication::applicationName(), WithQtLineBreaks(text), QMessageBox::Ok,
                    ActiveParent());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Answer QtPlatform::AskYesNo(const QString& text)
{
    return Ask(text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes ? Answer::Yes
                                                                                              : Answer::No;
}

Answer QtPlatform::AskYesNoWarning(const QString& text)
{
    return Ask(text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, QMessageBox::Warning) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

Answer QtPlatform::AskYesNoCancel(const QString& text)
{
    switch (Ask(text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<QString> QtPlatform::InputBox(const QString& caption, const QString& prompt, const QString& value,
                                            bool secret)
{
    QInputDialog dialog(ActiveParent());
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    // The dialog has no text format of its own: its prompt is the one label it holds.
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        label->setTextFormat(Qt::PlainText);
    }
    dialog.setTextEchoMode(secret ? QLineEdit::Password : QLineEdit::Normal);
    dialog.setTextValue(value);
    return dialog.exec() == QDialog::Accepted ? std::optional<QString>(dialog.textValue()) : std::nullopt;
}

std::optional<QString> QtPlatform::OpenFile(const QString& caption, const QString& directory, const QString& filter)
{
    const QString file = QFileDialog::getOpenFileName(ActiveParent(), caption, directory, QtFileFilter(filter));
    return file.isEmpty() ? std::nullopt : std::optional<QString>(file);
}

std::optional<QString> QtPlatform::SaveFile(const QString& caption, const QString& directory, const QString& fileName,
                                            const QString& filter)
{
    // The callers ask about replacing an existing file themselves.
    const QString file = QFileDialog::getSaveFileName(ActiveParent(), caption, QDir(directory).filePath(fileName),
                                                      QtFileFilter(filter), nullptr, QFileDialog::DontConfirmOverwrite);
    return file.isEmpty() ? std::nullopt : std::optional<QString>(file);
}

std::optional<QString> QtPlatform::BrowseFolder(const QString& caption, const QString& directory)
{
    const QString folder = QFileDialog::getExistingDirectory(ActiveParent(), caption, directory);
    return folder.isEmpty() ? std::nullopt : std::optional<QString>(folder);
}

void QtPlatform::SetText(const QString& text, bool secret)
{
    auto* data = new QMimeData;
    data->setText(text);
    if (secret) {
        data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    }
    QApplication::clipboard()->setMimeData(data);
}

QString QtPlatform::Text() const
{
    return QApplication::clipboard()->text();
}

void QtPlatform::Open(const QString& target)
{
    const QUrl url = QUrl::fromUserInput(target, QDir::currentPath(), QUrl::AssumeLocalFile);
    if (url.isValid()) {
        QDesktopServices::openUrl(url);
    }
}

std::int64_t QtPlatform::Ticks() const
{
    return m_clock.nsecsElapsed();
}

std::int64_t QtPlatform::Frequency() const
{
    return 1'000'000'000;
}

int QtPlatform::RunModal(QDialog& dialog)
{
    return dialog.exec();
}

std::optional<FontChoice> QtPlatform::ChooseFont(const FontChoice& initial)
{
    FontAndColorDialog dialog(initial, ActiveParent());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Choice();
}

std::optional<QColor> QtPlatform::ChooseColor(const QColor& initial)
{
    const QColor chosen = QColorDialog::getColor(initial, ActiveParent());
    return chosen.isValid() ? std::optional<QColor>(chosen) : std::nullopt;
}

} // namespace velmora
