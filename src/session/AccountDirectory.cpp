#include "session/AccountDirectory.h"

#include "settings/IniDocument.h"
#include "vault/AtomicFile.h"
#include "vault/CodePage.h"

#include <algorithm>
#include <functional>
#include <system_error>

namespace velmora {
namespace {

// The longest file an account has on disk: the hint's temporary file while it is saved.
constexpr std::string_view kLongestFileSuffix = kHintExtension;
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
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(UsersDirectory(programDir), error), end; !error && it != end;
         it.increment(error)) {
        const std::string fileName = Utf8FileName(it->path());
        if (!fileName.ends_with(kAccountExtension)) {
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

bool AccountNameFits(std::string_view name)
{
    if (name.size() > kMaxAccountNameLength) {
        return false;
    }
    const std::filesystem::path longest = TemporaryPathFor(FileNamePath(name, kLongestFileSuffix));
    return longest.native().size() <= kMaxFileNameBytes;
}

std::string ReadAccountHint(const std::filesystem::path& programDir, std::string_view name)
{
    const std::filesystem::path file = AccountFilePath(programDir, name, kHintExtension);
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        return {};
    }
    const std::string content = ReadFileLimited(file, kMaxHintFileBytes);
    return content.substr(0, content.find_first_of("\r\n"));
}

} // namespace velmora
