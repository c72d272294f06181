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

ListRow RecordRow(const TRecType& record, const RecordRowLayout& layout)
{
    ListRow row{std::string(record.Name()), -1, 0, {}};
    if (!layout.Brief) {
        row.SubItems.push_back(MaskText(record.Login(), layout.MaskLogin));
        row.SubItems.push_back(MaskText(record.IDNumber(), layout.MaskID));
        row.SubItems.push_back(MaskText(record.Password(), layout.MaskPassword));
    }
    row.SubItems.push_back(record.Key);
    return row;
}

std::vector<ListRow> FillRecordRows(const TFolderType& folder, const RecordRowLayout& layout)
{
    std::vector<ListRow> rows;
    rows.reserve(folder.Count());
    for (std::size_t i = 0; i < folder.Count(); ++i) {
        rows.push_back(RecordRow(folder.RecordAt(i), layout));
    }
    return rows;
}

} // namespace velmora
