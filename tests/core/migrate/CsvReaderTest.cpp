#include "core/migrate/CsvReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using ::testing::HasSubstr;

Rows AllRows(const CsvTable& table)
{
    Rows rows{table.Header()};
    for (std::size_t i = 0; i < table.RowCount(); ++i) {
        rows.push_back(table.Row(i));
    }
    return rows;
}

TEST(CsvReader, ReadsQuotingLineEndsAndByteOrderMarkAsRfc4180Says)
{
    struct Case
    {
        std::string_view name;
        std::string text;
        Rows rows;
    };
    const Case cases[] = {
        {"plain, no final line end", "a,b\n1,2", {{"a", "b"}, {"1", "2"}}},
        {"CR LF rows", "a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}},
        {"empty fields", "a,b,c\n,,\n", {{"a", "b", "c"}, {"", "", ""}}},
        {"comma, quote and line breaks inside quotes",
         "a,b\n\"x,y\",\"say \"\"hi\"\"\nline2\r\nline3\"\n",
         {{"a", "b"}, {"x,y", "say \"hi\"\nline2\r\nline3"}}},
        {"empty quoted field", "a\n\"\"\n", {{"a"}, {""}}},
        {"byte order mark", "\xEF\xBB\xBFTitle\nx\n", {{"Title"}, {"x"}}},
        {"blank lines skipped", "a\n\nx\r\n\r\ny\n\n", {{"a"}, {"x"}, {"y"}}},
        {"UTF-8 kept",
         "Title\n\xD0\x94\xD0\xBE\xD0\xBC \xE4\xB8\xAD\n",
         {{"Title"}, {"\xD0\x94\xD0\xBE\xD0\xBC \xE4\xB8\xAD"}}},
        {"a lone CR is text", "a\nx\ry\n", {{"a"}, {"x\ry"}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AllRows(CsvTable(c.text)), c.rows) << c.name;
    }
}

TEST(CsvReader, RefusesBrokenFilesNamingTheLine)
{
    struct Case
    {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"", "no header row"},
        {"\n\n", "no header row"},
        {"a,b\n1,2\n\"open,3\n4,5\n", "leaves a quote open that begins at line 3"},
        {"a\n\"x\"y\n", "text after a closing quote at line 2"},
        {"a\nx\"y\n", "quote inside a field that does not begin with one at line 2"},
        {"a,b\n1,2\n\"multi\nline\",2\n3\n", "has 1 fields in place of the header's 2 at line 5"},
        {"a,b\n1,2,3\n", "has 3 fields in place of the header's 2 at line 2"},
        {"a\nok\n\xFF\n", "is not UTF-8 at line 3"},
        {"a\n\xD0\n", "is not UTF-8 at line 2"},
    };
    for (const Case& c : cases) {
        try {
            CsvTable table(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const CsvError& error) {
            EXPECT_THAT(error.what(), HasSubstr(c.message)) << c.text;
        }
    }
}

TEST(CsvReader, FindsColumnsByNameInAnyLetterCase)
{
    const CsvTable table("Group,TITLE,userName,Title\n");
    EXPECT_EQ(table.Column("group"), 0u);
    EXPECT_EQ(table.Column("Title"), 1u); // the first of two
    EXPECT_EQ(table.Column("USERNAME"), 2u);
    EXPECT_EQ(table.Column("Password"), std::nullopt);
    EXPECT_EQ(table.Column("Titl"), std::nullopt);
}

} // namespace
} // namespace velmora
