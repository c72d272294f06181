#pragma once

#include <QObject>

namespace velmora {

class AccountLists;
class AccountSession;
class CommandTable;

// Account ▸ Import ▸ From another password manager: a KeePass 2 XML or KeePassXC CSV file's
// groups join the open account as new folders, saved as any other change.
class ForeignImportCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ForeignImportCommand)

public:
    ForeignImportCommand(AccountSession& session, AccountLists& lists, CommandTable& commands);

    void mImportForeignClick();

private:
    AccountSession& m_session;
    AccountLists& m_lists;
};

} // namespace velmora
