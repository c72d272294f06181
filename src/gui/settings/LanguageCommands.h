#pragma once

class QObject;

namespace velmora {

class AccountSession;
class CommandTable;

// The language submenu: back to Default.lng, or a language file chosen from Languages/.
class LanguageCommands final
{
public:
    LanguageCommands(AccountSession& session, CommandTable& commands, QObject& owner);
    LanguageCommands(const LanguageCommands&) = delete;
    LanguageCommands& operator=(const LanguageCommands&) = delete;

    void mEngClick();
    void mLanSelectClick();

private:
    AccountSession& m_session;
};

} // namespace velmora
