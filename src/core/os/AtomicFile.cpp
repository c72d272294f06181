#include "core/os/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

constexpr std::string_view kTemporaryMark = ".velmora-";
constexpr std::string_view kUniqueLetters = "XXXXXX";
constexpr int kMaxLinkHops = 40;
constexpr std::size_t kChunk = 1 << 20;

WriteFaultHook& FaultHook()
{
    static WriteFaultHook hook;
    return hook;
}

bool InjectedFault(WriteStep step)
{
    if (FaultHook() && FaultHook()(step)) {
        errno = EIO;
        return true;
    }
    return false;
}

[[noreturn]] void ThrowSystemError(const char* what, const std::filesystem::path& path, int error)
{
    ThrowFileError(what, path, std::strerror(error));
}

#ifdef _WIN32

std::string ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        ThrowSystemError("Cannot read file", path, error ? error.value() : EINVAL);
    }
    const auto size = std::filesystem::file_size(path, error);
    if (!error && size > maxBytes) {
        ThrowFileError("Cannot read file", path, "the file is larger than it can be");
    }
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        ThrowSystemError("Cannot open file", path, errno);
    }
    std::string content;
    char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && content.size() <= maxBytes) {
        content.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        ThrowSystemError("Cannot read file", path, EIO);
    }
    return content;
}

int CreateExclusive(std::filesystem::path& temporary)
{
    // The X's become a counter; O_EXCL fails on an existing name, link or not.
    const std::wstring pattern = temporary.native();
    const std::wstring stem = pattern.substr(0, pattern.size() - kUniqueLetters.size());
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::wstring name = stem + std::to_wstring(100000 + attempt);
        const int fd = _wopen(name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) {
            temporary = name;
            return fd;
        }
    }
    return -1;
}

int SyncDescriptor(int fd)
{
    return _commit(fd);
}

void SyncDirectory(const std::filesystem::path&) {}

#else

std::string ReadRegularFile(const std::filesystem::path& path, std::uintmax_t maxBytes)
{
    // Not blocking: a FIFO planted where a file was expected must not hang the reader.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        ThrowSystemError("Cannot open file", path, errno);
    }
    struct stat info
    {};
    if (fstat(fd, &info) != 0) {
        const int error = errno;
        close(fd);
        ThrowSystemError("Cannot read file", path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        ThrowFileError("Cannot read file", path, "it is not a regular file");
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        close(fd);
        ThrowFileError("Cannot read file", path, "the file is larger than it can be");
    }
    // Sized from the file first, so a large vault is read without growing the buffer; it may
    // still grow while it is read, up to the limit.
    std::string content(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == content.size()) {
            if (content.size() > maxBytes) {
                close(fd);
                ThrowFileError("Cannot read file", path, "the file is larger than it can be");
            }
            content.resize(size + (1 << 16));
        }
        const ssize_t got = read(fd, content.data() + size, std::min(kChunk, content.size() - size));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            close(fd);
            ThrowSystemError("Cannot read file", path, error);
        }
        if (got == 0) {
            break;
        }
        size += static_cast<std::size_t>(got);
    }
    close(fd);
    content.resize(size);
    return content;
}

int CreateExclusive(std::filesystem::path& temporary)
{
    // mkostemp creates with O_EXCL and mode 0600: an existing name, a planted link included, is
    // never opened.
    std::string pattern = temporary.native();
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd >= 0) {
        temporary = pattern;
    }
    return fd;
}

int SyncDescriptor(int fd)
{
    return fsync(fd);
}

// Makes the rename itself durable; where a directory cannot be synced there is nothing to do.
void SyncDirectory(const std::filesystem::path& directory)
{
    const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

#endif

bool WriteAll(int fd, std::string_view content)
{
    for (std::size_t pos = 0; pos < content.size();) {
        const std::size_t now = std::min(kChunk, content.size() - pos);
        if (InjectedFault(WriteStep::Write)) {
            return false;
        }
#ifdef _WIN32
        const int written = _write(fd, content.data() + pos, static_cast<unsigned>(now));
#else
        const ssize_t written = write(fd, content.data() + pos, now);
        if (written < 0 && errno == EINTR) {
            continue;
        }
#endif
        if (written <= 0) {
            return false;
        }
        pos += static_cast<std::size_t>(written);
    }
    return true;
}

int CloseDescriptor(int fd)
{
#ifdef _WIN32
    return _close(fd);
#else
    return close(fd);
#endif
}

} // namespace

