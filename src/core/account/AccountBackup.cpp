#include "core/account/AccountBackup.h"

#include "core/account/AccountDirectory.h"
#include "core/os/AtomicFile.h"

#include <system_error>
#include <utility>

namespace velmora {
namespace {

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, const std::error_code& error = {})
{
    std::string message = what + " \"" + path.string() + "\"";
    if (error) {
        message += ": " + error.message();
    }
    throw FileError(message);
}

// Never deletes the target first: the copy goes to a temporary name and is renamed over it.
void ReplaceWithCopy(const std::filesystem::path& source, const std::filesystem::path& target)
{
    WriteFileAtomically(target, ReadWholeFile(source));
}

bool Exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

void Rename(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (error) {
        Fail("Cannot rename file", from, error);
    }
}

void RemoveFile(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::remove(path, error);
    if (Exists(path)) {
        Fail("Cannot delete file", path, error);
    }
}

} // namespace

void CopyAccountFiles(const std::filesystem::path& programDir, std::string_view name,
                      const std::filesystem::path& target)
{
    // Copying the files onto themselves would gain nothing and risk them.
    std::error_code error;
    if (std::filesystem::equivalent(UsersDirectory(programDir), target, error)) {
        Fail("The copy cannot go into the account directory itself", target);
    }
    for (const std::string_view extension : {kAccountExtension, kSettingsExtension, kHintExtension}) {
        const std::filesystem::path source = AccountFilePath(programDir, name, extension);
        const std::filesystem::path copy = target / source.filename();
        if (extension == kHintExtension && !Exists(source)) {
            RemoveFile(copy); // an account without a hint has none in its copy either
        } else {
            ReplaceWithCopy(source, copy);
        }
    }
}

std::filesystem::path ImportBackupPath(const std::filesystem::path& programDir, std::string_view name)
{
    return AccountFilePath(programDir, name, kImportBackupExtension);
}

void MakeImportBackup(const std::filesystem::path& programDir, std::string_view name)
{
    const std::filesystem::path account = AccountFilePath(programDir, name, kAccountExtension);
    std::error_code error;
    if (!std::filesystem::is_regular_file(account, error)) {
        Fail("No account file to keep", account, error);
    }
    Rename(account, ImportBackupPath(programDir, name));
}

void PutBackImportBackup(const std::filesystem::path& programDir, std::string_view name)
{
    Rename(ImportBackupPath(programDir, name), AccountFilePath(programDir, name, kAccountExtension));
}

void RemoveImportBackup(const std::filesystem::path& programDir, std::string_view name)
{
    RemoveFile(ImportBackupPath(programDir, name));
}

std::filesystem::path CompanionPath(const std::filesystem::path& file, std::string_view extension)
{
    std::filesystem::path companion = file;
    companion.replace_extension(std::filesystem::path(extension));
    return companion;
}

bool BringImportCompanions(const std::filesystem::path& imported, const std::filesystem::path& programDir,
                           std::string_view name)
{
    bool settings = false;
    for (const std::string_view extension : {kSettingsExtension, kHintExtension}) {
        const std::filesystem::path source = CompanionPath(imported, extension);
        if (Exists(source)) {
            ReplaceWithCopy(source, AccountFilePath(programDir, name, extension));
            settings = settings || extension == kSettingsExtension;
        }
    }
    return settings;
}

void DeleteImportSources(const std::filesystem::path& imported)
{
    for (const std::filesystem::path& file :
         {imported, CompanionPath(imported, kSettingsExtension), CompanionPath(imported, kHintExtension)}) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

std::vector<std::filesystem::path> RecoverUnfinishedImports(const std::filesystem::path& programDir)
{
    // By the end of the name, as the account list goes: ".vm#" alone is the backup of the account "".
    std::vector<std::pair<std::filesystem::path, std::filesystem::path>> backups; // backup, account file
    std::error_code error;
    for (std::filesystem::directory_iterator it(UsersDirectory(programDir), error), end; !error && it != end;
         it.increment(error)) {
        const std::u8string fileName = it->path().filename().u8string();
        const std::string_view name(reinterpret_cast<const char*>(fileName.data()), fileName.size());
        if (name.ends_with(kImportBackupExtension)) {
            const std::string stem(name.substr(0, name.size() - kImportBackupExtension.size()));
            const std::string accountName = stem + std::string(kAccountExtension);
            backups.emplace_back(it->path(),
                                 it->path().parent_path() / std::u8string(accountName.begin(), accountName.end()));
        }
    }
    std::vector<std::filesystem::path> recovered;
    for (const auto& [backup, account] : backups) {
        std::error_code renameError;
        if (!Exists(account) && std::filesystem::is_regular_file(backup, renameError)) {
            std::filesystem::rename(backup, account, renameError);
            if (!renameError) {
                recovered.push_back(account);
            }
        }
    }
    return recovered;
}

} // namespace velmora
