#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velmora {

// The account directory beside the program: per account name N the files N.vmk (account),
// N.int (settings) and N.hint (password hint), directly in Users/. Names are code-page bytes;
// file names are in the file system's own encoding.

inline constexpr std::string_view kAccountExtension = ".vmk";
inline constexpr std::string_view kSettingsExtension = ".int";
inline constexpr std::string_view kHintExtension = ".hint";

// The characters an account name must not hold, each followed by a blank: the list shown to
// the user after the refusal message, and the list CheckAccountName tests against.
inline constexpr std::string_view kRefusedNameCharacters = "\\ / : ? \" < > |";

// The longest account name in code-page characters.
inline constexpr std::size_t kMaxAccountNameLength = 255;

// The longest account password the program's fields take, in code-page characters.
inline constexpr std::size_t kMaxAccountPasswordLength = 256;

std::filesystem::path UsersDirectory(const std::filesystem::path& programDir);

// Users/ + name + extension.
std::filesystem::path AccountFilePath(const std::filesystem::path& programDir, std::string_view name,
                                      std::string_view extension);

// The names of the account files in Users/ (the file names without their last four
// characters), in descending byte order. A missing Users/ gives no names. A file name the code
// page cannot spell is left out: no name typed here could open it. So is anything that is no
// regular file, also at the end of a link: a directory, a device, a FIFO, a broken link.
std::vector<std::string> ListAccounts(const std::filesystem::path& programDir);
// The same, setting `error` when Users/ exists but cannot be read (the names then are those read
// before the failure).
std::vector<std::string> ListAccounts(const std::filesystem::path& programDir, std::error_code& error);

// False as soon as a character of the name stands at an odd (1-based) position of
// `characterList`; an empty name passes.
bool CheckAccountName(std::string_view name, std::string_view characterList);

// Why a name that passes CheckAccountName still would not survive a move to Windows or to a disk
// that ignores letter case.
enum class NameTrouble
{
    None,
    ControlCharacter, // a line break, a tab or another control character: no Windows file name holds one
    DeviceName,       // CON, nul.txt, COM1 ...: Windows opens the device, whatever follows the first dot
    OtherCase         // another account in Users/ has the name in other letter case
};

// `renamedFrom` is the current name of an account being renamed: keeping that name, or changing
// only its letter case, is no trouble. An account of exactly `name` is no clash either; whether
// the name is taken is the caller's test.
NameTrouble FindNameTrouble(const std::filesystem::path& programDir, std::string_view name,
                            std::optional<std::string_view> renamedFrom = std::nullopt);

// True when every file of the account, including the temporary name a save writes first, has a
// name the file system can hold (255 bytes in its encoding), and the name is at most
// kMaxAccountNameLength characters.
bool AccountNameFits(std::string_view name);

// The first line of Users/N.hint; empty when there is no such file. Throws FileError when the
// file exists but cannot be read.
std::string ReadAccountHint(const std::filesystem::path& programDir, std::string_view name);

} // namespace velmora
