#include "platform/AutomationFiles.h"

#include "platform/Automation.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace velmora {
namespace {

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
        std::string pattern = (m_parent / "velmora-export-XXXXXX").string();
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

} // namespace velmora
