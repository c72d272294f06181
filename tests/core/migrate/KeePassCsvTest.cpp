#include "core/migrate/KeePassCsv.h"

#include "core/migrate/MigrateTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velmora {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::vector<std::string> kIdNames = IdNumberFieldNames("");

// As keepassxc-cli export -f csv writes it.
constexpr std::string_view kKeePassXcExport =
    "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\",\"Created\"\n"
    "\"Root\",\"Top\",\"\",\"t\",\"\",\"\",\"\",\"0\",\"2026-12-10T16:55:32Z\",\"2026-12-10T16:55:32Z\"\n"
    "\"Root/Mail/Work\",\"Box\",\"ann\",\"p\"\"w\",\"https://mail.example\",\"one\ntwo\",\"\",\"0\",\"\",\"\"\n"
    "\"Root/Bank\",\"Card\",\"bob\",\"1234\",\"\",\"\",\"\",\"0\",\"\",\"\"\n"
    "\"Root/Mail/Work\",\"Second\",\"\",\"\",\"\",\"\",\"\",\"0\",\"\",\"\"\n";

TEST(KeePassCsv, ReadsKeePassXcsExportIntoFoldersInTheOrderTheyComeFirst)
{
    const ImportedEntries imported = ReadKeePassCsv(kKeePassXcExport, "file", kIdNames);
    ASSERT_EQ(imported.groups.size(), 3u);
    EXPECT_EQ(imported.groups[0].name, "Root");
    EXPECT_EQ(imported.groups[1].name, "Mail / Work");
    EXPECT_EQ(imported.groups[2].name, "Bank");
    ASSERT_EQ(imported.groups[1].entries.size(), 2u);
    const ImportedEntry& box = imported.groups[1].entries[0];
    EXPECT_EQ(box.title, "Box");
    EXPECT_EQ(box.username, "ann");
    EXPECT_EQ(box.password, "p\"w");
    EXPECT_EQ(box.url, "https://mail.example");
    EXPECT_EQ(box.notes, "one\ntwo");
    EXPECT_EQ(imported.groups[1].entries[1].title, "Second");
    // TOTP holds nothing, so nothing of it is lost.
    EXPECT_THAT(imported.leftOut.otherColumns, ElementsAre("Icon", "Last Modified", "Created"));
}

// Other password managers' and browsers' exports, as their column names lay them out.
struct ExportShape
{
    std::string_view name;
    std::string_view csv;
    std::vector<std::string> leftOutColumns;
};

void PrintTo(const ExportShape& shape, std::ostream* os)
{
    *os << shape.name;
}

class ExportShapes : public testing::TestWithParam<ExportShape>
{};

TEST_P(ExportShapes, AreReadByTheirColumnNames)
{
    const ImportedEntries imported = ReadKeePassCsv(GetParam().csv, "passwords", kIdNames);
    ASSERT_EQ(imported.groups.size(), 1u);
    ASSERT_EQ(imported.groups[0].entries.size(), 1u);
    const ImportedEntry& entry = imported.groups[0].entries[0];
    EXPECT_EQ(entry.title, "Mail");
    EXPECT_EQ(entry.url, "https://mail.example/");
    EXPECT_EQ(entry.username, "ann");
    EXPECT_EQ(entry.password, "s3cret");
    EXPECT_EQ(entry.notes, "one\ntwo");
    EXPECT_EQ(imported.leftOut.otherColumns, GetParam().leftOutColumns);
}

INSTANTIATE_TEST_SUITE_P(
    Exports, ExportShapes,
    testing::Values(ExportShape{"password manager", // its folder path names the folder itself, no root before it
                                "folder,name,login_uri,login_username,login_password,notes\n"
                                "Web/Mail,Mail,https://mail.example/,ann,s3cret,\"one\ntwo\"\n",
                                {}},
                    ExportShape{
                        "password manager, all its columns",
                        "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,"
                        "login_totp\n"
                        "Web/Mail,,login,Mail,\"one\ntwo\",PIN: 1234,0,https://mail.example/,ann,s3cret,\n",
                        {"type", "fields", "reprompt"}},
                    ExportShape{"browser",
                                "name,url,username,password,note\n"
                                "Mail,https://mail.example/,ann,s3cret,\"one\ntwo\"\n",
                                {}},
                    ExportShape{"browser in capitals",
                                "NAME,URL,USERNAME,PASSWORD,NOTE\n"
                                "Mail,https://mail.example/,ann,s3cret,\"one\ntwo\"\n",
                                {}}));

TEST(KeePassCsv, AFolderColumnNamesTheFolderAndAGroupColumnStartsWithTheRoot)
{
    const ImportedEntries folders =
        ReadKeePassCsv("folder,name,login_password\nWeb/Mail,a,p\n,b,p\nBank,c,p\n", "passwords", kIdNames);
    ASSERT_EQ(folders.groups.size(), 3u);
    EXPECT_EQ(folders.groups[0].name, "Web / Mail");
    EXPECT_EQ(folders.groups[1].name, "passwords");
    EXPECT_EQ(folders.groups[2].name, "Bank");
    const ImportedEntries groups = ReadKeePassCsv("Group,Title,Password\nRoot/Web/Mail,a,p\n", "passwords", kIdNames);
    EXPECT_EQ(groups.groups.at(0).name, "Web / Mail");
}

