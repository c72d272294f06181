#include "cli/CommandTable.h"
#include "cli/Completion.h"

#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>

namespace velmora::cli {
namespace {

std::string ReadFile(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool NameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-';
}

// Whether `text` holds `word` with no name character or dash right before or after it.
bool HoldsWord(const std::string& text, const std::string& word)
{
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        const bool before = at > 0 && (NameCharacter(text[at - 1]) || text[at - 1] == '\\');
        const bool after = at + word.size() < text.size() && NameCharacter(text[at + word.size()]);
        if (!before && !after) {
            return true;
        }
    }
    return false;
}

// The words the completion offers after a command.
std::string CompletionLine(const std::string& completion, const std::string& command)
{
    const std::string start = "        " + command + ") options='";
    const std::size_t at = completion.find(start);
    return at == std::string::npos ? std::string() : completion.substr(at, completion.find('\n', at) - at);
}

// Roff writes a dash as "\-".
std::string InRoff(const std::string& word)
{
    return std::regex_replace(word, std::regex("-"), "\\-");
}

// The completion and the manual page the build made know every command of the table and every
// option of each.
TEST(CompletionAndManual, NameEveryCommandAndOption)
{
    const std::string completion = ReadFile(VELMORA_COMPLETION);
    const std::string manual = ReadFile(VELMORA_MANUAL_PAGE);
    ASSERT_FALSE(completion.empty());
    ASSERT_FALSE(manual.empty());
    for (const CommandEntry& entry : CommandTable()) {
        const std::string name(entry.name);
        EXPECT_TRUE(HoldsWord(completion, name)) << name;
        EXPECT_TRUE(HoldsWord(manual, name)) << name;
        CLI::App command;
        entry.define(command);
        for (const CLI::Option* option : VisibleOptions(command)) {
            for (const std::string& word : OptionNames(*option)) {
                if (word == "-h" || word == "--help") {
                    continue; // every command's, and named once in the page
                }
                EXPECT_TRUE(HoldsWord(CompletionLine(completion, name), word)) << name << ' ' << word;
                EXPECT_NE(manual.find(InRoff(word)), std::string::npos) << name << ' ' << word;
            }
        }
    }
}

} // namespace
} // namespace velmora::cli
