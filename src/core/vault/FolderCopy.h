#pragma once

#include "core/vault/Account.h"

#include <cstddef>
#include <filesystem>

namespace velmora {

// A folder copy file (.vmf) holds one folder block of the account file format, enciphered under
// the password of the account it was saved from.

// Writes the folder at `index` as a folder copy file under the account's password. An existing
// file is replaced atomically: a failure leaves it as it was. Throws FileError.
void WriteFolderCopy(TAccount& account, std::size_t index, const std::filesystem::path& file);

// Reads a folder copy file under the account's password and appends its folder as the last one:
// Ok, BadCheckLine (another password or no folder copy; nothing added) or Failed (what was read
// stays). The immediate save is held back while the records are read; once the read has ended
// a folder that was added raises one change notification, so a save then writes it whole.
// Throws FileError when the file cannot be read.
ReadResult ReadFolderCopy(TAccount& account, const std::filesystem::path& file);

} // namespace velmora
