#pragma once

#include <filesystem>
#include <string_view>

namespace velmora {

// Writes an export into `path`, created or truncated, readable by its owner only (it holds
// passwords in the clear). Written straight into the file, not through a temporary: when the
// disk refuses part of it, what was written stays. Throws FileError naming the file.
void WriteExportFile(const std::filesystem::path& path, std::string_view content);

} // namespace velmora
