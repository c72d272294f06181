#include "gui/browser/FolderCommands.h"

#include "gui/browser/AccountLists.h"
#include "gui/browser/CommandSupport.h"
#include "gui/browser/TfrmFolder.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/ListRowModel.h"

namespace velmora {

FolderCommands::FolderCommands(AccountSession& session, AccountLists& lists, CommandTable& commands,
                               TfrmFolder& frmFolder)
    : m_session(session), m_lists(lists), m_frmFolder(frmFolder)
{
    commands.Bind("mFolderNew", *this, [this] { mFolderNewClick(); });
    commands.Bind("mFolderEdit", *this, [this] { mFolderEditClick(); });
    commands.Bind("mFolderDel", *this, [this] { mFolderDelClick(); });
    commands.Bind("mFolderClear", *this, [this] { mFolderClearClick(); });
    commands.Bind("mFolderUp", *this, [this] { mFolderUpClick(); });
    commands.Bind("mFolderDown", *this, [this] { mFolderDownClick(); });
}

int FolderCommands::RequireFolder()
{
    const int index = m_lists.SelectedFolderIndex();
    if (index < 0) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_folder"), MessageKind::Information);
    }
    return index;
}

void FolderCommands::mFolderNewClick()
{
    m_frmFolder.FolderIndex = -1;
    m_session.Services().dialogs.RunModal(m_frmFolder);
}

void FolderCommands::mFolderEditClick()
{
    const int index = RequireFolder();
    if (index < 0) {
        return;
    }
    m_frmFolder.FolderIndex = index;
    m_session.Services().dialogs.RunModal(m_frmFolder);
}

void FolderCommands::mFolderDelClick()
{
    const int index = RequireFolder();
    if (index < 0 || !ConfirmWithCaption(m_session, "const_del_with",
                                         m_lists.FolderRows().Rows()[static_cast<std::size_t>(index)].Caption)) {
        return;
    }
    m_session.Account().DeleteFolder(index);
    m_lists.FillFolderList(false);
    m_lists.FillRecordList(false);
}

void FolderCommands::mFolderClearClick()
{
    const int index = RequireFolder();
    if (index < 0 || !ConfirmWithCaption(m_session, "const_clear",
                                         m_lists.FolderRows().Rows()[static_cast<std::size_t>(index)].Caption)) {
        return;
    }
    m_session.Account().ClearFolder(index);
    m_lists.FillFolderList(true);
    m_lists.FillRecordList(false);
}

void FolderCommands::mFolderUpClick()
{
    const int index = RequireFolder();
    if (index <= 0) {
        return;
    }
    m_session.Account().MoveFolderUp(static_cast<std::size_t>(index));
    m_lists.FillFolderList(false);
    m_lists.FocusRow(m_lists.FolderList(), index - 1);
    m_lists.SelectRow(m_lists.FolderList(), index - 1);
}

void FolderCommands::mFolderDownClick()
{
    const int index = RequireFolder();
    if (index < 0 || index >= m_lists.FolderRows().rowCount() - 1) {
        return;
    }
    m_session.Account().MoveFolderDown(static_cast<std::size_t>(index));
    m_lists.FillFolderList(false);
    m_lists.FocusRow(m_lists.FolderList(), index + 1);
    m_lists.SelectRow(m_lists.FolderList(), index + 1);
}

} // namespace velmora
