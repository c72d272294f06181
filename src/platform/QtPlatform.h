#pragma once

#include "platform/Platform.h"

#include <QElapsedTimer>

namespace velmora {

// The platform services of the desktop program, on Qt.
class QtPlatform final : public MessageService,
                         public InputService,
                         public FileDialogService,
                         public ClipboardService,
                         public ShellService,
                         public CounterService,
                         public DialogService,
                         public FontColorDialogService
{
public:
    QtPlatform();
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    Platform Services() { return Platform{*this, *this, *this, *this, *this, *this, *this, *this}; }

    void ShowMessage(MessageKind kind, const QString& text) override;
    Answer AskYesNo(const QString& text) override;
    Answer AskYesNoWarning(const QString& text) override;
    Answer AskYesNoCancel(const QString& text) override;

    std::optional<QString> InputBox(const QString& caption, const QString& prompt, const QString& value,
                                    bool secret) override;

    std::optional<QString> OpenFile(const QString& caption, const QString& directory, const QString& filter) override;
    std::optional<QString> SaveFile(const QString& caption, const QString& directory, const QString& fileName,
                                    const QString& filter) override;
    std::optional<QString> BrowseFolder(const QString& caption, const QString& directory) override;

    void SetText(const QString& text, bool secret) override;
    QString Text() const override;

    void Open(const QString& target) override;

    std::int64_t Ticks() const override;
    std::int64_t Frequency() const override;

    int RunModal(QDialog& dialog) override;

    std::optional<FontChoice> ChooseFont(const FontChoice& initial) override;
    std::optional<QColor> ChooseColor(const QColor& initial) override;

private:
    QElapsedTimer m_clock;
};

// "Description|*.a;*.b|Other|*.c" as Qt's name filter "Description (*.a *.b);;Other (*.c)".
QString QtFileFilter(const QString& filter);

// CR LF and single CR as the LF that Qt's widgets break lines at.
QString WithQtLineBreaks(QString text);

// A tool tip that shows `text` as it is: Qt takes a tip that looks like markup for markup, so such
// a text goes escaped.
QString PlainToolTip(const QString& text);

} // namespace velmora
