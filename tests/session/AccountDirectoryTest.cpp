#include "session/AccountDirectory.h"

#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace velmora {
namespace {

void Touch(const std::filesystem::path& file, const std::string& content = {})
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

TEST(AccountDirectoryTest, ListsAccountFilesInDescendingByteOrder)
{
    test::TempDir dir;
    EXPECT_TRUE(ListAccounts(dir.Path()).empty()) << "no Users directory";
    for (const char* file : {"anna.vmk", "bob.vmk", "Zed.vmk", "notes.txt", "x.vmk.vmk", ".vmk", "c.VMK"}) {
        Touch(dir / "Users" / file);
    }
    EXPECT_EQ(ListAccounts(dir.Path()), (std::vector<std::string>{"x.vmk", "bob", "anna", "Zed", ""}));
}

TEST(AccountDirectoryTest, ListsCyrillicNamesInCodePageOrder)
{
    test::TempDir dir;
    Touch(dir / "Users" / "\xD0\xB0\xD0\xBD\xD1\x8F.vmk"); // "аня" in UTF-8
    Touch(dir / "Users" / "zed.vmk");
    EXPECT_EQ(ListAccounts(dir.Path()), (std::vector<std::string>{"\xE0\xED\xFF", "zed"}));
    EXPECT_EQ(AccountFilePath(dir.Path(), "\xE0\xED\xFF", ".hint").filename().string(),
              "\xD0\xB0\xD0\xBD\xD1\x8F.hint");
}

TEST(AccountDirectoryTest, RefusesTheEightCharactersOnly)
{
    const struct
    {
        const char* name;
        bool passes;
    } cases[] = {{"", true},     {"my bank", true}, {"a*b", true},         {"a:b", false},
                 {"a/b", false}, {"a|b", false},    {"a\\b", false},       {"a?b", false},
                 {"\"", false},  {"<x>", false},    {"\xE0\xED\xFF", true}};
    for (const auto& c : cases) {
        EXPECT_EQ(CheckAccountName(c.name, kRefusedNameCharacters), c.passes) << c.name;
    }
}

TEST(AccountDirectoryTest, NameMustFitTheLongestFileName)
{
    // name + ".hint.tmp" must fit 255 bytes of UTF-8.
    EXPECT_TRUE(AccountNameFits(std::string(246, 'a')));
    EXPECT_FALSE(AccountNameFits(std::string(247, 'a')));
    EXPECT_TRUE(AccountNameFits(std::string(123, '\xE0'))); // Cyrillic letters take two bytes
    EXPECT_FALSE(AccountNameFits(std::string(124, '\xE0')));
}

TEST(AccountDirectoryTest, ReadsTheHintsFirstLine)
{
    test::TempDir dir;
    EXPECT_EQ(ReadAccountHint(dir.Path(), "anna"), "");
    Touch(dir / "Users" / "anna.hint", "my cat\r\nsecond line\r\n");
    EXPECT_EQ(ReadAccountHint(dir.Path(), "anna"), "my cat");
    Touch(dir / "Users" / ".hint", "empty name");
    EXPECT_EQ(ReadAccountHint(dir.Path(), ""), "empty name");
    std::filesystem::create_directories(dir / "Users" / "dir.hint");
    EXPECT_ANY_THROW(ReadAccountHint(dir.Path(), "dir"));
}

} // namespace
} // namespace velmora
