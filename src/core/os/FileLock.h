#pragma once

#include "core/os/AtomicFile.h"

#include <chrono>
#include <filesystem>

namespace velmora {

// Another program holds the lock and did not let go in time.
class FileBusyError : public FileError
{
public:
    using FileError::FileError;
};

// An exclusive lock on a lock file, held while the object lives, so that programs writing the
// same files take turns. The lock file is created when missing (owner only) and is never
// followed when it is a link.
class FileLock
{
public:
    // Waits up to `patience` while another program holds the lock; then throws FileBusyError.
    // Throws FileError when the lock file cannot be opened.
    FileLock(const std::filesystem::path& lockFile, std::chrono::milliseconds patience);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int m_descriptor = -1;
};

} // namespace velmora
