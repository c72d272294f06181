#pragma once

#include "core/os/AtomicFile.h"

#include <filesystem>
#include <system_error>

namespace velmora::test {

// True when a temporary file of a write of `file` is still beside it.
inline bool TemporaryFileLeftBeside(const std::filesystem::path& file)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(file.parent_path(), error), end; !error && it != end;
         it.increment(error)) {
        if (IsTemporaryPathOf(it->path(), file)) {
            return true;
        }
    }
    return false;
}

} // namespace velmora::test
