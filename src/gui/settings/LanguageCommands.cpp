#include "gui/settings/LanguageCommands.h"

#include "core/settings/LanguageChoice.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"

namespace velmora {

LanguageCommands::LanguageCommands(AccountSession& session, CommandTable& commands, QObject& owner) : m_session(session)
{
    commands.Bind("mEng", owner, [this] { mEngClick(); });
    commands.Bind("mLanSelect", owner, [this] { mLanSelectClick(); });
}

void LanguageCommands::mEngClick()
{
    m_session.SetLanguageFile({});
}

void LanguageCommands::mLanSelectClick()
{
    const std::filesystem::path folder = m_session.ProgramFilesDir() / kLanguagesDirectoryName;
    const std::optional<QString> file = m_session.Services().files.OpenFile(
        QString(), QString::fromStdU16String(folder.u16string()), m_session.Message("const_lng_fil"));
    if (file && !file->isEmpty()) {
        m_session.SetLanguageFile(file->toStdU16String());
    }
}

} // namespace velmora
