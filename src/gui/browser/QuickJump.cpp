#include "gui/browser/QuickJump.h"

#include "core/search/Search.h"
#include "gui/browser/AccountLists.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/ListRowModel.h"

#include <QItemSelectionModel>
#include <QTableView>

namespace velmora {

void QuickJump::edFolderFindKeyUp(const QString& text)
{
    Jump(m_lists.FolderList(), m_lists.FolderRows(), text, true);
}

void QuickJump::edRecFindKeyUp(const QString& text)
{
    Jump(m_lists.RecordList(), m_lists.RecordRows(), text, false);
}

void QuickJump::Jump(QTableView* list, const ListRowModel& rows, const QString& text, bool selectFirst)
{
    // The box only takes characters of the code page, so the bytes are the typed text.
    const std::string needle = ToCodePage(text).bytes;
    if (needle.empty()) {
        return;
    }
    list->selectionModel()->clearSelection();
    const AccountSettings settings = m_session.Settings();
    const auto& captions = rows.Rows();
    const auto row = FirstMatchingRow(
        captions.size(), [&captions](std::size_t i) { return captions[i].Caption; }, needle,
        TextMatch{settings.cbStrict, settings.cbRegistr});
    if (!row) {
        return;
    }
    // Selecting a folder row shows its records; the focus follows so the keys work from there.
    const int index = static_cast<int>(*row);
    if (selectFirst) {
        m_lists.SelectRow(list, index);
        m_lists.FocusRow(list, index);
    } else {
        m_lists.FocusRow(list, index);
        m_lists.SelectRow(list, index);
    }
}

} // namespace velmora
