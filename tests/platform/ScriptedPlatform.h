#pragma once

#include "platform/Platform.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace velmora::testing {

// Platform services for tests: questions, input boxes and file dialogs are answered from
// scripts queued beforehand, every message and question is recorded, and a modal form runs a
// scripted action instead of a nested event loop.
class ScriptedPlatform final : public MessageService,
                               public InputService,
                               public FileDialogService,
                               public ClipboardService,
                               public ShellService,
                               public CounterService,
                               public DialogService,
                               public FontColorDialogService
{
public:
    struct Shown
    {
        MessageKind kind;
        QString text;
        bool operator==(const Shown&) const = default;
    };

    Platform Services() { return Platform{*this, *this, *this, *this, *this, *this, *this, *this}; }

    // Scripts, used in order. A question without a scripted answer is recorded in
    // `unscripted` and answered with No (or Cancel).
    std::deque<Answer> answers;
    // Input box texts and chosen files; a null QString is a Cancel.
    std::deque<QString> inputs;
    std::deque<QString> files;
    // The folder each file dialog started in.
    QStringList dialogFolders;
    // Runs inside RunModal while the form is shown; without one the form closes at once.
    std::deque<std::function<void(QDialog&)>> modalScripts;
    // Runs while each message and question is up, before its answer: what else happens then.
    std::function<void(const QString& text)> whileShown;
    // Answers of the font and colour dialogs; nothing is a Cancel.
    std::deque<std::optional<FontChoice>> fonts;
    std::deque<std::optional<QColor>> colors;

    // What happened.
    std::vector<Shown> messages;
    QStringList questions;
    // The questions asked with the warning icon, also in `questions`.
    QStringList warnings;
    bool inputSecret = false; // the last input box hid what was typed
    int unscripted = 0;
    QStringList opened;
    QString clipboardText;
    bool clipboardSecret = false;
    int modalRuns = 0;
    // What the font and colour dialogs were started at, in order.
    std::vector<FontChoice> fontsOffered;
    std::vector<QColor> colorsOffered;

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
    QString Text() const override { return clipboardText; }
    void Open(const QString& target) override { opened << target; }
    std::int64_t Ticks() const override { return 123456789; }
    std::int64_t Frequency() const override { return 1'000'000'000; }
    int RunModal(QDialog& dialog) override;
    std::optional<FontChoice> ChooseFont(const FontChoice& initial) override;
    std::optional<QColor> ChooseColor(const QColor& initial) override;

private:
    Answer NextAnswer(const QString& text, Answer unanswered);
    template <typename T> std::optional<T> Next(std::deque<std::optional<T>>& script)
    {
        if (script.empty()) {
            ++unscripted;
            return std::nullopt;
        }
        std::optional<T> answer = std::move(script.front());
        script.pop_front();
        return answer;
    }
    std::optional<QString> Next(std::deque<QString>& script);
};

} // namespace velmora::testing
