#pragma once

#include "core/vault/Account.h"

#include <string>
#include <vector>

namespace velmora {

// One row of the folder or record list as the main window shows it.
struct ListRow
{
    std::string Caption;
    int ImageIndex = -1; // -1: no image
    int StateIndex = -1; // -1: no state image
    std::vector<std::string> SubItems;
};

// The record key is the last sub-item of a record row: index 0 in the brief layout, 3 in the full one.
struct RecordRowLayout
{
    bool Brief = false;
    bool MaskLogin = false;
    bool MaskID = false;
    bool MaskPassword = false;
};

// The text unchanged, or as many "*" as it has bytes.
std::string MaskText(std::string_view text, bool mask);

// Caption = folder name, image = folder icon, one sub-item = the folder index in decimal.
ListRow FolderRow(const TFolderType& folder);
std::vector<ListRow> FillFolderRows(const TAccount& account);

// One row per record: caption = record name, state image 0; unless brief: login, ID number and
// password (each masked as asked); then the key. The rows are written over those `rows` holds, so
// refilling a long list reuses their texts' memory instead of holding two lists at once.
void FillRecordRows(const TFolderType& folder, const RecordRowLayout& layout, std::vector<ListRow>& rows);

} // namespace velmora
