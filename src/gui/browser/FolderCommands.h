#pragma once

#include <QObject>

namespace velmora {

class TfrmFolder;
class AccountLists;
class AccountSession;
class CommandTable;

// The main window's folder commands: new, edit, delete, clear, move up and down.
class FolderCommands final : public QObject
{
    Q_DISABLE_COPY_MOVE(FolderCommands)

public:
    FolderCommands(AccountSession& session, AccountLists& lists, CommandTable& commands, TfrmFolder& frmFolder);

    void mFolderNewClick();
    void mFolderEditClick();
    void mFolderDelClick();
    void mFolderClearClick();
    void mFolderUpClick();
    void mFolderDownClick();

private:
    // The selected folder's index; -1 after telling the user that none is selected.
    int RequireFolder();

    AccountSession& m_session;
    AccountLists& m_lists;
    TfrmFolder& m_frmFolder;
};

} // namespace velmora
