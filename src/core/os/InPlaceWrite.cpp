#include "core/os/InPlaceWrite.h"

#include "core/os/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {} // namespace

void WriteInPlace(const std::filesystem::path& path, std::string_view content)
{
    WriteInPlace(path, [content](const auto& write) { write(content); });
}

#ifndef _WIN32

namespace {

// Closes the descriptor on every way out; Close() reports what closing it said.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return m_fd; }
    int Close() { return close(std::exchange(m_fd, -1)); }

private:
    int m_fd;
};

void WriteAll(int fd, std::string_view piece, const std::filesystem::path& path)
{
    while (!piece.empty()) {
        const ssize_t written = write(fd, piece.data(), piece.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            ThrowFileError("Cannot write file", path, std::strerror(written < 0 ? errno : EIO));
        }
        piece.remove_prefix(static_cast<std::size_t>(written));
    }
}

void Produce(const OutputProducer& produce, const Descriptor& file, const std::filesystem::path& path)
{
    produce([&](std::string_view piece) { WriteAll(file.Get(), piece, path); });
}

} // namespace

void WriteInPlace(const std::filesystem::path& path, const OutputProducer& produce)
{
    Descriptor file(open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) {
        ThrowFileError("Cannot open file", path, std::strerror(errno));
    }
    struct stat status
    {};
    if (fstat(file.Get(), &status) != 0) {
        ThrowFileError("Cannot write file", path, std::strerror(errno));
    }
    // Writing a regular file in place would leave old bytes after a shorter export.
    if (S_ISREG(status.st_mode)) {
        ThrowFileError("Cannot write file", path, "it became a regular file while the export was written");
    }
    Produce(produce, file, path);
    if (file.Close() != 0) {
        ThrowFileError("Cannot write file", path, std::strerror(errno));
    }
}

#else

void WriteInPlace(const std::filesystem::path& path, const OutputProducer& produce)
{
    // Windows devices (NUL, CON) have nothing to truncate.
    std::FILE* file = _wfopen(path.c_str(), L"wb");
    if (file == nullptr) {
        ThrowFileError("Cannot open file", path, std::strerror(errno));
    }
    bool written = true;
    try {
        produce([&](std::string_view piece) {
            written = written && std::fwrite(piece.data(), 1, piece.size(), file) == piece.size();
        });
    } catch (...) {
        std::fclose(file);
        throw;
    }
    if (std::fclose(file) != 0 || !written) {
        ThrowFileError("Cannot write file", path, std::strerror(EIO));
    }
}

#endif

} // namespace velmora
