#include "gui/browser/ListedRecord.h"

#include "gui/browser/AccountLists.h"
#include "gui/session/AccountSession.h"

#include <QScrollBar>
#include <QTableView>

namespace velmora {

std::optional<SearchHit> ListedRecordNow(AccountSession& session, SearchHit hit)
{
    // Only the same record in the same folder will do.
    const TAccount& account = session.Account();
    const std::optional<std::size_t> position =
        hit.folderIndex < account.FolderCount() ? account.Folder(hit.folderIndex).PositionOf(hit.key) : std::nullopt;
    if (!position) {
        // The row is still selected in the window, so "select a record" would make no sense.
        session.ShowMessageBox(session.Message("const_record_gone"), MessageKind::Information);
        return std::nullopt;
    }
    hit.position = *position + 1;
    return hit;
}

void GoToListedRecord(AccountLists& lists, const SearchHit& hit)
{
    const auto folderRow = static_cast<int>(hit.folderIndex);
    const auto recordRow = static_cast<int>(hit.position) - 1;
    QTableView* folders = lists.FolderList();
    QTableView* records = lists.RecordList();
    lists.FocusRow(folders, folderRow);
    lists.SelectRow(folders, folderRow);
    lists.FillRecordList(false);
    lists.FocusRow(records, recordRow);
    lists.SelectRow(records, recordRow);
    ScrollListTo(*folders, folderRow);
    ScrollListTo(*records, recordRow);
    folders->viewport()->update();
    records->viewport()->update();
}

void ScrollListTo(QTableView& list, int row)
{
    // From the top, one line down for each row after the second, as far as the list can scroll;
    // counted in one go, since a vault's folder may hold tens of thousands of rows.
    QScrollBar& bar = *list.verticalScrollBar();
    bar.setValue(bar.minimum());
    if (row >= 2) {
        bar.setValue(bar.minimum() + (row - 1) * bar.singleStep());
    }
}

} // namespace velmora
