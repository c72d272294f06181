#include "core/account/AccountFiles.h"

#include "core/account/AccountBackup.h"
#include "core/account/AccountDirectory.h"
#include "core/account/AccountFilesWriter.h"
#include "core/os/AtomicFile.h"

#include <string>
#include <system_error>

namespace velmora {

std::vector<std::filesystem::path> DeleteAccountFiles(const std::filesystem::path& programDir, std::string_view name)
{
    std::vector<std::filesystem::path> remaining;
    for (const std::string_view extension : {kAccountExtension, kSettingsExtension, kHintExtension, kLockExtension}) {
        const std::filesystem::path file = AccountFilePath(programDir, name, extension);
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        // Judged by what is on disk afterwards: a file already gone is as good as removed,
        // one that cannot even be looked at is not.
        std::error_code probe;
        if (std::filesystem::symlink_status(file, probe).type() != std::filesystem::file_type::not_found) {
            remaining.push_back(file);
        }
    }
    try {
        RemoveImportBackup(programDir, name);
    } catch (const FileError&) {
        remaining.push_back(ImportBackupPath(programDir, name));
    }
    return remaining;
}

void WriteAccountHint(const std::filesystem::path& file, std::string_view hint)
{
    WriteFileAtomically(file, std::string(hint) + "\r\n");
}

} // namespace velmora
