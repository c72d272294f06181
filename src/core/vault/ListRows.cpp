#include "core/vault/ListRows.h"

namespace velmora {

std::string MaskText(std::string_view text, bool mask)
{
    return mask ? std::string(text.size(), '*') : std::string(text);
}

ListRow FolderRow(const TFolderType& folder)
{
    return ListRow{folder.Name, folder.ImageIndex, -1, {std::to_string(folder.Index())}};
}

std::vector<ListRow> FillFolderRows(const TAccount& account)
{
    std::vector<ListRow> rows;
    rows.reserve(account.FolderCount());
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        rows.push_back(FolderRow(account.Folder(i)));
    }
    return rows;
}

namespace {

void AssignMasked(std::string& to, std::string_view text, bool mask)
{
    if (mask) {
        to.assign(text.size(), '*');
    } else {
        to.assign(text);
    }
}

void WriteRecordRow(const TRecType& record, const RecordRowLayout& layout, ListRow& row)
{
    row.Caption.assign(record.Name());
    row.ImageIndex = -1;
    row.StateIndex = 0;
    row.SubItems.resize(layout.Brief ? 1 : 4);
    if (!layout.Brief) {
        AssignMasked(row.SubItems[0], record.Login(), layout.MaskLogin);
        AssignMasked(row.SubItems[1], record.IDNumber(), layout.MaskID);
        AssignMasked(row.SubItems[2], record.Password(), layout.MaskPassword);
    }
    row.SubItems.back().assign(record.Key.View());
}

} // namespace

void FillRecordRows(const TFolderType& folder, const RecordRowLayout& layout, std::vector<ListRow>& rows)
{
    rows.resize(folder.Count());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        WriteRecordRow(folder.RecordAt(i), layout, rows[i]);
    }
}

} // namespace velmora
