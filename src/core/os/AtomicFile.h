#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora {

// A file that could not be read or written; the message names the file and the reason.
class FileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
    // `what "path": reason`, with the file and the reason kept apart for a message of its own.
    FileError(std::string_view what, const std::filesystem::path& path, std::string_view reason);

    // The file as UTF-8 and the system's reason; both empty when the error names no file.
    const std::string& FileText() const { return m_file; }
    const std::string& Reason() const { return m_reason; }

private:
    std::string m_file;
    std::string m_reason;
};

// A path as UTF-8, for messages.
std::string PathText(const std::filesystem::path& path);

// Throws FileError saying `what` failed on the file and why: `what "path": reason`.
[[noreturn]] void ThrowFileError(std::string_view what, const std::filesystem::path& path, std::string_view reason);

// Files larger than this are not read: a vault of a million records stays well below it, and a
// link to an endless device or a huge foreign file must not exhaust the memory.
inline constexpr std::uintmax_t kMaxReadFileBytes = std::uintmax_t{1} << 30;

// A regular file read front to back in pieces, with the checks ReadWholeFile makes: the file is
// refused at once when it is no regular file (also behind a link) or larger than `maxBytes`, and
// no more than that is ever read, even from a file that grows meanwhile.
class FileChunkReader
{
public:
    // Throws FileError.
    explicit FileChunkReader(const std::filesystem::path& path, std::uintmax_t maxBytes = kMaxReadFileBytes);
    ~FileChunkReader();
    FileChunkReader(const FileChunkReader&) = delete;
    FileChunkReader& operator=(const FileChunkReader&) = delete;

    // The file's size when it was opened.
    std::uintmax_t Size() const { return m_size; }
    // Reads up to `room` bytes to `out`; 0 at the end of the file. Throws FileError.
    std::size_t Read(char* out, std::size_t room);

private:
    std::filesystem::path m_path;
    std::uintmax_t m_maxBytes;
    std::uintmax_t m_size = 0;
    std::uintmax_t m_read = 0;
#ifdef _WIN32
    std::FILE* m_file = nullptr;
#else
    int m_fd = -1;
#endif
};

// The whole content of a regular file; throws FileError when it cannot be read, is no regular
// file (a directory, FIFO or device, also behind a link) or is larger than `maxBytes`, so a
// damaged or hostile file never makes us wait or allocate without bound.
std::string ReadWholeFile(const std::filesystem::path& path, std::uintmax_t maxBytes = kMaxReadFileBytes);

// What tells one version of a file on disk from another: a save renames a new file into place,
// and another program's save does the same, so any save changes it.
struct FileIdentity
{
    std::uintmax_t device = 0;
    std::uintmax_t inode = 0;
    std::uintmax_t size = 0;
    std::int64_t modifiedNanoseconds = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// The identity of the file the path names (links followed); nothing when there is none.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& path);

// The path a write really replaces: the final target when `path` is a symbolic link (a link
// to a synced copy must keep pointing there), else `path` itself.
std::filesystem::path ResolveLinks(const std::filesystem::path& path);

// The shape of the unique temporary names written beside `file` before it is replaced: a hidden
// name of fixed length that only this file's writes use; the X's stand for the letters that
// make each name unique.
std::filesystem::path TemporaryPathTemplate(const std::filesystem::path& file);

// True when `candidate` is a temporary name made for `file`.
bool IsTemporaryPathOf(const std::filesystem::path& candidate, const std::filesystem::path& file);

// Receives an output in pieces, in order; throws to stop it.
using PieceWriter = std::function<void(std::string_view piece)>;
// Makes an output and hands it to `write` piece by piece, in order, so it is never held whole.
using OutputProducer = std::function<void(const PieceWriter& write)>;

// Throws FileError when the file, or the end of its link, is something a write must not replace:
// a directory, a device, a FIFO. A regular file or nothing there passes.
void RequireReplaceableFile(const std::filesystem::path& file);

// New content for a file, written completely to a temporary file of its own beside the file's
// real target and flushed to disk; Commit() renames it over the file. A staged file that is not
// committed is removed. The temporary name is new and created exclusively, so no other writer
// and no planted link can share it. Files are readable and writable by their owner only. Only a
// regular file is replaced: anything else where the file belongs (RequireReplaceableFile) is
// refused when the file is staged and again when it is committed.
class StagedFile
{
public:
    // Throws FileError; nothing is left behind then.
    StagedFile(const std::filesystem::path& file, std::string_view content);
    // The content as `produce` makes it. Whatever `produce` throws also leaves nothing behind.
    StagedFile(const std::filesystem::path& file, const OutputProducer& produce);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Throws FileError; the file is then as it was and the temporary file is gone.
    void Commit();

private:
    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    bool m_committed = false;
};

// Renames `from` over `to` as the last step of a staged write does, faults included. Throws
// FileError naming `to`.
void RenameFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Replaces the file with `content` so that a failure at any point, or a crash, leaves either
// the old or the new file complete. Throws FileError; the old file is then intact.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view content);
void WriteFileAtomically(const std::filesystem::path& path, const OutputProducer& produce);

// The steps of a staged write, for tests that make one of them fail.
enum class WriteStep
{
    Create,
    Write,
    Flush,
    Close,
    Rename
};

// While set, the hook is asked before every step and makes it fail by returning true.
using WriteFaultHook = std::function<bool(WriteStep)>;
void SetWriteFaultHook(WriteFaultHook hook);

} // namespace velmora
