#include "vault/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {
namespace {

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

[[noreturn]] void ThrowFileError(const char* what, const std::filesystem::path& path, int error)
{
    throw FileError(std::string(what) + " \"" + path.string() + "\": " + std::strerror(error));
}

int SyncToDisk(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file));
#else
    return fsync(fileno(file));
#endif
}

// Makes the rename itself durable; where a directory cannot be synced there is nothing to do.
void SyncDirectory([[maybe_unused]] const std::filesystem::path& directory)
{
#ifndef _WIN32
    const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#endif
}

// Vault, settings and export files are for their owner's eyes only.
std::FILE* CreateOwnerOnly(const std::filesystem::path& path)
{
#ifdef _WIN32
    return std::fopen(path.string().c_str(), "wb");
#else
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return nullptr;
    }
    // A temporary file left by an earlier run may still carry wider permissions.
    if (fchmod(fd, 0600) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return file;
#endif
}

} // namespace

void SetWriteFaultHook(WriteFaultHook hook)
{
    FaultHook() = std::move(hook);
}

std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (file == nullptr) {
        ThrowFileError("Cannot open file", path, errno);
    }
    // Sized from the file first, so a large vault is read without growing (and copying) the buffer.
    std::error_code sizeError;
    const auto expected = std::filesystem::file_size(path, sizeError);
    std::string content(sizeError ? 0 : static_cast<std::size_t>(expected), '\0');
    std::size_t size = std::fread(content.data(), 1, content.size(), file);
    // The file may have grown since; read on until its end.
    constexpr std::size_t kChunk = 1 << 16;
    while (size == content.size() && std::ferror(file) == 0) {
        content.resize(size + kChunk);
        const std::size_t got = std::fread(content.data() + size, 1, kChunk, file);
        size += got;
        if (got == 0) {
            break;
        }
    }
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        ThrowFileError("Cannot read file", path, error);
    }
    content.resize(size);
    return content;
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& path)
{
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    return temporary;
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view content)
{
    const std::filesystem::path temporary = TemporaryPathFor(path);
    std::FILE* file = InjectedFault(WriteStep::Create) ? nullptr : CreateOwnerOnly(temporary);
    if (file == nullptr) {
        ThrowFileError("Cannot create file", temporary, errno);
    }
    const auto fail = [&](const char* what) {
        const int error = errno;
        if (file != nullptr) {
            std::fclose(file);
        }
        std::remove(temporary.string().c_str());
        ThrowFileError(what, path, error);
    };

    constexpr std::size_t kChunk = 1 << 20;
    for (std::size_t pos = 0; pos < content.size(); pos += kChunk) {
        const std::size_t now = std::min(kChunk, content.size() - pos);
        if (InjectedFault(WriteStep::Write) || std::fwrite(content.data() + pos, 1, now, file) != now) {
            fail("Cannot write file");
        }
    }
    if (InjectedFault(WriteStep::Flush) || std::fflush(file) != 0 || SyncToDisk(file) != 0) {
        fail("Cannot write file");
    }
    const int closed = std::fclose(file);
    file = nullptr;
    if (InjectedFault(WriteStep::Close) || closed != 0) {
        fail("Cannot write file");
    }
    std::error_code error;
    if (InjectedFault(WriteStep::Rename)) {
        error = std::make_error_code(std::errc::io_error);
    } else {
        std::filesystem::rename(temporary, path, error);
    }
    if (error) {
        errno = error.value();
        fail("Cannot replace file");
    }
    SyncDirectory(path.parent_path());
}

} // namespace velmora
