#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

// A file that could not be read or written; the message names the file and the reason.
class FileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The whole content of a file; throws FileError when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& path);

// The name the new content is written under before it replaces the file.
std::filesystem::path TemporaryPathFor(const std::filesystem::path& path);

// Replaces the file with `content` so that a failure at any point, or a crash, leaves either
// the old or the new file complete: the content goes to a temporary file in the same directory,
// is flushed to disk and renamed over the old one. Throws FileError; the old file is then intact.
// The file is readable and writable by its owner only.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// The steps of WriteFileAtomically, for tests that make one of them fail.
enum class WriteStep
{
    Create,
    Write,
    Flush,
    Close,
    Rename
};

// While set, the hook is asked before every step and makes it fail by returning true.
using WriteFaultHook = std::function<bool(WriteStep)>;
void SetWriteFaultHook(WriteFaultHook hook);

} // namespace velmora
