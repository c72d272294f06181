#include "gui/browser/FolderCommands.h"

#include "gui/browser/CommandSupport.h"
#include "gui/browser/TfrmFolder.h"
#include "gui/commands/CommandTable.h"
#include "gui/main/TfrmMain.h"
#include "gui/widgets/ListRowModel.h"

namespace velmora {

FolderCommands::FolderCommands(TfrmMain& main, TfrmFolder& frmFolder) : m_main(main), m_frmFolder(frmFolder)
{
    main.Commands().Bind("mFolderNew", *this, [this] { mFolderNewClick(); });
    main.Commands().Bind("mFolderEdit", *this, [this] { mFolderEditClick(); });
    main.Commands().Bind("mFolderDel", *this, [this] { mFolderDelClick(); });
    main.Commands().Bind("mFolderClear", *this, [this] { mFolderClearClick(); });
    main.Commands().Bind("mFolderUp", *this, [this] { mFolderUpClick(); });
    main.Commands().Bind("mFolderDown", *this, [this] { mFolderDownClick(); });
}

int FolderCommands::RequireFolder()
{
    const int index = SelectedFolderIndex(m_main);
    if (index < 0) {
        m_main.ShowMessageBox(m_main.Message("const_forgot_folder"), MessageKind::Information);
    }
    return index;
}

void FolderCommands::mFolderNewClick()
{
    m_frmFolder.FolderIndex = -1;
    m_main.Services().dialogs.RunModal(m_frmFolder);
}

void FolderCommands::mFolderEditClick()
{
    const int index = RequireFolder();
    if (index < 0) {
        return;
    }
    m_frmFolder.FolderIndex = index;
    m_main.Services().dialogs.RunModal(m_frmFolder);
}

void FolderCommands::mFolderDelClick()
{
    const int index = RequireFolder();
    if (index < 0 || !ConfirmWithCaption(m_main, "const_del_with",
                                         m_main.FolderRows().Rows()[static_cast<std::size_t>(index)].Caption)) {
        return;
    }
    m_main.Account().DeleteFolder(index);
    m_main.FillFolderList(false);
    m_main.FillRecordList(false);
}

void FolderCommands::mFolderClearClick()
{
    const int index = RequireFolder();
    if (index < 0 || !ConfirmWithCaption(m_main, "const_clear",
                                         m_main.FolderRows().Rows()[static_cast<std::size_t>(index)].Caption)) {
        return;
    }
    m_main.Account().ClearFolder(index);
    m_main.FillFolderList(true);
    m_main.FillRecordList(false);
}

void FolderCommands::mFolderUpClick()
{
    const int index = RequireFolder();
    if (index <= 0) {
        return;
    }
    m_main.Account().MoveFolderUp(static_cast<std::size_t>(index));
    m_main.FillFolderList(false);
    m_main.FocusRow(m_main.FolderList(), index - 1);
    m_main.SelectRow(m_main.FolderList(), index - 1);
}

void FolderCommands::mFolderDownClick()
{
    const int index = RequireFolder();
    if (index < 0 || index >= m_main.FolderRows().rowCount() - 1) {
        return;
    }
    m_main.Account().MoveFolderDown(static_cast<std::size_t>(index));
    m_main.FillFolderList(false);
    m_main.FocusRow(m_main.FolderList(), index + 1);
    m_main.SelectRow(m_main.FolderList(), index + 1);
}

} // namespace velmora
