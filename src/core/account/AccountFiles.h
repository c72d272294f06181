#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace velmora {

// Removes Users/N.vmk, N.int, N.hint, the lock file N.lock and a left-over N.vm#, so that
// nothing can bring the account back. A file that is already missing counts as removed. Returns the files that are
// still there afterwards; empty when the account is gone.
std::vector<std::filesystem::path> DeleteAccountFiles(const std::filesystem::path& programDir, std::string_view name);

// Writes `hint` (code-page bytes) followed by CR LF as the whole hint file, replacing it
// atomically. Throws FileError.
void WriteAccountHint(const std::filesystem::path& file, std::string_view hint);

} // namespace velmora
