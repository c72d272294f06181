#pragma once

#include <QObject>

namespace velmora {

class TfrmFolder;
class TfrmMain;

// The main window's folder commands: new, edit, delete, clear, move up and down.
class FolderCommands final : public QObject
{
    Q_DISABLE_COPY_MOVE(FolderCommands)

public:
    FolderCommands(TfrmMain& main, TfrmFolder& frmFolder);

    void mFolderNewClick();
    void mFolderEditClick();
    void mFolderDelClick();
    void mFolderClearClick();
    void mFolderUpClick();
    void mFolderDownClick();

private:
    // The selected folder's index; -1 after telling the user that none is selected.
    int RequireFolder();

    TfrmMain& m_main;
    TfrmFolder& m_frmFolder;
};

} // namespace velmora
