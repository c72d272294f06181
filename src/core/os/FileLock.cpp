#include "core/os/FileLock.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

constexpr std::chrono::milliseconds kRetryPause{25};

enum class Attempt
{
    Locked,
    Busy,
    Retry // the lock file was replaced while we waited for it
};

#ifdef _WIN32

// Windows: a file opened without sharing is the lock; a second open fails until it is closed.
Attempt TryLock(const std::filesystem::path& lockFile, int& descriptor)
{
    if (_wsopen_s(&descriptor, lockFile.c_str(), _O_RDWR | _O_CREAT | _O_BINARY, _SH_DENYRW, _S_IREAD | _S_IWRITE) ==
        0) {
        return Attempt::Locked;
    }
    if (errno == EACCES) {
        return Attempt::Busy;
    }
    ThrowFileError("Cannot open the lock file", lockFile, std::strerror(errno));
}

void Unlock(int descriptor)
{
    _close(descriptor);
}

#else

bool SameFile(int descriptor, const std::filesystem::path& path)
{
    struct stat held
    {};
    struct stat named
    {};
    return fstat(descriptor, &held) == 0 && lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

Attempt TryLock(const std::filesystem::path& lockFile, int& descriptor)
{
    descriptor = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (descriptor < 0) {
        ThrowFileError("Cannot open the lock file", lockFile, std::strerror(errno));
    }
    struct stat info
    {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(descriptor);
        ThrowFileError("Cannot use the lock file", lockFile, "it is not a regular file");
    }
    while (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EINTR) {
            close(descriptor);
            return Attempt::Busy;
        }
    }
    // Whoever held it before may have removed the file (deleting the account): a lock on a
    // file no longer in the directory guards nothing.
    if (!SameFile(descriptor, lockFile)) {
        close(descriptor);
        return Attempt::Retry;
    }
    return Attempt::Locked;
}

void Unlock(int descriptor)
{
    close(descriptor); // releases the lock
}

#endif

} // namespace

FileLock::FileLock(const std::filesystem::path& lockFile, std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        switch (TryLock(lockFile, m_descriptor)) {
        case Attempt::Locked:
            return;
        case Attempt::Retry:
            continue;
        case Attempt::Busy:
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            throw FileBusyError("Another program is writing \"" + PathText(lockFile.parent_path()) +
                                "\" now; try again when it has finished.");
        }
        std::this_thread::sleep_for(kRetryPause);
    }
}

FileLock::~FileLock()
{
    Unlock(m_descriptor);
}

} // namespace velmora
