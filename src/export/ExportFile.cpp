#include "export/ExportFile.h"

#include "vault/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

[[noreturn]] void Fail(const char* what, const std::filesystem::path& path, int error)
{
    throw FileError(std::string(what) + " \"" + path.string() + "\": " + std::strerror(error));
}

} // namespace

void WriteExportFile(const std::filesystem::path& path, std::string_view content)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        Fail("Cannot create file", path, errno);
    }
    // A file being replaced keeps its mode on opening; narrow it. Devices are left alone.
    struct stat status
    {};
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 077) != 0 && fchmod(fd, 0600) != 0) {
        const int error = errno;
        close(fd);
        Fail("Cannot restrict the permissions of", path, error);
    }
    while (!content.empty()) {
        const ssize_t written = write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            close(fd);
            Fail("Cannot write file", path, error);
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    if (close(fd) != 0) {
        Fail("Cannot write file", path, errno);
    }
}

} // namespace velmora
