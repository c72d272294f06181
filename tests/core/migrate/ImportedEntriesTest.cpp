#include "core/migrate/ImportedEntries.h"

#include "core/migrate/MigrateTestSupport.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

ImportedEntries OneGroup(std::string name, std::size_t entries)
{
    ImportedEntries imported;
    imported.groups.push_back(ImportedGroup{.name = std::move(name), .icon = std::nullopt, .entries = {}});
    imported.groups[0].entries.resize(entries);
    return imported;
}

TEST(ImportedEntries, TextsBecomeCodePageBytesAndNotesGetCrLf)
{
    ImportedEntries imported = OneGroup("\xD0\x94\xD0\xBE\xD0\xBC", 1); // Дом
    imported.groups[0].icon = 7;
    imported.groups[0].entries[0] = {.title = "t",
                                     .url = "u",
                                     .username = "l",
                                     .password = "\xE2\x82\xAC", // €
                                     .notes = "a\nb\r\nc\r",
                                     .idNumber = "7"};
    TAccount account;
    account.AddFolder("Earlier", 2);
    const ImportSummary summary = AddImportedFolders(imported, account, {});
    EXPECT_EQ(summary.folders, 1u);
    EXPECT_EQ(summary.records, 1u);
    EXPECT_EQ(test::Dump(account), "[Earlier] 2\n"
                                   "[\xC4\xEE\xEC] 7\n  <t>\n  <u>\n  <l>\n  <7>\n  <\x88>\n  <a\r\nb\r\nc\r>\n");
}

TEST(ImportedEntries, AnEntryWithoutATitleIsNamedAfterItsHostOrLoginAndCounted)
{
    struct Case
    {
        std::string title;
        std::string url;
        std::string login;
        std::string name;
    };
    const Case cases[] = {
        {"Mail", "https://mail.example/", "ann", "Mail"},
        {"", "https://ann@mail.example:8443/inbox?x#y", "ann", "mail.example"},
        {" \t\xC2\xA0", "mail.example/login", "ann", "mail.example"}, // a no-break space among them
        {"", "http://[2001:db8::1]:8080/", "ann", "[2001:db8::1]"},
        {"", "https:///path", "ann", "ann"},
        {"", "", "ann", "ann"},
        {"", "", " ", "Untitled \xC4"}, // in the code page
    };
    ImportedEntries imported = OneGroup("g", std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        imported.groups[0].entries[i].title = cases[i].title;
        imported.groups[0].entries[i].url = cases[i].url;
        imported.groups[0].entries[i].username = cases[i].login;
    }
    TAccount account;
    const ImportSummary summary =
        AddImportedFolders(imported, account, {.replaceUnmappable = false, .untitledName = "Untitled \xD0\x94"});
    EXPECT_EQ(summary.named, std::size(cases) - 1);
    ASSERT_EQ(account.Folder(0).Count(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(account.Folder(0).RecordAt(i).Name(), cases[i].name) << i;
        EXPECT_EQ(account.Folder(0).RecordAt(i).URL(), cases[i].url) << i; // kept as it was
    }
}

TEST(ImportedEntries, AGroupTooLargeForAFolderContinuesInNumberedFolders)
{
    const std::size_t entries = 2 * kMaxRecordsPerFolder + 1;
    TAccount account;
    const ImportSummary summary = AddImportedFolders(OneGroup("Big", entries), account, {});
    ASSERT_EQ(account.FolderCount(), 3u);
    EXPECT_EQ(account.Folder(0).Name, "Big");
    EXPECT_EQ(account.Folder(1).Name, "Big (2)");
    EXPECT_EQ(account.Folder(2).Name, "Big (3)");
    EXPECT_EQ(account.Folder(0).Count(), kMaxRecordsPerFolder);
    EXPECT_EQ(account.Folder(1).Count(), kMaxRecordsPerFolder);
    EXPECT_EQ(account.Folder(2).Count(), 1u);
    EXPECT_EQ(summary.folders, 3u);
    EXPECT_EQ(summary.records, entries);
}

TEST(ImportedEntries, MoreFoldersThanAnAccountHoldsAreRefusedAndNothingIsAdded)
{
    TAccount account;
    for (std::size_t i = 0; i + 1 < kMaxFolders; ++i) {
        account.AddFolder("f", 0);
    }
    ImportedEntries imported = OneGroup("one", 0);
    EXPECT_NO_THROW(AddImportedFolders(OneGroup("fits", 0), account, {}));
    EXPECT_THROW(AddImportedFolders(imported, account, {}), TooManyFoldersError);
    EXPECT_EQ(account.FolderCount(), kMaxFolders);
}

TEST(ImportedEntries, UnmappableCharactersAreRefusedWithTheirPlacesOrReplacedWhenAllowed)
{
    ImportedEntries imported = OneGroup("Mail \xE4\xB8\xAD", 25); // 中
    for (std::size_t i = 0; i < 25; ++i) {
        imported.groups[0].entries[i].title = "e" + std::to_string(i);
        imported.groups[0].entries[i].password = "\xF0\x9F\x94\x91"; // a key emoji
    }
    TAccount account;
    try {
        AddImportedFolders(imported, account, {});
        ADD_FAILURE() << "imported";
    } catch (const UnmappableTextError& error) {
        const UnmappableList& list = error.Characters();
        EXPECT_EQ(list.total, 26u);
        ASSERT_EQ(list.first.size(), UnmappableList::kListed);
        EXPECT_EQ(list.first[0].field, "Group");
        EXPECT_EQ(list.first[0].character, U'\u4E2D');
        EXPECT_EQ(list.first[1].group, "Mail \xE4\xB8\xAD");
        EXPECT_EQ(list.first[1].entry, "e0");
        EXPECT_EQ(list.first[1].field, "Password");
        EXPECT_EQ(list.first[1].character, U'\U0001F511');
    }
    EXPECT_EQ(account.FolderCount(), 0u);

    const ImportSummary summary =
        AddImportedFolders(imported, account, {.replaceUnmappable = true, .untitledName = ""});
    EXPECT_EQ(summary.replaced.total, 26u);
    ASSERT_EQ(account.FolderCount(), 1u);
    EXPECT_EQ(account.Folder(0).Name, "Mail ?");
    EXPECT_EQ(account.Folder(0).RecordAt(24).Password(), "?");
}

} // namespace
} // namespace velmora
