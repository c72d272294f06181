#include "platform/ScriptedPlatform.h"

#include <QDialog>

namespace velmora::testing {

void ScriptedPlatform::ShowMessage(MessageKind kind, const QString& text)
{
    messages.push_back({kind, text});
    if (whileShown) {
        whileShown(text);
    }
}

Answer ScriptedPlatform::NextAnswer(const QString& text, Answer unanswered)
{
    questions << text;
    if (whileShown) {
        whileShown(text);
    }
    if (answers.empty()) {
        ++unscripted;
        return unanswered;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

Answer ScriptedPlatform::AskYesNo(const QString& text)
{
    return NextAnswer(text, Answer::No);
}

Answer ScriptedPlatform::AskYesNoWarning(const QString& text)
{
    warnings << text;
    return NextAnswer(text, Answer::No);
}

Answer ScriptedPlatform::AskYesNoCancel(const QString& text)
{
    return NextAnswer(text, Answer::Cancel);
}

std::optional<QString> ScriptedPlatform::Next(std::deque<QString>& script)
{
    if (script.empty()) {
        ++unscripted;
        return std::nullopt;
    }
    const QString answer = script.front();
    script.pop_front();
    if (answer.isNull()) {
        return std::nullopt;
    }
    return answer;
}

std::optional<QString> ScriptedPlatform::InputBox(const QString&, const QString& prompt, const QString&, bool secret)
{
    questions << prompt;
    inputSecret = secret;
    return Next(inputs);
}

std::optional<QString> ScriptedPlatform::OpenFile(const QString&, const QString& directory, const QString&)
{
    dialogFolders << directory;
    return Next(files);
}

std::optional<QString> ScriptedPlatform::SaveFile(const QString&, const QString& directory, const QString&,
                                                  const QString&)
{
    dialogFolders << directory;
    return Next(files);
}

std::optional<QString> ScriptedPlatform::BrowseFolder(const QString&, const QString& directory)
{
    dialogFolders << directory;
    return Next(files);
}

void ScriptedPlatform::SetText(const QString& text, bool secret)
{
    clipboardText = text;
    clipboardSecret = secret;
}

std::optional<FontChoice> ScriptedPlatform::ChooseFont(const FontChoice& initial)
{
    fontsOffered.push_back(initial);
    return Next(fonts);
}

std::optional<QColor> ScriptedPlatform::ChooseColor(const QColor& initial)
{
    colorsOffered.push_back(initial);
    return Next(colors);
}

int ScriptedPlatform::RunModal(QDialog& dialog)
{
    ++modalRuns;
    dialog.setResult(0);
    dialog.show();
    if (!modalScripts.empty()) {
        auto script = std::move(modalScripts.front());
        modalScripts.pop_front();
        script(dialog);
    }
    if (dialog.isVisible()) {
        dialog.reject();
    }
    return dialog.result();
}

} // namespace velmora::testing
