#pragma once

#include <filesystem>

namespace velmora {

// Whether anything is at the path, links followed; false also where that cannot be found out.
bool FileExists(const std::filesystem::path& path);

// Whether something other than a regular file is at the path, links followed: a directory, a
// device, a FIFO. False when nothing is there or the path cannot be looked at.
bool OtherThanRegularFileAt(const std::filesystem::path& path);

// Whether a regular file is at the path, links followed. Anything else in its place (a
// directory, a device) or a path that cannot be reached throws FileError: a reader must not take
// what it cannot read for a missing file.
bool RegularFileExists(const std::filesystem::path& path);

} // namespace velmora
