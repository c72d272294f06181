#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace velmora {

// Where the program's own files and each person's files live. Portable: all in the program
// directory, as it is copied around on a stick. Installed: the program files in the system's
// data directory, and each person's accounts and language choice in their own data directory.
enum class ProgramLayout
{
    Portable,
    Installed
};

struct ProgramFolders
{
    ProgramLayout layout;
    std::filesystem::path programFiles; // Default.lng, Languages/, Help/
    std::filesystem::path userFiles;    // Users/, DefName.lng
};

// Everything in one program directory.
ProgramFolders PortableFolders(const std::filesystem::path& programDir);

// The system's data directory of the program, fixed when the program is built.
std::filesystem::path InstalledProgramFilesDirectory();

// Portable when the executable's directory holds Default.lng or Users/, else installed, with the
// person's files in $XDG_DATA_HOME/velmora ($HOME/.local/share/velmora when that is not set).
// Throws FileError when the installed layout applies and no home directory is known.
ProgramFolders ChooseProgramFolders(const std::filesystem::path& executableDir);

// Creates the person's directory of the installed layout (and the missing folders above it)
// readable by its owner alone. Nothing to do for the portable layout. Throws FileError.
void CreateUserFilesDirectory(const ProgramFolders& folders);

// What `--version` prints for `program`: its version, the layout and the layout's folders, one
// per line, without a line end after the last.
std::string VersionText(std::string_view program, const ProgramFolders& folders);

} // namespace velmora
