#include "core/account/AccountDirectory.h"

#include "core/os/AtomicFile.h"
#include "core/os/FileExists.h"
#include "core/settings/IniDocument.h"
#include "core/vault/CodePage.h"

#include <algorithm>
#include <functional>
#include <system_error>

namespace velmora {
namespace {

// The longest file an account has on disk: the hint's temporary file as installations on
// other systems name it while it is saved, so an account can move there.
constexpr std::string_view kLongestFileSuffix = ".hint.tmp";
constexpr std::size_t kMaxFileNameBytes = 255;
// A hint is one short line; a larger file is damaged, and is not read whole into memory.
constexpr std::uintmax_t kMaxHintFileBytes = 64 * 1024;

std::filesystem::path FileNamePath(std::string_view name, std::string_view extension)
{
    const std::string utf8 = CodePageToUtf8(name) + std::string(extension);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FileName(const std::filesystem::path& path)
{
    const std::u8string name = path.filename().u8string();
    return std::string(name.begin(), name.end());
}

// Windows opens a device for these names, whatever follows their first dot.
bool IsDeviceName(std::string_view name)
{
    std::string_view stem = name.substr(0, name.find('.'));
    stem = stem.substr(0, stem.find_last_not_of(' ') + 1); // "nul .txt" is the device too
    const std::string folded = FoldNameCase(stem);
    const bool numbered = folded.size() == 4 && (folded.starts_with("com") || folded.starts_with("lpt")) &&
                          folded[3] >= '1' && folded[3] <= '9';
    return numbered || folded == "con" || folded == "prn" || folded == "aux" || folded == "nul";
}

bool HoldsControlCharacter(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

} // namespace

std::filesystem::path UsersDirectory(const std::filesystem::path& programDir)
{
    return programDir / "Users";
}

std::filesystem::path AccountFilePath(const std::filesystem::path& programDir, std::string_view name,
                                      std::string_view extension)
{
    return UsersDirectory(programDir) / FileNamePath(name, extension);
}

std::vector<std::string> ListAccounts(const std::filesystem::path& programDir)
{
    std::error_code ignored;
    return ListAccounts(programDir, ignored);
}

std::vector<std::string> ListAccounts(const std::filesystem::path& programDir, std::error_code& error)
{
    std::vector<std::string> names;
    error.clear();
    std::filesystem::directory_iterator it(UsersDirectory(programDir), error);
    if (error == std::errc::no_such_file_or_directory) {
        error.clear();
        return names;
    }
    for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
        const std::string fileName = Utf8FileName(it->path());
        // A directory or device named like an account file holds no account.
        std::error_code notRegular;
        if (!fileName.ends_with(kAccountExtension) || !it->is_regular_file(notRegular)) {
            continue;
        }
        CodePageText name = Utf8ToCodePage(std::string_view(fileName).substr(0, fileName.size() - 4));
        if (!name.unmappable) {
            names.push_back(std::move(name.bytes));
        }
    }
    // std::string compares bytes as unsigned codes, as the list is meant to be ordered.
    std::sort(names.begin(), names.end(), std::greater<>());
    return names;
}

bool CheckAccountName(std::string_view name, std::string_view characterList)
{
    for (const char c : name) {
        const std::size_t position = characterList.find(c);
        if (position != std::string_view::npos && position % 2 == 0) {
            return false; // a 0-based even index is an odd position counted from 1
        }
    }
    return true;
}

NameTrouble FindNameTrouble(const std::filesystem::path& programDir, std::string_view name,
                            std::optional<std::string_view> renamedFrom)
{
    if (name == renamedFrom) {
        return NameTrouble::None;
    }
    // A trailing dot or blank is no trouble: the file name ends in the extension.
    if (HoldsControlCharacter(name)) {
        return NameTrouble::ControlCharacter;
    }
    if (IsDeviceName(name)) {
        return NameTrouble::DeviceName;
    }
    const std::string folded = FoldNameCase(name);
    for (const std::string& other : ListAccounts(programDir)) {
        if (other != name && other != renamedFrom && FoldNameCase(other) == folded) {
            return NameTrouble::OtherCase;
        }
    }
    return NameTrouble::None;
}

bool AccountNameFits(std::string_view name)
{
    if (name.size() > kMaxAccountNameLength) {
        return false;
    }
    const std::filesystem::path longest = FileNamePath(name, kLongestFileSuffix);
    return longest.native().size() <= kMaxFileNameBytes;
}

std::string ReadAccountHint(const std::filesystem::path& programDir, std::string_view name)
{
    const std::filesystem::path file = AccountFilePath(programDir, name, kHintExtension);
    if (!FileExists(file)) {
        return {};
    }
    const std::string content = ReadWholeFile(file, kMaxHintFileBytes);
    return content.substr(0, content.find_first_of("\r\n"));
}

} // namespace velmora
