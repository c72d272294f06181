#pragma once

#include "core/vault/Account.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace velmora::fuzz {

// The password that enciphered the seed corpora, so mutations reach past the check lines.
inline constexpr const char* kSeedPassword = "fuzz seed";

// A file of this process that each input is written to, as the readers work on files; removed
// when the process ends normally, so runs leave nothing behind in the memory file system.
class InputFileOwner
{
public:
    explicit InputFileOwner(const char* name)
    {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        m_path = base / ("velmora-fuzz-" + std::to_string(getpid()) + "-" + name);
    }
    ~InputFileOwner()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    InputFileOwner(const InputFileOwner&) = delete;
    InputFileOwner& operator=(const InputFileOwner&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline const std::filesystem::path& InputFile(const char* name)
{
    static const InputFileOwner file(name);
    return file.Path();
}

inline void WriteInput(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

[[noreturn]] inline void Violation(const char* what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Every folder holds as many records as it counts, within the limit, each with a proper key.
inline void CheckAccount(const TAccount& account)
{
    if (account.FolderCount() > kMaxFolders) {
        Violation("more folders than an account may hold");
    }
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        const TFolderType& folder = account.Folder(f);
        if (folder.Index() != static_cast<int>(f)) {
            Violation("folder index differs from its position");
        }
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            const TRecType& record = folder.RecordAt(r);
            if (record.Key.size() != 20 || folder.FindRecord(record.Key) != &record) {
                Violation("record key missing or not found again");
            }
        }
        if ((folder.Count() == 0) != (folder.First() == nullptr) || folder.Count() > kMaxRecordsPerFolder) {
            Violation("folder count disagrees with its records");
        }
    }
}

} // namespace velmora::fuzz
