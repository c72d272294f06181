#include "core/account/AccountDirectory.h"

#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    std::error_code error;
    EXPECT_TRUE(ListAccounts(dir.Path(), error).empty()) << "no Users directory";
    EXPECT_FALSE(error) << "a missing Users directory is no failure";
    for (const char* file : {"anna.vmk", "bob.vmk", "Zed.vmk", "notes.txt", "x.vmk.vmk", ".vmk", "c.VMK"}) {
        Touch(dir / "Users" / file);
    }
    EXPECT_EQ(ListAccounts(dir.Path()), (std::vector<std::string>{"x.vmk", "bob", "anna", "Zed", ""}));
}

TEST(AccountDirectoryTest, ListsOnlyRegularFilesAsAccounts)
{
    test::TempDir dir;
    Touch(dir / "Users" / "file.vmk");
    Touch(dir / "elsewhere" / "synced.vmk");
    std::filesystem::create_symlink(dir / "elsewhere" / "synced.vmk", dir / "Users" / "linked.vmk");
    std::filesystem::create_directories(dir / "Users" / "folder.vmk");
    std::filesystem::create_symlink(dir / "elsewhere", dir / "Users" / "folder link.vmk");
    std::filesystem::create_symlink(dir / "nowhere", dir / "Users" / "broken.vmk");
    ASSERT_EQ(mkfifo((dir / "Users" / "fifo.vmk").c_str(), 0600), 0);
    EXPECT_EQ(ListAccounts(dir.Path()), (std::vector<std::string>{"linked", "file"}));
}

TEST(AccountDirectoryTest, AUsersDirectoryThatCannotBeReadIsAFailure)
{
    test::TempDir dir;
    Touch(dir / "Users", "a file where the directory belongs");
    std::error_code error;
    EXPECT_TRUE(ListAccounts(dir.Path(), error).empty());
    EXPECT_TRUE(error);
    EXPECT_TRUE(ListAccounts(dir.Path()).empty()) << "the program lists no names, as before";
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

TEST(AccountDirectoryTest, NamesThatWindowsOrACaseBlindDiskCannotHoldAreTroubleOfTheirKind)
{
    test::TempDir dir;
    // "Дом" and "Їжак" (Ukrainian), in Windows-1251.
    for (const char* file : {"home.vmk", "\xD0\xB4\xD0\xBE\xD0\xBC.vmk", "\xD0\x87\xD0\xB6\xD0\xB0\xD0\xBA.vmk"}) {
        Touch(dir / "Users" / file);
    }
    const struct
    {
        std::string name;
        NameTrouble trouble;
    } cases[] = {
        {"my bank", NameTrouble::None},
        {" leading blank", NameTrouble::None},
        {"a.b", NameTrouble::None},
        {"console", NameTrouble::None},
        {"COM0", NameTrouble::None},
        {"LPT10", NameTrouble::None},
        {"auxiliary.txt", NameTrouble::None},
        {"home", NameTrouble::None}, // the same name is the caller's "exists"
        {"homes", NameTrouble::None},
        {"dot.", NameTrouble::None}, // the file name goes on with ".vmk"
        {"blank ", NameTrouble::None},
        {"dots and blanks . .", NameTrouble::None},
        {".", NameTrouble::None},
        {"line\nbreak", NameTrouble::ControlCharacter},
        {"tab\there", NameTrouble::ControlCharacter},
        {std::string("nul\0byte", 8), NameTrouble::ControlCharacter},
        {"\x1F", NameTrouble::ControlCharacter},
        {"\x1B[31mred", NameTrouble::ControlCharacter},
        {"del\x7F", NameTrouble::ControlCharacter},
        {"CON\n", NameTrouble::ControlCharacter}, // the control character is what to fix first
        {"CON", NameTrouble::DeviceName},
        {"prn", NameTrouble::DeviceName},
        {"Aux", NameTrouble::DeviceName},
        {"nul.txt", NameTrouble::DeviceName},
        {"NUL .tar.gz", NameTrouble::DeviceName},
        {"com1", NameTrouble::DeviceName},
        {"COM9.x", NameTrouble::DeviceName},
        {"lpt5", NameTrouble::DeviceName},
        {"con.", NameTrouble::DeviceName},
        {"HOME", NameTrouble::OtherCase},
        {"hOmE", NameTrouble::OtherCase},
        {"\xC4\xCE\xCC", NameTrouble::OtherCase},     // "ДОМ"
        {"\xAF\xC6\xC0\xCA", NameTrouble::OtherCase}, // "ЇЖАК"
        {"\xBF\xE6\xE0\xEA", NameTrouble::OtherCase}, // "їжак": Ukrainian letters fold too
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindNameTrouble(dir.Path(), c.name), c.trouble) << c.name;
    }
}

TEST(AccountDirectoryTest, ARenameMayKeepItsNameOrChangeOnlyItsLetterCase)
{
    test::TempDir dir;
    for (const char* file : {"home.vmk", "CON.vmk", "work.vmk"}) {
        Touch(dir / "Users" / file);
    }
    EXPECT_EQ(FindNameTrouble(dir.Path(), "Home", "home"), NameTrouble::None);
    EXPECT_EQ(FindNameTrouble(dir.Path(), "CON", "CON"), NameTrouble::None) << "an account made before keeps its name";
    EXPECT_EQ(FindNameTrouble(dir.Path(), "con", "CON"), NameTrouble::DeviceName);
    EXPECT_EQ(FindNameTrouble(dir.Path(), "Work", "home"), NameTrouble::OtherCase);
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
