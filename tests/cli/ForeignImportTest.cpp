#include "cli/CliTestSupport.h"
#include "cli/Commands.h"
#include "core/os/AtomicFile.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

namespace velmora::cli {
namespace {

using test::ExitCodeOf;
using test::UsersFile;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr std::string_view kXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<KeePassFile>
  <Root>
    <Group>
      <Name>Root</Name>
      <Group>
        <Name>Mail</Name>
        <Entry>
          <String><Key>Title</Key><Value>Box</Value></String>
          <String><Key>UserName</Key><Value>ann</Value></String>
          <String><Key>Password</Key><Value ProtectInMemory="True">s3cret</Value></String>
          <String><Key>Notes</Key><Value>one
two</Value></String>
          <String><Key>Nummer</Key><Value>ID-7</Value></String>
          <String><Key>PIN</Key><Value>1234</Value></String>
          <History><Entry/></History>
          <Tags>mail;work</Tags>
          <Times><Expires>True</Expires><ExpiryTime>2027-01-01T00:00:00Z</ExpiryTime></Times>
        </Entry>
      </Group>
    </Group>
  </Root>
</KeePassFile>
)";

class ForeignImportTest : public ::testing::Test
{
protected:
    CommandContext Context()
    {
        return {PortableFolders(dir.Path()), out, password, [] { return std::string("now"); }};
    }

    std::filesystem::path Input(std::string_view name, std::string_view content)
    {
        const std::filesystem::path path = input / std::string(name);
        WriteFileAtomically(path, content);
        return path;
    }

    void Import(const std::string& account, const std::filesystem::path& file, ForeignFormat from,
                bool replaceUnmappable = false)
    {
        ImportCommand(Context(),
                      {.account = account, .input = file, .from = from, .replaceUnmappable = replaceUnmappable});
    }

    std::string Show(const std::string& account)
    {
        out.str("");
        ShowCommand(Context(), {.account = account, .showPasswords = true});
        return out.str();
    }

    bool UsersEmpty() const
    {
        std::error_code error;
        return !std::filesystem::exists(dir / "Users", error) || std::filesystem::is_empty(dir / "Users");
    }

