#pragma once

#include "core/vault/Account.h"

#include <QObject>
#include <string>
#include <string_view>

namespace velmora {

class AccountLists;
class AccountSession;
class CommandTable;

// Copies a field of the selected record to the clipboard, and shows or empties the clipboard.
class ClipboardCommands final : public QObject
{
    Q_DISABLE_COPY_MOVE(ClipboardCommands)

public:
    ClipboardCommands(AccountSession& session, AccountLists& lists, CommandTable& commands);

    void mCNameClick();
    void mCUrlClick();
    void mCLoginClick();
    void mCIdClick();
    void mCPassClick();
    void mClClick();
    void mClBufClick();

private:
    // Always the record's own value from the account, never the masked text of the list.
    void CopyField(RecordField field);

    AccountSession& m_session;
    AccountLists& m_lists;
};

} // namespace velmora
