#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <optional>

class QDialog;

namespace velmora {

// Every platform service the forms use goes through one of these interfaces, so a test can
// answer the questions from a script and see every message that was shown.

enum class MessageKind
{
    Warning,
    Error,
    Information,
    Confirmation,
    Plain // no icon: a text shown as it is
};

enum class Answer
{
    Yes,
    No,
    Cancel
};

class MessageService
{
public:
    virtual ~MessageService() = default;
    // A modal box with the icon of its kind and one OK button; CR and CR LF are line breaks.
    virtual void ShowMessage(MessageKind kind, const QString& text) = 0;
    // A modal question with the buttons Yes and No; closing the box answers No.
    virtual Answer AskYesNo(const QString& text) = 0;
    // The same with the warning icon, for what cannot be undone (a deletion, an overwrite).
    virtual Answer AskYesNoWarning(const QString& text) = 0;
    // A modal question with the buttons Yes, No and Cancel; closing the box answers Cancel.
    virtual Answer AskYesNoCancel(const QString& text) = 0;
};

class InputService
{
public:
    virtual ~InputService() = default;
    // A single-line input box; nothing when it was cancelled.
    virtual std::optional<QString> InputBox(const QString& caption, const QString& prompt, const QString& value,
                                            bool secret) = 0;
};

class FileDialogService
{
public:
    virtual ~FileDialogService() = default;
    // `filter` is "Description|*.ext" as the language files write it. Nothing when cancelled.
    virtual std::optional<QString> OpenFile(const QString& caption, const QString& directory,
                                            const QString& filter) = 0;
    virtual std::optional<QString> SaveFile(const QString& caption, const QString& directory, const QString& fileName,
                                            const QString& filter) = 0;
    virtual std::optional<QString> BrowseFolder(const QString& caption, const QString& directory) = 0;
};

class ClipboardService
{
public:
    virtual ~ClipboardService() = default;
    // `secret` asks clipboard history tools to skip the text.
    virtual void SetText(const QString& text, bool secret) = 0;
    virtual QString Text() const = 0;
};

class ShellService
{
public:
    virtual ~ShellService() = default;
    // Opens a file, directory or address with the desktop's handler. The target is passed as
    // one argument and never through a command line; failures are not reported.
    virtual void Open(const QString& target) = 0;
};

class CounterService
{
public:
    virtual ~CounterService() = default;
    // A high-resolution tick count for seeding, and its ticks per second.
    virtual std::int64_t Ticks() const = 0;
    virtual std::int64_t Frequency() const = 0;
};

// A font together with its text colour, as the font dialog edits them.
struct FontChoice
{
    QFont font;
    QColor color;
};

class FontColorDialogService
{
public:
    virtual ~FontColorDialogService() = default;
    // The font dialog, started at `initial`; nothing when it was cancelled.
    virtual std::optional<FontChoice> ChooseFont(const FontChoice& initial) = 0;
    // The colour dialog, started at `initial`; nothing when it was cancelled.
    virtual std::optional<QColor> ChooseColor(const QColor& initial) = 0;
};

class DialogService
{
public:
    virtual ~DialogService() = default;
    // Shows a form modally and returns its result code when it closes.
    virtual int RunModal(QDialog& dialog) = 0;
};

// The services a form is given.
struct Platform
{
    MessageService& messages;
    InputService& input;
    FileDialogService& files;
    ClipboardService& clipboard;
    ShellService& shell;
    CounterService& counter;
    DialogService& dialogs;
    FontColorDialogService& fontColorDialogs;
};

} // namespace velmora
