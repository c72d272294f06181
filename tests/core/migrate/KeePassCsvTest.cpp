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
    EXPECT_THAT(imported.leftOut.otherColumns, ElementsAre("TOTP", "Icon", "Last Modified", "Created"));
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
    for (const std::string_view text : {"Name,Secret\nx,y\n", "Title\n\"open\n"}) {
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
    EXPECT_EQ(csv,
              "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"ID number\"\n"
              "\"Home/Mail\",\"Box, \"\"new\"\"\",\"ann\",\"p\"\"w\",\"https://mail.example\",\"one\ntwo\",\"ID-7\"\n"
              "\"Home/Mail\",\"\xD0\x94\xD0\xBE\xD0\xBC\",\"\",\"\",\"\",\"\",\"\"\n"
              "\"Home/Bank / Cards\",\"Card\",\"bob\",\"1234\",\"\",\"\",\"\"\n");

    TAccount back;
    AddImportedFolders(ReadKeePassCsv(csv, "f", kIdNames), back, false);
    EXPECT_EQ(test::Dump(back), test::Dump(account));
}

} // namespace
} // namespace velmora
