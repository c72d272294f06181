#pragma once

#include "core/os/AtomicFile.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace velmora {

// Writes `content` into an existing file that is not a regular file (a device, a FIFO), as a
// shell redirection does: opened for writing, never created, truncated or replaced, and never
// made the controlling terminal. A FIFO waits for its reader. Throws FileError naming the file,
// also when the path has become a regular file meanwhile: that one is for the atomic writer.
void WriteInPlace(const std::filesystem::path& path, std::string_view content);

// The same with the content written as `produce` makes it.
void WriteInPlace(const std::filesystem::path& path, const OutputProducer& produce);

} // namespace velmora