TEST(KeePassCsv, ReadsTheIdNumberOfTheOldAndTheNewLayout)
{
    const std::string_view layouts[] = {
        "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"ID number\"\n"
        "\"Home/Mail\",\"Box\",\"ann\",\"pw\",\"\",\"\",\"ID-7\"\n",
        "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last "
        "Modified\",\"Created\","
        "\"ID number\"\n"
        "\"Home/Mail\",\"Box\",\"ann\",\"pw\",\"\",\"\",\"\",\"\",\"\",\"\",\"ID-7\"\n",
    };
    for (const std::string_view csv : layouts) {
        const ImportedEntries imported = ReadKeePassCsv(csv, "f", kIdNames);
        ASSERT_EQ(imported.groups.size(), 1u) << csv;
        EXPECT_EQ(imported.groups[0].name, "Mail") << csv;
        EXPECT_EQ(imported.groups[0].entries.at(0).idNumber, "ID-7") << csv;
        EXPECT_EQ(imported.groups[0].entries.at(0).password, "pw") << csv;
        EXPECT_TRUE(imported.leftOut.otherColumns.empty()) << csv;
    }
}

TEST(KeePassCsv, RefusesAFileWithoutAPasswordColumnNamingWhatIsMissing)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"folder,title,login_pass\nWeb,Mail,pw\n", "has no password column (Password or login_password)"},
        {"folder,site,secret\nWeb,Mail,pw\n",
         "has neither a title column (Title or name) nor a password column (Password or login_password)"},
    };
    for (const auto& [csv, message] : cases) {
        try {
            ReadKeePassCsv(csv, "f", kIdNames);
            ADD_FAILURE() << "accepted: " << csv;
        } catch (const ImportError& error) {
            EXPECT_THAT(error.what(), HasSubstr(message)) << csv;
        }
    }
}

TEST(KeePassCsv, FindsColumnsInAnyOrderAndCaseAndPutsEntriesWithoutGroupInTheFilesFolder)
{
    const ImportedEntries imported =
        ReadKeePassCsv("\xEF\xBB\xBFnotes,PASSWORD,title,id NUMBER,Extra\r\nn,p,t,7,x\r\n", "export", kIdNames);
    ASSERT_EQ(imported.groups.size(), 1u);
    EXPECT_EQ(imported.groups[0].name, "export");
    const ImportedEntry& entry = imported.groups[0].entries.at(0);
    EXPECT_EQ(entry.notes, "n");
    EXPECT_EQ(entry.password, "p");
    EXPECT_EQ(entry.title, "t");
    EXPECT_EQ(entry.idNumber, "7");
    EXPECT_EQ(entry.username, "");
    EXPECT_THAT(imported.leftOut.otherColumns, ElementsAre("Extra"));
}

TEST(KeePassCsv, RefusesAFileWithoutAnyKnownColumnOrBrokenQuoting)
{
    for (const std::string_view text : {"Site,Secret\nx,y\n", "Password\n\"open\n"}) {
        EXPECT_THROW(ReadKeePassCsv(text, "f", kIdNames), ImportError) << text;
    }
}

TEST(KeePassCsv, WritesKeePassXcsColumnsThatReadBackAsTheSameRecords)
{
    TAccount account;
    account.Name = "Home";
    account.AddFolder("Mail", 0);
    account.Folder(0).AddRecord("Box, \"new\"", "https://mail.example", "ann", "ID-7", "p\"w", "one\r\ntwo");
    account.Folder(0).AddRecord("\xC4\xEE\xEC", "", "", "", "", "");
    account.AddFolder("Bank / Cards", 0);
    account.Folder(1).AddRecord("Card", "", "bob", "", "1234", "");

    const std::string csv = test::Written([&](const PieceWriter& write) { WriteKeePassCsv(account, write); });
    EXPECT_EQ(
        csv,
        "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\","
        "\"Created\",\"ID number\"\n"
        "\"Home/Mail\",\"Box, \"\"new\"\"\",\"ann\",\"p\"\"w\",\"https://mail.example\",\"one\ntwo\",\"\",\"\",\"\","
        "\"\",\"ID-7\"\n"
        "\"Home/Mail\",\"\xD0\x94\xD0\xBE\xD0\xBC\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"
        "\"Home/Bank / Cards\",\"Card\",\"bob\",\"1234\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n");

    TAccount back;
    AddImportedFolders(ReadKeePassCsv(csv, "f", kIdNames), back, {});
    EXPECT_EQ(test::Dump(back), test::Dump(account));
}

} // namespace
} // namespace velmora