    velmora::test::TempDir dir;
    velmora::test::TempDir input;
    test::FixedPassword password{"pw"};
    std::ostringstream out;
};

TEST_F(ForeignImportTest, KeePassXmlBecomesANewAccountWithAReportOfWhatWasLeftOut)
{
    // The ID number's name in the language the program shows is taken as well.
    WriteFileAtomically(dir / "Default.lng", "[Misc]\nconst_cap3:string=Nummer\n");
    Import("Home", Input("export.xml", kXml), ForeignFormat::KeePassXml);
    EXPECT_EQ(out.str(), "Imported 1 folder with 1 record.\n"
                         "Left out: 1 history entry, 1 other custom field, 2 tags, 1 expiry date.\n");
    EXPECT_EQ(Show("Home"), "[Mail] (icon 0)\n  Box\n    URL:\n    Login: ann\n    ID number: ID-7\n"
                            "    Password: s3cret\n    Notes: one\n           two\n");
}

TEST_F(ForeignImportTest, ABrowsersExportIsReadByItsColumnNamesAndEveryRecordGetsAName)
{
    Import("Web",
           Input("Chrome Passwords.csv", "name,url,username,password,note\n"
                                         "Mail,https://mail.example/,ann,s3cret,\n"
                                         ",https://bank.example:8443/login,bob,1234,card\n"),
           ForeignFormat::Csv);
    EXPECT_EQ(out.str(), "Imported 1 folder with 2 records.\n"
                         "1 record had no name and is named after its web address, login or \"Untitled\".\n");
    EXPECT_EQ(Show("Web"), "[Chrome Passwords] (icon 0)\n"
                           "  Mail\n    URL: https://mail.example/\n    Login: ann\n    ID number:\n"
                           "    Password: s3cret\n    Notes:\n"
                           "  bank.example\n    URL: https://bank.example:8443/login\n    Login: bob\n    ID number:\n"
                           "    Password: 1234\n    Notes: card\n");
}

TEST_F(ForeignImportTest, AnAccountExportedAndImportedAgainGivesTheSameAccountFile)
{
    test::SaveHome(dir.Path(), std::nullopt);
    for (const auto& [format, from] : {std::pair{ExportFormat::KeePassXml, ForeignFormat::KeePassXml},
                                       std::pair{ExportFormat::Csv, ForeignFormat::Csv}}) {
        const std::filesystem::path file = input / "home.out";
        ExportCommand(Context(), {.account = "Home", .format = format, .output = file});
        struct stat status
        {};
        ASSERT_EQ(stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0600u);
        ImportCommand(Context(), {.account = "Copy", .input = file, .replace = true, .from = from});
        const std::string copy = ReadWholeFile(UsersFile(dir.Path(), "Copy.vmk"));
        if (from == ForeignFormat::KeePassXml) {
            EXPECT_EQ(copy, ReadWholeFile(UsersFile(dir.Path(), "Home.vmk")));
        } else {
            // CSV holds no empty folder (Bank) and no folder icons.
            EXPECT_EQ(Show("Copy"), "[Mail] (icon 0)\n  Box\n    URL:\n    Login: ann\n    ID number: ID-7\n"
                                    "    Password: x1\n    Notes:\n");
        }
    }
}

TEST_F(ForeignImportTest, RefusedImportsWriteNothingAndSayWhy)
{
    struct Case
    {
        std::string_view name;
        std::string content;
        ForeignFormat from;
        std::string message;
    };
    const Case cases[] = {
        {"broken.xml", "<KeePassFile><Root>", ForeignFormat::KeePassXml, "is not well-formed XML"},
        {"other.xml", "<html/>", ForeignFormat::KeePassXml, "is no KeePass XML file"},
        {"doctype.xml", "<!DOCTYPE KeePassFile [<!ENTITY x \"y\">]><KeePassFile><Root/></KeePassFile>",
         ForeignFormat::KeePassXml, "has a document type declaration"},
        {"latin1.xml",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><K\xE9"
         "ePassFile/>",
         ForeignFormat::KeePassXml, "is not well-formed XML: Encountered incorrectly encoded content"},
        {"no passwords.csv", "folder,name,login_uri,login_username,notes\nWeb,Mail,https://mail.example/,ann,\n",
         ForeignFormat::Csv, "has no password column (Password or login_password)"},
        {"broken.csv", "Title,Password\n\"x,y\n", ForeignFormat::Csv, "leaves a quote open that begins at line 2"},
        {"unmappable.csv", "Group,Title,Password\nRoot/Mail,Box \xE4\xB8\xAD,\xE2\x9C\x93 hidden\n", ForeignFormat::Csv,
         "group \"Mail\", entry \"Box \xE4\xB8\xAD\", field Title: U+4E2D\n"
         "  group \"Mail\", entry \"Box \xE4\xB8\xAD\", field Password"},
    };
    for (const Case& c : cases) {
        const std::filesystem::path file = Input(c.name, c.content);
        try {
            Import("Home", file, c.from);
            ADD_FAILURE() << c.name << " imported";
        } catch (const CommandError& error) {
            EXPECT_EQ(error.Code(), ExitCode::DamagedFile) << c.name;
            EXPECT_THAT(error.what(), HasSubstr(c.message)) << c.name;
            EXPECT_THAT(error.what(), Not(HasSubstr("U+2713"))) << c.name; // a password's character
        }
        EXPECT_TRUE(UsersEmpty()) << c.name;
        EXPECT_EQ(password.reads, 0) << c.name;
    }
}

TEST_F(ForeignImportTest, ReplacingUnmappableCharactersWritesQuestionMarksAndListsThem)
{
    Import("Home", Input("in.csv", "Title,Password\nBox \xE4\xB8\xAD,pw\n"), ForeignFormat::Csv, true);
    EXPECT_EQ(out.str(), "Imported 1 folder with 1 record.\n"
                         "Written as \"?\", as the code page cannot hold them:\n"
                         "  group \"in\", entry \"Box \xE4\xB8\xAD\", field Title: U+4E2D\n");
    EXPECT_THAT(Show("Home"), HasSubstr("[in] (icon 0)\n  Box ?\n"));
}

TEST_F(ForeignImportTest, NamesFromTheFileArePrintedEscaped)
{
    // A column or entry name holding ESC would set the terminal's colours if printed raw.
    Import("Home", Input("in.csv", "Title,Password,\x1b[31mred\nTitle \x1b\xE4\xB8\xAD,pw,x\n"), ForeignFormat::Csv,
           true);
    EXPECT_THAT(out.str(), Not(HasSubstr("\x1b")));
    EXPECT_THAT(out.str(), HasSubstr("Left out the columns \"\\u001b[31mred\"."));
    EXPECT_THAT(out.str(), HasSubstr("entry \"Title \\u001b\xE4\xB8\xAD\", field Title"));
}

TEST_F(ForeignImportTest, AnExportKeePassXmlCannotCarryIsRefusedAndWritesNothing)
{
    TAccount account;
    account.Name = "Home";
    account.Password = "pw";
    account.AddFolder("Mail", 0);
    account.Folder(0).AddRecord("Box", "", "", "", "", "bell \x07");
    test::SaveAccountFiles(dir.Path(), account, std::nullopt);
    EXPECT_EQ(ExitCodeOf([&] { ExportCommand(Context(), {.account = "Home", .format = ExportFormat::KeePassXml}); }),
              ExitCode::Usage);
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace velmora::cli
