#include "core/search/Search.h"

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace velmora {
namespace {

struct MatchCase
{
    const char* text;
    const char* needle;
    TextMatch match;
    bool expected;
};

void PrintTo(const MatchCase& c, std::ostream* os)
{
    *os << '"' << c.text << "\" / \"" << c.needle << "\" exact " << c.match.exact << " case " << c.match.caseSensitive;
}

// Cyrillic in Windows-1251 bytes: "\xC0\xE1\xE2" is "Абв", "\xE0\xC1\xE2" is "аБв", "\xA8\xEB\xEA\xE0" "Ёлка".
class TextMatchesTest : public ::testing::TestWithParam<MatchCase>
{};

TEST_P(TextMatchesTest, ComparesByTheCodePage)
{
    const MatchCase& c = GetParam();
    EXPECT_EQ(TextMatches(c.text, c.needle, c.match), c.expected) << c.text << " / " << c.needle;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextMatchesTest,
    ::testing::Values(MatchCase{"Mail Box", "box", {}, true}, MatchCase{"Mail Box", "box", {false, true}, false},
                      MatchCase{"Mail Box", "Box", {false, true}, true}, MatchCase{"Abc", "abc", {true, false}, true},
                      MatchCase{"Abcd", "abc", {true, false}, false}, MatchCase{"Abcd", "abc", {false, false}, true},
                      MatchCase{"\xC0\xE1\xE2 x", "\xE0\xC1", {}, true},
                      MatchCase{"\xC0\xE1\xE2", "\xE0\xC1\xE2", {true, false}, true},
                      MatchCase{"\xC0\xE1\xE2", "\xE0\xC1\xE2", {true, true}, false},
                      MatchCase{"\xA8\xEB\xEA\xE0", "\xB8\xCB", {}, true}, MatchCase{"abc", "", {true, false}, false}));

// Ukrainian and Belarusian letters fold like the Russian ones: "\xAF\xE6\xE0\xEA" is "Їжак",
// "\xB2\xE2\xE0\xED" "Іван", "\xA5\xE0\xED\xEE\xEA" "Ганок" with Ґ, "\xAA\xE2\xE0" "Єва", "\xA1\xE7" "Ўз".
INSTANTIATE_TEST_SUITE_P(
    UkrainianAndBelarusian, TextMatchesTest,
    ::testing::Values(MatchCase{"\xAF\xE6\xE0\xEA", "\xBF\xC6", {}, true},
                      MatchCase{"\xB2\xE2\xE0\xED", "\xB3\xE2\xE0\xED", {true, false}, true},
                      MatchCase{"x \xA5\xE0\xED\xEE\xEA", "\xB4\xC0\xCD", {}, true},
                      MatchCase{"\xAA\xE2\xE0", "\xBA\xC2\xC0", {true, false}, true},
                      MatchCase{"\xA1\xE7", "\xA2\xC7", {}, true},
                      MatchCase{"\xB2\xE2\xE0\xED", "\xB3", {false, true}, false},
                      // Look-alikes are other letters: Latin i, Russian г, the micro sign beside ґ.
                      MatchCase{"\xB2\xE2\xE0\xED", "i", {}, false}, MatchCase{"\xC3", "\xB4", {}, false},
                      MatchCase{"\xB5", "\xB4", {}, false}, MatchCase{"\xB9 \xAB\xBB", "\xB9 \xAB\xBB", {}, true}));

// A case-blind match may start at the first letter in either case, before or after a false start.
INSTANTIATE_TEST_SUITE_P(MatchStarts, TextMatchesTest,
                         ::testing::Values(MatchCase{"hxHIT", "hit", {}, true}, MatchCase{"Hxhit", "HIT", {}, true},
                                           MatchCase{"hHhHi", "hi", {}, true}, MatchCase{"xxHi", "hI", {}, true},
                                           MatchCase{"xxH", "hi", {}, false}, MatchCase{"h", "hi", {}, false},
                                           MatchCase{"HhHh", "hi", {}, false},
                                           MatchCase{"\xB4x\xA5\xB3", "\xB4\xB2", {}, true},
                                           MatchCase{"#x#Hit", "#hIT", {}, true}, MatchCase{"a", "", {}, true}));

SearchOptions Options(std::string text, std::optional<std::size_t> folder = {}, TextMatch match = {})
{
    SearchOptions options;
    options.text = std::move(text);
    options.folder = folder;
    options.match = match;
    return options;
}

SearchOptions WithoutLogin(std::string text)
{
    SearchOptions options = Options(std::move(text));
    options.login = false;
    return options;
}

class RunSearchTest : public ::testing::Test
{
protected:
    RunSearchTest()
    {
        account.AddFolder("Mail", 0);
        account.Folder(0).AddRecord("Inbox", "mail.example", "anna", "7", "secret", "token in notes");
        account.Folder(0).AddRecord("Token", "x", "token-login", "8", "token-pass", "");
        account.AddFolder("Bank", 1);
        account.Folder(1).AddRecord("\xC1\xE0\xED\xEA", "bank.example", "anna", "", "pin", "");
        account.Folder(1).AddRecord("Card", "", "", "TOK", "", "");
    }

    std::vector<std::string> Found(const SearchOptions& options) const
    {
        std::vector<std::string> names;
        for (const SearchHit& hit : RunSearch(account, options)) {
            names.push_back(hit.recordName);
        }
        return names;
    }

    TAccount account;
};

TEST_F(RunSearchTest, AllFoldersListEachRecordOnceWithItsPlace)
{
    const std::vector<SearchHit> hits = RunSearch(account, Options("tok"));
    ASSERT_EQ(hits.size(), 2u); // "Token" hits in name, login and password, yet once; notes never
    EXPECT_EQ(hits[0].folderName, "Mail");
    EXPECT_EQ(hits[0].recordName, "Token");
    EXPECT_EQ(hits[0].key, account.Folder(0).RecordAt(1).Key);
    EXPECT_EQ(hits[0].folderIndex, 0u);
    EXPECT_EQ(hits[0].position, 2u);
    EXPECT_EQ(hits[1].recordName, "Card");
    EXPECT_EQ(hits[1].folderIndex, 1u);
    EXPECT_EQ(hits[1].position, 2u);
}

TEST_F(RunSearchTest, CurrentFolderFieldsAndConditions)
{
    EXPECT_EQ(Found(Options("anna", 1)), std::vector<std::string>{"\xC1\xE0\xED\xEA"});
    EXPECT_EQ(Found(Options("anna")), (std::vector<std::string>{"Inbox", "\xC1\xE0\xED\xEA"}));
    EXPECT_TRUE(Found(WithoutLogin("anna")).empty());
    EXPECT_TRUE(Found(Options("tok", 1, TextMatch{false, true})).empty());
    EXPECT_EQ(Found(Options("TOK", {}, TextMatch{false, true})), std::vector<std::string>{"Card"});
    EXPECT_EQ(Found(Options("\xE1\xC0\xCD", 1)), std::vector<std::string>{"\xC1\xE0\xED\xEA"});
    EXPECT_TRUE(Found(Options("\xE1\xE0\xED", {}, TextMatch{true, false})).empty());
    EXPECT_EQ(Found(Options("\xE1\xE0\xED\xEA", {}, TextMatch{true, false})),
              std::vector<std::string>{"\xC1\xE0\xED\xEA"});
    EXPECT_TRUE(Found(Options("notes")).empty());
    EXPECT_TRUE(Found(Options("anna", 5)).empty());
}

TEST(RunSearchUkrainianTest, FindsItsLettersInEitherCase)
{
    TAccount account;
    account.AddFolder("Home", 0);
    account.Folder(0).AddRecord("\xAF\xE6\xE0\xEA", "", "", "", "", "");
    account.Folder(0).AddRecord("Mail", "", "\xB3\xE2\xE0\xED", "", "\xAA\xA5\xA1", "");
    const auto names = [&account](const SearchOptions& options) {
        std::vector<std::string> found;
        for (const SearchHit& hit : RunSearch(account, options)) {
            found.push_back(hit.recordName);
        }
        return found;
    };
    EXPECT_EQ(names(Options("\xBF\xC6\xC0")), std::vector<std::string>{"\xAF\xE6\xE0\xEA"});
    EXPECT_EQ(names(Options("\xB2\xC2\xC0\xCD", {}, TextMatch{true, false})), std::vector<std::string>{"Mail"});
    EXPECT_EQ(names(Options("\xBA\xB4\xA2")), std::vector<std::string>{"Mail"}); // in the password
    EXPECT_TRUE(names(Options("\xBA\xB4\xA2", {}, TextMatch{false, true})).empty());
}

TEST(QuickJumpTest, FirstMatchingRowOrNone)
{
    const std::vector<std::string> rows{"Alpha", "\xCF\xEE\xF7\xF2\xE0", "\xEF\xEE", "Beta"};
    const auto caption = [&rows](std::size_t row) { return rows[row]; };
    EXPECT_EQ(FirstMatchingRow(rows.size(), caption, "\xEF\xEE", {}), 1u);
    EXPECT_EQ(FirstMatchingRow(rows.size(), caption, "\xEF\xEE", {true, false}), 2u);
    EXPECT_EQ(FirstMatchingRow(rows.size(), caption, "\xEF\xEE", {false, true}), 2u);
    EXPECT_EQ(FirstMatchingRow(rows.size(), caption, "ET", {}), 3u);
    EXPECT_FALSE(FirstMatchingRow(rows.size(), caption, "zz", {}));
    EXPECT_FALSE(FirstMatchingRow(rows.size(), caption, "", {}));
}

TEST(QuickJumpTest, UkrainianCaptionsInEitherCase)
{
    // "Alpha", "Іван", "іванко", "Ґанок"
    const std::vector<std::string> rows{"Alpha", "\xB2\xE2\xE0\xED", "\xB3\xE2\xE0\xED\xEA\xEE",
                                        "\xA5\xE0\xED\xEE\xEA"};
    const auto caption = [&rows](std::size_t row) { return rows[row]; };
    EXPECT_EQ(FirstMatchingRow(rows.size(), caption, "\xB3\xE2", {}), 1u);
    EXPECT_EQ(FirstMatchingRow(rows.size(), caption, "\xB2\xC2\xC0\xCD\xCA\xCE", {true, false}), 2u);
    EXPECT_EQ(FirstMatchingRow(rows.size(), caption, "\xB3\xE2", {false, true}), 2u);
    EXPECT_EQ(FirstMatchingRow(rows.size(), caption, "\xB4\xC0\xCD", {}), 3u);
    EXPECT_FALSE(FirstMatchingRow(rows.size(), caption, "\xE3\xE0\xED", {})); // г is no ґ
}

} // namespace
} // namespace velmora
