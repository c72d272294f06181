#include "platform/AutomationFiles.h"

#include "core/export/Automation.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

constexpr std::string_view kDirectoryPrefix = "velmora-export-";

// The process in a directory name "velmora-export-<pid>-XXXXXX"; none for other names.
std::optional<pid_t> OwnerOf(std::string_view name)
{
    if (!name.starts_with(kDirectoryPrefix)) {
        return std::nullopt;
    }
    name.remove_prefix(kDirectoryPrefix.size());
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || pid <= 0 || end == name.data() + name.size() || *end != '-') {
        return std::nullopt;
    }
    return pid;
}

bool Abandoned(const std::filesystem::path& directory, pid_t owner)
{
    struct stat status
    {};
    // Not followed: a link of that name points at something that is not ours to remove.
    if (lstat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != geteuid()) {
        return false;
    }
    return kill(owner, 0) != 0 && errno == ESRCH;
}

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error)
{
    throw AutomationError(what + " \"" + path.string() + "\": " + std::strerror(error));
}

} // namespace

AutomationFiles::AutomationFiles(std::filesystem::path parent, Opener open)
    : m_parent(std::move(parent)), m_open(std::move(open))
{}

AutomationFiles::~AutomationFiles()
{
    if (!m_directory.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }
}

std::filesystem::path AutomationFiles::NewFile(std::string_view stem, std::string_view extension)
{
    if (m_directory.empty()) {
        // mkdtemp makes the directory with mode 0700 under a name nobody could have taken.
        // The process in the name lets a later run remove what a crash or a kill left here.
        std::string pattern =
            (m_parent / (std::string(kDirectoryPrefix) + std::to_string(getpid()) + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            Fail("Cannot create a directory in", m_parent, errno);
        }
        m_directory = pattern;
    }
    const std::filesystem::path file =
        m_directory / (std::string(stem) + std::to_string(++m_count) + "." + std::string(extension));
    const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        Fail("Cannot create file", file, errno);
    }
    close(fd);
    return file;
}

void AutomationFiles::Open(const std::filesystem::path& file) const
{
    if (!m_open || !m_open(file)) {
        throw AutomationError("No application could open \"" + file.string() + "\".");
    }
}

void RemoveAbandonedAutomationFiles(const std::filesystem::path& parent)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(parent, error), end; !error && it != end; it.increment(error)) {
        const std::optional<pid_t> owner = OwnerOf(it->path().filename().native());
        if (owner && Abandoned(it->path(), *owner)) {
            std::error_code ignored;
            std::filesystem::remove_all(it->path(), ignored);
        }
    }
}

} // namespace velmora
