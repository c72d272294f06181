#include "core/account/ProgramFolders.h"

#include "ProgramInfo.h"
#include "core/account/AccountDirectory.h"
#include "core/os/AtomicFile.h"
#include "core/settings/IniLang.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace velmora {
namespace {

constexpr const char* kUserFilesFolderName = "velmora";

bool Exists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Only an absolute path counts: a relative one would depend on where the program was started.
std::filesystem::path AbsoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    const std::filesystem::path path = value == nullptr ? std::filesystem::path() : std::filesystem::path(value);
    return path.is_absolute() ? path : std::filesystem::path();
}

std::filesystem::path HomeDirectory()
{
    std::filesystem::path home = AbsoluteVariable("HOME");
    if (home.empty()) {
        const passwd* entry = getpwuid(getuid());
        if (entry != nullptr && entry->pw_dir != nullptr) {
            home = entry->pw_dir;
        }
    }
    if (!home.is_absolute()) {
        ThrowFileError("Cannot place the accounts directory", "$XDG_DATA_HOME/velmora",
                       "neither XDG_DATA_HOME nor HOME names an absolute directory");
    }
    return home;
}

std::filesystem::path UserDataHome()
{
    const std::filesystem::path configured = AbsoluteVariable("XDG_DATA_HOME");
    return configured.empty() ? HomeDirectory() / ".local" / "share" : configured;
}

} // namespace

ProgramFolders PortableFolders(const std::filesystem::path& programDir)
{
    return {ProgramLayout::Portable, programDir, programDir};
}

std::filesystem::path InstalledProgramFilesDirectory()
{
    return VELMORA_INSTALLED_DATA_DIR;
}

ProgramFolders ChooseProgramFolders(const std::filesystem::path& executableDir)
{
    if (Exists(executableDir / kDefaultLanguageFileName) || Exists(UsersDirectory(executableDir))) {
        return PortableFolders(executableDir);
    }
    return {ProgramLayout::Installed, InstalledProgramFilesDirectory(), UserDataHome() / kUserFilesFolderName};
}

void CreateUserFilesDirectory(const ProgramFolders& folders)
{
    if (folders.layout != ProgramLayout::Installed) {
        return;
    }
    // Each new folder on the way is private from the start, not only after a chmod.
    std::filesystem::path path;
    for (const std::filesystem::path& part : folders.userFiles) {
        path /= part;
        if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            ThrowFileError("Cannot create the directory", path, std::generic_category().message(errno));
        }
    }
    std::error_code error;
    if (!std::filesystem::is_directory(folders.userFiles, error)) {
        ThrowFileError("Cannot create the directory", folders.userFiles, "a file of that name is in the way");
    }
}

std::string VersionText(std::string_view program, const ProgramFolders& folders)
{
    return std::string(program) + ' ' + kVersion +
           "\nLayout: " + (folders.layout == ProgramLayout::Portable ? "portable" : "installed") +
           "\nProgram files: " + PathText(folders.programFiles) +
           "\nAccounts and language choice: " + PathText(folders.userFiles);
}

} // namespace velmora
