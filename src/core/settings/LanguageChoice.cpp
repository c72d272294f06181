#include "core/settings/LanguageChoice.h"

#include "core/os/AtomicFile.h"
#include "core/settings/IniDocument.h"

#include <system_error>

namespace velmora {
namespace {

constexpr std::uintmax_t kMaxChoiceFileBytes = 64u << 10;

} // namespace

std::filesystem::path ReadLanguageChoice(const std::filesystem::path& programDir, const std::filesystem::path& current)
{
    try {
        const std::filesystem::path file = programDir / kLanguageChoiceFileName;
        std::error_code error;
        if (!std::filesystem::exists(file, error)) {
            return current;
        }
        const IniDocument document = IniDocument::Parse(ReadWholeFile(file, kMaxChoiceFileBytes));
        const auto value = document.Find(kLanguageChoiceSection, kLanguageChoiceEntry);
        return value ? std::filesystem::path(std::string(*value)) : current;
    } catch (const std::exception&) {
        return current;
    }
}

bool WriteLanguageChoice(const std::filesystem::path& programDir, const std::filesystem::path& languageFile)
{
    const std::string value = languageFile.string();
    if (value.find_first_of("\r\n") != std::string::npos) {
        return false; // one INI line cannot hold it, and a broken line would be read as another entry
    }
    try {
        const std::filesystem::path file = programDir / kLanguageChoiceFileName;
        IniDocument document;
        std::error_code error;
        if (std::filesystem::exists(file, error)) {
            try {
                document = IniDocument::Parse(ReadWholeFile(file, kMaxChoiceFileBytes));
            } catch (const FileError&) {
                // An unreadable choice file is replaced by one that holds just the choice.
            }
        }
        document.WriteString(kLanguageChoiceSection, kLanguageChoiceEntry, value);
        WriteFileAtomically(file, document.Text());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace velmora
