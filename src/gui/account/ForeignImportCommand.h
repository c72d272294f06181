#pragma once

#include "core/migrate/ImportedEntries.h"

#include <QObject>
#include <optional>

namespace velmora {

class AccountLists;
class AccountSession;
class CommandTable;

// Account ▸ Import ▸ From another password manager: a KeePass 2 XML or CSV export's groups join
// the open account as new folders, saved as any other change. Characters the code page cannot hold
// are written as "?" only after the user says Yes.
class ForeignImportCommand final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ForeignImportCommand)

public:
    ForeignImportCommand(AccountSession& session, AccountLists& lists, CommandTable& commands);

    void mImportForeignClick();

private:
    // The imported groups as new folders of the open account; nothing when none were added (the
    // user said No, or the account would hold too many folders).
    std::optional<ImportSummary> AddFolders(const ImportedEntries& imported);

    AccountSession& m_session;
    AccountLists& m_lists;
};

} // namespace velmora
