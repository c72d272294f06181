#include "gui/browser/RecordCommands.h"

#include "gui/browser/CommandSupport.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/commands/CommandTable.h"
#include "gui/main/TfrmMain.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/ListRowModel.h"

namespace velmora {

RecordCommands::RecordCommands(TfrmMain& main, TfrmRecord& frmRecord) : m_main(main), m_frmRecord(frmRecord)
{
    main.Commands().Bind("mRecNew", *this, [this] { mRecNewClick(); });
    main.Commands().Bind("mRecEdit", *this, [this] { mRecEditClick(); });
    main.Commands().Bind("mRecDel", *this, [this] { mRecDelClick(); });
    main.Commands().Bind("mRecUp", *this, [this] { mRecUpClick(); });
    main.Commands().Bind("mRecDown", *this, [this] { mRecDownClick(); });
    main.Commands().Bind("mURL", *this, [this] { mURLClick(); });
}

int RecordCommands::RequireRecordRow()
{
    const int row = m_main.SelectedRow(m_main.RecordList());
    if (SelectedFolderIndex(m_main) < 0 || row < 0) {
        m_main.ShowMessageBox(m_main.Message("const_forgot_record"), MessageKind::Information);
        return -1;
    }
    return row;
}

const std::string& RecordCommands::KeyOfRow(int row) const
{
    // The key sub-item the row was built with, whatever the layout is now.
    return m_main.RecordRows().KeyAt(row);
}

void RecordCommands::mRecNewClick()
{
    const int folder = SelectedFolderIndex(m_main);
    if (folder < 0) {
        m_main.ShowMessageBox(m_main.Message("const_forgot_folder"), MessageKind::Information);
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
    m_frmRecord.RunTask(TfrmRecord::EditRecord, static_cast<std::uint16_t>(SelectedFolderIndex(m_main)), KeyOfRow(row));
}

void RecordCommands::mRecDelClick()
{
    const int row = m_main.SelectedRow(m_main.RecordList());
    if (row < 0) {
        m_main.ShowMessageBox(m_main.Message("const_forgot_record"), MessageKind::Information);
        return;
    }
    if (!ConfirmWithCaption(m_main, "const_del_rec",
                            m_main.RecordRows().Rows()[static_cast<std::size_t>(row)].Caption)) {
        return;
    }
    const int folder = SelectedFolderIndex(m_main);
    if (folder < 0) {
        return;
    }
    TAccount& account = m_main.Account();
    account.Folder(static_cast<std::size_t>(folder)).DeleteRecord(KeyOfRow(row));
    account.Modified = true;
    m_main.AccountChanged();
    m_main.FillRecordList(false);
}

void RecordCommands::FinishMove(int row)
{
    m_main.FillRecordList(false);
    m_main.FocusRow(m_main.RecordList(), row);
    m_main.SelectRow(m_main.RecordList(), row);
    m_main.Account().Modified = true;
    m_main.AccountChanged();
}

void RecordCommands::mRecUpClick()
{
    const int row = RequireRecordRow();
    if (row < 1) {
        return;
    }
    m_main.Account().Folder(static_cast<std::size_t>(SelectedFolderIndex(m_main))).MoveRecordUp(KeyOfRow(row));
    FinishMove(row - 1);
}

void RecordCommands::mRecDownClick()
{
    const int row = RequireRecordRow();
    if (row < 0 || row >= m_main.RecordRows().rowCount() - 1) {
        return;
    }
    m_main.Account().Folder(static_cast<std::size_t>(SelectedFolderIndex(m_main))).MoveRecordDown(KeyOfRow(row));
    FinishMove(row + 1);
}

void RecordCommands::mURLClick()
{
    if (RequireRecordRow() < 0) {
        return;
    }
    const TRecType* record = m_main.SelectedRecord();
    if (record == nullptr || record->URL.empty()) {
        m_main.ShowMessageBox(m_main.Message("const_forgot_url"), MessageKind::Information);
        return;
    }
    m_main.ShellOpen(FromCodePage(record->URL));
}

} // namespace velmora
