#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace velmora {

// Makes an output and hands it to `write` piece by piece, in order.
using OutputProducer = std::function<void(const std::function<void(std::string_view piece)>& write)>;

// Writes `content` into an existing file that is not a regular file (a device, a FIFO), as a
// shell redirection does: opened for writing, never created, truncated or replaced, and never
// made the controlling terminal. A FIFO waits for its reader. Throws FileError naming the file,
// also when the path has become a regular file meanwhile: that one is for the atomic writer.
void WriteInPlace(const std::filesystem::path& path, std::string_view content);

// The same with the content written as `produce` makes it.
void WriteInPlace(const std::filesystem::path& path, const OutputProducer& produce);

// Replaces the file (links followed to their target) as WriteFileAtomically does, with the new
// content written beside it as `produce` makes it, so it is never held whole: a new, exclusively
// created temporary file readable by its owner only, flushed and renamed over the file when
// complete, removed when anything fails. Throws FileError naming the file; whatever `produce`
// throws leaves the file as it was too.
void ReplaceInPieces(const std::filesystem::path& path, const OutputProducer& produce);

} // namespace velmora
