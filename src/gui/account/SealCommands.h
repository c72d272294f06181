#pragma once

#include <QObject>
#include <optional>

namespace velmora {

class AccountSession;
class CommandTable;

// Account ▸ Protection: seals the open account's files, or writes them back in the plain format
// the Windows program reads, each after the user's Yes.
class SealCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SealCommands)

public:
    // Connects and enables the menu items mSeal and mUnseal.
    SealCommands(AccountSession& session, CommandTable& commands, QObject* parent);

    void mSealClick();
    void mUnsealClick();

private:
    // Asks `questionKey` about the open account; Yes runs `change` and tells how it went.
    template <typename Change> void AskAndChange(const char* questionKey, const char* doneKey, Change change);

    AccountSession& m_session;
};

} // namespace velmora
