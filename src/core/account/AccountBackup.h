#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace velmora {

// Copies of whole accounts and the backup an account import keeps while it runs. Every file
// that is replaced here is replaced by a copy under a temporary name that is then renamed over
// it, so a failure never leaves a target without its previous file.

// During an account import the account file Users/N.vmk waits as Users/N.vm#.
inline constexpr std::string_view kImportBackupExtension = ".vm#";

// Copies N.vmk, N.int and N.hint (when the account has a hint) from Users/ into `target`, in
// that order, replacing files of those names there; a stale N.hint there goes, so the copy holds
// exactly the account's files. Refuses the account directory itself as the target. Throws
// FileError; the copies made before the failure stay.
void CopyAccountFiles(const std::filesystem::path& programDir, std::string_view name,
                      const std::filesystem::path& target);

std::filesystem::path ImportBackupPath(const std::filesystem::path& programDir, std::string_view name);

// Renames N.vmk to N.vm#, so N.vm# holds exactly the account file and N.vmk is gone. Throws
// FileError when that cannot be done; nothing has changed then.
void MakeImportBackup(const std::filesystem::path& programDir, std::string_view name);

// Renames N.vm# back to N.vmk, over an N.vmk written since: the account file is again the one
// MakeImportBackup kept. Throws FileError when that cannot be done; nothing has changed then.
void PutBackImportBackup(const std::filesystem::path& programDir, std::string_view name);

// Removes N.vm#; a missing one counts as removed. Deleting or renaming an account calls this
// too, so no left-over backup can bring the account back. Throws FileError when it stays.
void RemoveImportBackup(const std::filesystem::path& programDir, std::string_view name);

// `file` with its extension replaced: the settings and hint files beside an imported account file.
std::filesystem::path CompanionPath(const std::filesystem::path& file, std::string_view extension);

// Replaces N.int and N.hint with the settings and hint files beside `imported`, each when it
// exists. True when the settings file was replaced. Throws FileError.
bool BringImportCompanions(const std::filesystem::path& imported, const std::filesystem::path& programDir,
                           std::string_view name);

// Deletes `imported` and its settings and hint companions; failures are ignored.
void DeleteImportSources(const std::filesystem::path& imported);

// An import that was cut off (crash, power loss) left the account file only as N.vm#. Renames
// every N.vm# without an N.vmk back to N.vmk, undoing the import, and returns the account files
// it brought back; an N.vm# beside its N.vmk is left for the user.
std::vector<std::filesystem::path> RecoverUnfinishedImports(const std::filesystem::path& programDir);

} // namespace velmora
