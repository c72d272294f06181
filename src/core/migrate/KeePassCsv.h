#pragma once

#include "core/migrate/ImportedEntries.h"
#include "core/os/AtomicFile.h"
#include "core/vault/Account.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// Reads a CSV file as password managers and browsers export it, its columns found by name in any
// order and letter case: the title (Title, name), login (Username, login_username, login),
// password (Password, login_password), URL (URL, login_uri), notes (Notes, note, extra), an ID
// number column named as in `idNumberNames`, and the folder (KeePassXC's Group, whose path starts
// with the root group, or folder, grouping). Other columns are left out, and named when they hold a
// value. A group path "Root/Mail/Work" or folder "Mail/Work" becomes the folder "Mail / Work", a
// group without a slash (the root) a folder of its own name; without a folder column, or with an
// empty one, an entry goes to a folder named `defaultGroup`. Folders come in the order their first
// entry does. Throws ImportError for a file that is no CSV (see CsvTable) or has no password
// column, naming what is missing.
ImportedEntries ReadKeePassCsv(std::string_view text, const std::string& defaultGroup,
                               const std::vector<std::string>& idNumberNames);

// Writes the account as CSV in KeePassXC's columns and their order, every field quoted, notes with
// LF line breaks, and the ID number in a column after them: Group ("account/folder"), Title,
// Username, Password, URL, Notes, TOTP, Icon, Last Modified, Created (these four empty, as no
// record holds them), ID number.
void WriteKeePassCsv(const TAccount& account, const PieceWriter& write);

} // namespace velmora