std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void ThrowFileError(std::string_view what, const std::filesystem::path& path, std::string_view reason)
{
    throw FileError(std::string(what) + " \"" + PathText(path) + "\": " + std::string(reason));
}

void SetWriteFaultHook(WriteFaultHook hook)
{
    FaultHook() = std::move(hook);
}

std::string ReadWholeFile(const std::filesystem::path& path, std::uintmax_t maxBytes)
{
    return ReadRegularFile(path, maxBytes);
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path)
{
#ifdef _WIN32
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const auto modified = std::filesystem::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    return FileIdentity{0, 0, size,
                        std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count()};
#else
    struct stat info
    {};
    if (stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uintmax_t>(info.st_dev), static_cast<std::uintmax_t>(info.st_ino),
                        static_cast<std::uintmax_t>(info.st_size),
                        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
#endif
}

std::filesystem::path ResolveLinks(const std::filesystem::path& path)
{
    std::filesystem::path current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error))) {
            return current;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(current, error);
        if (error) {
            ThrowSystemError("Cannot follow the link", current, error.value());
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    ThrowSystemError("Cannot follow the link", path, ELOOP);
}

std::filesystem::path TemporaryPathTemplate(const std::filesystem::path& file)
{
    // Named after a digest of the file's name rather than the name itself, so a name that just
    // fits the file system still has room for its temporary file.
    std::uint32_t digest = 2166136261u; // FNV-1a
    const std::filesystem::path name = file.filename();
    for (const auto c : name.native()) {
        digest = (digest ^ static_cast<std::uint32_t>(c)) * 16777619u;
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(digest));
    return file.parent_path() / (std::string(kTemporaryMark) + hex + "-" + std::string(kUniqueLetters));
}

bool IsTemporaryPathOf(const std::filesystem::path& candidate, const std::filesystem::path& file)
{
    const std::filesystem::path pattern = TemporaryPathTemplate(file).filename();
    const std::filesystem::path name = candidate.filename();
    const std::size_t stem = pattern.native().size() - kUniqueLetters.size();
    return name.native().size() == pattern.native().size() &&
           name.native().compare(0, stem, pattern.native(), 0, stem) == 0;
}

StagedFile::StagedFile(const std::filesystem::path& file, std::string_view content)
    : StagedFile(file, [content](const auto& write) { write(content); })
{}

StagedFile::StagedFile(const std::filesystem::path& file, const OutputProducer& produce)
    : m_target(ResolveLinks(file)), m_temporary(TemporaryPathTemplate(m_target))
{
    const int fd = InjectedFault(WriteStep::Create) ? -1 : CreateExclusive(m_temporary);
    if (fd < 0) {
        ThrowSystemError("Cannot create a file beside", m_target, errno);
    }
    const auto fail = [&](const char* what, int descriptor) {
        const int error = errno;
        if (descriptor >= 0) {
            CloseDescriptor(descriptor);
        }
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
        ThrowSystemError(what, m_target, error);
    };
    try {
        produce([&](std::string_view piece) {
            if (!WriteAll(fd, piece)) {
                ThrowSystemError("Cannot write file", m_target, errno);
            }
        });
    } catch (...) {
        CloseDescriptor(fd);
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
        throw;
    }
    if (InjectedFault(WriteStep::Flush) || SyncDescriptor(fd) != 0) {
        fail("Cannot write file", fd);
    }
    const int closed = CloseDescriptor(fd);
    if (InjectedFault(WriteStep::Close) || closed != 0) {
        fail("Cannot write file", -1);
    }
}

StagedFile::~StagedFile()
{
    if (!m_committed) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
    }
}

void StagedFile::Commit()
{
    std::error_code error;
    if (InjectedFault(WriteStep::Rename)) {
        error = std::make_error_code(std::errc::io_error);
    } else {
        std::filesystem::rename(m_temporary, m_target, error);
    }
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
        m_committed = true; // nothing left to clean up
        ThrowSystemError("Cannot replace file", m_target, error.value());
    }
    m_committed = true;
    SyncDirectory(m_target.parent_path());
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view content)
{
    StagedFile(path, content).Commit();
}

} // namespace velmora
