#include "core/settings/IniDocument.h"

#include "core/os/AtomicFile.h"
#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

struct IniCase
{
    const char* name;
    std::string text;
    std::string section;
    std::string entry;
    std::optional<std::string> expected;
};

void PrintTo(const IniCase& c, std::ostream* os)
{
    *os << c.name;
}

class IniRules : public testing::TestWithParam<IniCase>
{};

TEST_P(IniRules, FindsWhatTheRulesSay)
{
    const IniCase& c = GetParam();
    const IniDocument document = IniDocument::Parse(c.text);
    const auto found = document.Find(c.section, c.entry);
    if (c.expected) {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, *c.expected);
    } else {
        EXPECT_FALSE(found.has_value()) << *found;
    }
    EXPECT_EQ(document.ReadString(c.section, c.entry), c.expected.value_or(""));
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniRules,
    testing::Values(IniCase{"Plain", "[S]\nA=1\n", "S", "A", "1"},
                    IniCase{"LinesAndSidesTrimmed", "  [ S ]  \r\n\t A  =  x y  \r\n", "S", "A", "x y"},
                    IniCase{"CrLfLineEnds", "[S]\r\nA=1\r\nB=2\r\n", "S", "B", "2"},
                    IniCase{"LastLineWithoutEnd", "[S]\nA=last", "S", "A", "last"},
                    IniCase{"SplitAtFirstEquals", "[S]\nA=b=c\n", "S", "A", "b=c"},
                    IniCase{"EmptyValueIsPresent", "[S]\nA=\n", "S", "A", ""},
                    IniCase{"CommentSkipped", "[S]\n;A=1\nA=2\n", "S", "A", "2"},
                    IniCase{"IndentedComment", "[S]\n   ; A=1\n", "S", "A", std::nullopt},
                    IniCase{"BeforeFirstSectionIgnored", "A=1\n[S]\n", "S", "A", std::nullopt},
                    IniCase{"LineWithoutEqualsIgnored", "[S]\nA\nA=2\n", "S", "A", "2"},
                    IniCase{"SectionNameCaseIgnored", "[misc]\nA=1\n", "MISC", "A", "1"},
                    IniCase{"EntryNameCaseIgnored", "[S]\nbutOK.Caption=1\n", "S", "BUTOK.CAPTION", "1"},
                    IniCase{"CyrillicNamesCaseIgnored", "[\xCF\xC0\xCF\xCA\xC0]\n\xC8\xCC\xDF=1\n",
                            "\xEF\xE0\xEF\xEA\xE0", "\xE8\xEC\xFF", "1"},
                    // "[ЇЖАК]" and "ҐЄЎІ=1" found as "їжак" and "ґєўі"
                    IniCase{"UkrainianAndBelarusianNamesCaseIgnored", "[\xAF\xC6\xC0\xCA]\n\xA5\xAA\xA1\xB2=1\n",
                            "\xBF\xE6\xE0\xEA", "\xB4\xBA\xA2\xB3", "1"},
                    IniCase{"LookAlikesAreOtherNames", "[S]\n\xA5=1\n", "S", "\xE3", std::nullopt},
                    IniCase{"FirstEntryWins", "[S]\nA=1\na=2\n", "S", "A", "1"},
                    IniCase{"FirstSectionWins", "[S]\nA=1\n[s]\nA=2\nB=3\n", "S", "A", "1"},
                    IniCase{"DuplicateSectionDropped", "[S]\nA=1\n[s]\nB=3\n", "S", "B", std::nullopt},
                    IniCase{"OtherSectionAfterDuplicate", "[S]\n[S]\n[T]\nB=3\n", "T", "B", "3"},
                    IniCase{"MissingSection", "[S]\nA=1\n", "T", "A", std::nullopt},
                    IniCase{"MissingEntry", "[S]\nA=1\n", "S", "B", std::nullopt},
                    IniCase{"UnclosedBracketIsNoSection", "[S]\n[T\nA=1\n", "S", "A", "1"},
                    IniCase{"EntryLeftInPreviousSection", "[S]\nA=1\n[T]\n", "T", "A", std::nullopt},
                    IniCase{"BinaryGarbage", std::string("\0[\xFF]\n=\n\0=\0", 10), "S", "A", std::nullopt}),
    [](const testing::TestParamInfo<IniCase>& info) { return std::string(info.param.name); });

TEST(IniDocument, WritesAndReadsBackInOrder)
{
    IniDocument document;
    document.WriteString("lan_sect", "lan_file", "/a/b.lng");
    document.WriteString("Other", "x", "1");
    document.WriteString("LAN_SECT", "LAN_FILE", "/c.lng"); // same entry, other case
    EXPECT_EQ(document.Text(), "[lan_sect]\r\nlan_file=/c.lng\r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(IniDocument::Parse(document.Text()).ReadString("lan_sect", "lan_file"), "/c.lng");
}

} // namespace
} // namespace velmora
