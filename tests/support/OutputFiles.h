#pragma once

#include "support/TempDir.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace velmora::test {

// Reads what a writer puts into a FIFO, on a thread. The FIFO is opened at once, before any
// writer: a writer that replaced it instead of writing into it leaves this reader without data.
class FifoReader
{
public:
    explicit FifoReader(const std::filesystem::path& fifo)
        : m_fd(open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)),
          m_content(std::async(std::launch::async, [fd = m_fd] { return ReadUntilClosed(fd); }))
    {}
    ~FifoReader() { close(m_fd); }
    FifoReader(const FifoReader&) = delete;
    FifoReader& operator=(const FifoReader&) = delete;

    // Everything written until the writer closed it; what came within 10 seconds otherwise.
    std::string Content() { return m_content.get(); }

private:
    static std::string ReadUntilClosed(int fd)
    {
        std::string content;
        char buffer[4096];
        pollfd waiting{fd, POLLIN, 0};
        while (poll(&waiting, 1, 10000) > 0) {
            const ssize_t got = read(fd, buffer, sizeof buffer);
            if (got > 0) {
                content.append(buffer, static_cast<std::size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                break;
            }
        }
        return content;
    }

    int m_fd;
    std::future<std::string> m_content;
};

// A character device of the system (1,3 is the null device, 1,7 the full one). Root gets a node
// of its own in `dir`, so a writer that replaced it would not replace the system's; others get
// the system's, which they could not replace.
inline std::filesystem::path CharacterDevice(const TempDir& dir, const char* name, unsigned minor)
{
    const std::filesystem::path node = dir / name;
    if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0) {
        return node;
    }
    return std::filesystem::path("/dev") / name;
}

inline unsigned ModeOf(const std::filesystem::path& path)
{
    struct stat status
    {};
    stat(path.c_str(), &status);
    return status.st_mode & 0777U;
}

} // namespace velmora::test
