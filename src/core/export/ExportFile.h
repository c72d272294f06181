#pragma once

#include "core/os/AtomicFile.h"
#include "core/os/InPlaceWrite.h"

#include <filesystem>
#include <string_view>

namespace velmora {

// An export refused because its path is an account's file, or lies in the accounts' directory:
// passwords in the clear must never take an account's place.
class ExportRefused : public FileError
{
public:
    using FileError::FileError;
};

// Writes an export (passwords in the clear) to `path`, links followed to what they name. A
// device or FIFO is written in place and stays what it is; a regular file, or a new one, is
// replaced atomically and readable by its owner only. A path in `usersDirectory` (links
// resolved), or another hard link of a file there, throws ExportRefused before anything is
// written. Throws FileError naming the file when it cannot be written.
void WriteExportFile(const std::filesystem::path& path, std::string_view content,
                     const std::filesystem::path& usersDirectory);

// The same with the export written as `produce` makes it, so it is never held whole. Whatever
// `produce` throws leaves a regular file as it was.
void WriteExportFile(const std::filesystem::path& path, const OutputProducer& produce,
                     const std::filesystem::path& usersDirectory);

} // namespace velmora
