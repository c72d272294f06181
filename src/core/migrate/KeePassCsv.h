#pragma once

#include "core/migrate/ImportedEntries.h"
#include "core/os/AtomicFile.h"
#include "core/vault/Account.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Reads a CSV file as KeePassXC exports it: the columns Group, Title, Username, Password, URL and
// Notes, and an ID number column named as in `idNumberNames`, found by name in any order and letter
// case; other columns are left out and named. A group path "Root/Mail/Work" becomes the folder
// "Mail / Work", a group without a slash (the root) a folder of its own name; without a Group
// column, or with an empty one, an entry goes to a folder named `defaultGroup`. Folders come in the order their first
// entry does. Throws ImportError for a file that is no CSV (see CsvTable) or has none of those
// columns.
ImportedEntries ReadKeePassCsv(std::string_view text, const std::string& defaultGroup,
                               const std::vector<std::string>& idNumberNames);

// Writes the account as CSV in KeePassXC's columns, every field quoted, notes with LF line breaks,
// and the ID number in a last column: Group ("account/folder"), Title, Username, Password, URL,
// Notes, ID number.
void WriteKeePassCsv(const TAccount& account, const PieceWriter& write);

} // namespace velmora
