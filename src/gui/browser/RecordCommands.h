#pragma once

#include <QObject>
#include <string>

namespace velmora {

class AccountLists;
class AccountSession;
class CommandTable;
class TfrmRecord;
class TRecType;

// The main window's record commands: new, edit, delete, move up and down, open the URL.
class RecordCommands final : public QObject
{
    Q_DISABLE_COPY_MOVE(RecordCommands)

public:
    RecordCommands(AccountSession& session, AccountLists& lists, CommandTable& commands, TfrmRecord& frmRecord);

    void mRecNewClick();
    void mRecEditClick();
    void mRecDelClick();
    void mRecUpClick();
    void mRecDownClick();
    void mURLClick();

private:
    // The selected record row, when a folder row is selected too; -1 after telling the user.
    int RequireRecordRow();
    const std::string& KeyOfRow(int row) const;
    // A record moved within its folder: the row it went to is selected.
    void FinishMove(int row);

    AccountSession& m_session;
    AccountLists& m_lists;
    TfrmRecord& m_frmRecord;
};

} // namespace velmora
