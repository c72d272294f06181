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

void OpenForReading(const std::filesystem::path& path, std::uintmax_t maxBytes, std::FILE*& file, std::uintmax_t& size)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        ThrowSystemError("Cannot read file", path, error ? error.value() : EINVAL);
    }
    size = std::filesystem::file_size(path, error);
    if (!error && size > maxBytes) {
        ThrowFileError("Cannot read file", path, "the file is larger than it can be");
    }
    file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) {
        ThrowSystemError("Cannot open file", path, errno);
    }
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

int OpenForReading(const std::filesystem::path& path, std::uintmax_t maxBytes, std::uintmax_t& size)
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
    size = static_cast<std::uintmax_t>(info.st_size);
    return fd;
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

// A write replaces a regular file or makes a new one. A device, a FIFO or a directory where the
// file belongs, also at the end of a link, is refused: replacing it by a regular file would
// take it away from whoever uses it, and write what was meant for it somewhere else.
void RequireRegularOrNothing(const std::filesystem::path& file, const std::filesystem::path& target)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(target, error);
    if (error || status.type() == std::filesystem::file_type::not_found || std::filesystem::is_regular_file(status)) {
        return; // a path that cannot be looked at fails when the temporary file is made
    }
    ThrowFileError("Cannot replace file", file,
                   file == target ? std::string("it is not a regular file")
                                  : "it is a link to \"" + PathText(target) + "\", which is not a regular file");
}

} // namespace

std::string PathText(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

FileError::FileError(std::string_view what, const std::filesystem::path& path, std::string_view reason)
    : std::runtime_error(std::string(what) + " \"" + PathText(path) + "\": " + std::string(reason)),
      m_file(PathText(path)), m_reason(reason)
{}

void ThrowFileError(std::string_view what, const std::filesystem::path& path, std::string_view reason)
{
    throw FileError(what, path, reason);
}

void SetWriteFaultHook(WriteFaultHook hook)
{
    FaultHook() = std::move(hook);
}

FileChunkReader::FileChunkReader(const std::filesystem::path& path, std::uintmax_t maxBytes)
    : m_path(path), m_maxBytes(maxBytes)
{
#ifdef _WIN32
    OpenForReading(path, maxBytes, m_file, m_size);
#else
    m_fd = OpenForReading(path, maxBytes, m_size);
#endif
}

FileChunkReader::~FileChunkReader()
{
#ifdef _WIN32
    std::fclose(m_file);
#else
    close(m_fd);
#endif
}

std::size_t FileChunkReader::Read(char* out, std::size_t room)
{
    room = std::min(room, kChunk);
#ifdef _WIN32
    const std::size_t got = std::fread(out, 1, room, m_file);
    if (got == 0 && std::ferror(m_file) != 0) {
        ThrowSystemError("Cannot read file", m_path, EIO);
    }
#else
    ssize_t result = 0;
    do {
        result = read(m_fd, out, room);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        ThrowSystemError("Cannot read file", m_path, errno);
    }
    const auto got = static_cast<std::size_t>(result);
#endif
    m_read += got;
    if (m_read > m_maxBytes) {
        ThrowFileError("Cannot read file", m_path, "the file is larger than it can be");
    }
    return got;
}

std::string ReadWholeFile(const std::filesystem::path& path, std::uintmax_t maxBytes)
{
    FileChunkReader file(path, maxBytes);
    // Sized from the file first, so a large vault is read without growing the buffer; it may
    // still grow while it is read, up to the limit.
    std::string content(static_cast<std::size_t>(file.Size()), '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == content.size()) {
            content.resize(size + (1 << 16));
        }
        const std::size_t got = file.Read(content.data() + size, content.size() - size);
        if (got == 0) {
            break;
        }
        size += got;
    }
    content.resize(size);
    return content;
}

void WriteFileAtomically(const std::filesystem::path& path, const OutputProducer& produce)
{
    StagedFile(path, produce).Commit();
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
    RequireRegularOrNothing(file, m_target);
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
    m_committed = true; // the temporary file is renamed, or removed below
    try {
        // Looked at again: something else may have been put in the file's place meanwhile.
        RequireRegularOrNothing(m_target, m_target);
        RenameFile(m_temporary, m_target);
    } catch (const FileError&) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
        throw;
    }
    SyncDirectory(m_target.parent_path());
}

void RenameFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code error;
    if (InjectedFault(WriteStep::Rename)) {
        error = std::make_error_code(std::errc::io_error);
    } else {
        std::filesystem::rename(from, to, error);
    }
    if (error) {
        ThrowSystemError("Cannot replace file", to, error.value());
    }
}

void RequireReplaceableFile(const std::filesystem::path& file)
{
    RequireRegularOrNothing(file, ResolveLinks(file));
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view content)
{
    StagedFile(path, content).Commit();
}

} // namespace velmora
