#include "gui/browser/RecordCommands.h"

#include "gui/browser/AccountLists.h"
#include "gui/browser/CommandSupport.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/ListRowModel.h"

namespace velmora {

RecordCommands::RecordCommands(AccountSession& session, AccountLists& lists, CommandTable& commands,
                               TfrmRecord& frmRecord)
    : m_session(session), m_lists(lists), m_frmRecord(frmRecord)
{
    commands.Bind("mRecNew", *this, [this] { mRecNewClick(); });
    commands.Bind("mRecEdit", *this, [this] { mRecEditClick(); });
    commands.Bind("mRecDel", *this, [this] { mRecDelClick(); });
    commands.Bind("mRecUp", *this, [this] { mRecUpClick(); });
    commands.Bind("mRecDown", *this, [this] { mRecDownClick(); });
    commands.Bind("mURL", *this, [this] { mURLClick(); });
}

int RecordCommands::RequireRecordRow()
{
    const int row = m_lists.SelectedRow(m_lists.RecordList());
    if (m_lists.SelectedFolderIndex() < 0 || row < 0) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_record"), MessageKind::Information);
        return -1;
    }
    return row;
}

const std::string& RecordCommands::KeyOfRow(int row) const
{
    // The key sub-item the row was built with, whatever the layout is now.
    return m_lists.RecordRows().KeyAt(row);
}

void RecordCommands::mRecNewClick()
{
    const int folder = m_lists.SelectedFolderIndex();
    if (folder < 0) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_folder"), MessageKind::Information);
        return;
    }
    m_frmRecord.RunTask(TfrmRecord::NewRecord, static_cast<std::uint16_t>(folder), {});
}

void RecordCommands::mRecEditClick()
{
    const int row = RequireRecordRow();
    if (row < 0) {
        return;
    }
    m_frmRecord.RunTask(TfrmRecord::EditRecord, static_cast<std::uint16_t>(m_lists.SelectedFolderIndex()),
                        KeyOfRow(row));
}

void RecordCommands::mRecDelClick()
{
    const int row = m_lists.SelectedRow(m_lists.RecordList());
    if (row < 0) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_record"), MessageKind::Information);
        return;
    }
    if (!ConfirmWithCaption(m_session, "const_del_rec",
                            m_lists.RecordRows().Rows()[static_cast<std::size_t>(row)].Caption)) {
        return;
    }
    const int folder = m_lists.SelectedFolderIndex();
    if (folder < 0) {
        return;
    }
    TAccount& account = m_session.Account();
    account.Folder(static_cast<std::size_t>(folder)).DeleteRecord(KeyOfRow(row));
    account.Modified = true;
    m_session.AccountChanged();
    m_lists.FillRecordList(false);
}

void RecordCommands::FinishMove(int row)
{
    m_lists.FillRecordList(false);
    m_lists.FocusRow(m_lists.RecordList(), row);
    m_lists.SelectRow(m_lists.RecordList(), row);
    m_session.Account().Modified = true;
    m_session.AccountChanged();
}

void RecordCommands::mRecUpClick()
{
    const int row = RequireRecordRow();
    if (row < 1) {
        return;
    }
    m_session.Account().Folder(static_cast<std::size_t>(m_lists.SelectedFolderIndex())).MoveRecordUp(KeyOfRow(row));
    FinishMove(row - 1);
}

void RecordCommands::mRecDownClick()
{
    const int row = RequireRecordRow();
    if (row < 0 || row >= m_lists.RecordRows().rowCount() - 1) {
        return;
    }
    m_session.Account().Folder(static_cast<std::size_t>(m_lists.SelectedFolderIndex())).MoveRecordDown(KeyOfRow(row));
    FinishMove(row + 1);
}

void RecordCommands::mURLClick()
{
    if (RequireRecordRow() < 0) {
        return;
    }
    const TRecType* record = m_lists.SelectedRecord();
    if (record == nullptr || record->URL().empty()) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_url"), MessageKind::Information);
        return;
    }
    m_session.OpenStoredUrl(FromCodePage(record->URL()));
}

} // namespace velmora
