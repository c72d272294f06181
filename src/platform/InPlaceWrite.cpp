#include "platform/InPlaceWrite.h"

#include "vault/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

[[noreturn]] void Fail(const char* what, const std::filesystem::path& path, const char* reason)
{
    const std::u8string name = path.u8string();
    throw FileError(std::string(what) + " \"" + std::string(name.begin(), name.end()) + "\": " + reason);
}

} // namespace

#ifndef _WIN32

void WriteInPlace(const std::filesystem::path& path, std::string_view content)
{
    const int fd = open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        Fail("Cannot open file", path, std::strerror(errno));
    }
    const auto fail = [&](const char* reason) {
        close(fd);
        Fail("Cannot write file", path, reason);
    };
    struct stat status
    {};
    if (fstat(fd, &status) != 0) {
        fail(std::strerror(errno));
    }
    // Writing a regular file in place would leave old bytes after a shorter export.
    if (S_ISREG(status.st_mode)) {
        fail("it became a regular file while the export was written");
    }
    while (!content.empty()) {
        const ssize_t written = write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            fail(std::strerror(written < 0 ? errno : EIO));
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    if (close(fd) != 0) {
        Fail("Cannot write file", path, std::strerror(errno));
    }
}

#else

void WriteInPlace(const std::filesystem::path& path, std::string_view content)
{
    // Windows devices (NUL, CON) have nothing to truncate.
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        Fail("Cannot open file", path, std::strerror(errno));
    }
    const bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    if (std::fclose(file) != 0 || !written) {
        Fail("Cannot write file", path, std::strerror(EIO));
    }
}

#endif

} // namespace velmora
