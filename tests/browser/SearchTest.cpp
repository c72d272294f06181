#include "browser/Search.h"

#include <gtest/gtest.h>
#include <optional>
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

} // namespace
} // namespace velmora
