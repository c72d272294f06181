#include "core/vault/Account.h"

#include "core/vault/ListRows.h"
#include "support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace velmora {
namespace {

class AccountTest : public ::testing::Test
{
protected:
    AccountTest()
    {
        account.OnChange = [this] { ++changes; };
    }

    // A folder with records named by `names`, in order; the change count starts at zero after it.
    TFolderType& FolderWith(const std::vector<std::string>& names, const std::string& folderName = "F")
    {
        account.AddFolder(folderName, 1);
        TFolderType& folder = account.Folder(account.FolderCount() - 1);
        for (const std::string& name : names) {
            folder.AddRecord(name, "url-" + name, "login-" + name, "id-" + name, "pw-" + name, "notes-" + name);
        }
        changes = 0;
        account.Modified = false;
        return folder;
    }

    static std::vector<std::string> Names(const TFolderType& folder)
    {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < folder.Count(); ++i) {
            names.emplace_back(folder.RecordAt(i).Name());
        }
        return names;
    }

    static std::string KeyOf(const TFolderType& folder, const std::string& name)
    {
        for (std::size_t i = 0; i < folder.Count(); ++i) {
            if (folder.RecordAt(i).Name() == name) {
                return folder.RecordAt(i).Key;
            }
        }
        ADD_FAILURE() << "no record named " << name;
        return {};
    }

    // Every record is found by its key, in either case, at its position; a key in `seen` that a
    // folder does not hold is not found there.
    static void ExpectKeysFindTheirRecords(const TAccount& account, const std::set<std::string>& seen)
    {
        for (std::size_t f = 0; f < account.FolderCount(); ++f) {
            const TFolderType& folder = account.Folder(f);
            std::set<std::string> held;
            for (std::size_t i = 0; i < folder.Count(); ++i) {
                const TRecType& record = folder.RecordAt(i);
                std::string lower(record.Key);
                for (char& c : lower) {
                    c = static_cast<char>(c - 'A' + 'a');
                }
                held.insert(std::string(record.Key));
                ASSERT_EQ(folder.FindRecord(record.Key), &record) << "folder " << f << ", position " << i;
                ASSERT_EQ(folder.FindRecord(lower), &record) << "folder " << f << ", position " << i;
                ASSERT_EQ(folder.PositionOf(record.Key), i) << "folder " << f;
            }
            for (const std::string& key : seen) {
                if (!held.contains(key)) {
                    ASSERT_EQ(folder.FindRecord(key), nullptr) << "folder " << f << " still finds " << key;
                    ASSERT_EQ(folder.PositionOf(key), std::nullopt) << "folder " << f << " still finds " << key;
                }
            }
        }
    }

    static void AddKeys(const TAccount& account, std::set<std::string>& seen)
    {
        for (std::size_t f = 0; f < account.FolderCount(); ++f) {
            for (std::size_t i = 0; i < account.Folder(f).Count(); ++i) {
                seen.insert(std::string(account.Folder(f).RecordAt(i).Key));
            }
        }
    }

    TAccount account;
    int changes = 0;
};

TEST_F(AccountTest, RecordsKeepFieldsOrderAndUniqueKeys)
{
    TFolderType& folder = FolderWith({"a", "b", "c"});
    EXPECT_EQ(folder.Count(), 3);
    EXPECT_EQ(folder.First()->Name(), "a");
    EXPECT_EQ(folder.Last()->Name(), "c");

    const TRecType record = folder.GetRecordAt(2);
    EXPECT_EQ(record.Name(), "b");
    EXPECT_EQ(record.URL(), "url-b");
    EXPECT_EQ(record.Login(), "login-b");
    EXPECT_EQ(record.IDNumber(), "id-b");
    EXPECT_EQ(record.Password(), "pw-b");
    EXPECT_EQ(record.Notes(), "notes-b");

    for (std::size_t i = 0; i < folder.Count(); ++i) {
        const std::string& key = folder.RecordAt(i).Key;
        ASSERT_EQ(key.size(), 20u);
        EXPECT_EQ(key.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXY"), std::string::npos) << key;
        EXPECT_EQ(folder.FindRecord(key), &folder.RecordAt(i));
    }
    EXPECT_NE(folder.RecordAt(0).Key, folder.RecordAt(1).Key);
    // Record-level changes leave the flag to the caller.
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(account.Modified);
}

TEST_F(AccountTest, FindRecordUpperCasesTheSearchedKey)
{
    TFolderType& folder = FolderWith({"a"});
    std::string key = folder.First()->Key;
    for (char& c : key) {
        c = static_cast<char>(c - 'A' + 'a');
    }
    EXPECT_EQ(folder.FindRecord(key), folder.First());
    for (const char* unknown :
         {"NOSUCHKEY", "", "YYYYYYYYYYYYYYYYYYYY", "ZAAAAAAAAAAAAAAAAAAA", "AAAAAAAAAAAAAAAAAAA"}) {
        EXPECT_EQ(folder.FindRecord(unknown), nullptr) << unknown;
    }
}

// A copy owns its values; an edit may take its new values from the record it replaces.
TEST_F(AccountTest, RecordCopiesAndEditsFromTheRecordItself)
{
    TFolderType& folder = FolderWith({"a", "b"});
    const TRecType copy = folder.GetRecordAt(2);
    TRecType moved = folder.GetRecordAt(1);
    const TRecType movedTo = std::move(moved);
    folder.DeleteRecord(copy.Key);
    folder.EditRecord(folder.First()->Key, "x", "y", "z", "w", "v", "u");
    EXPECT_EQ(std::make_tuple(copy.Name(), copy.URL(), copy.Login(), copy.IDNumber(), copy.Password(), copy.Notes()),
              std::make_tuple("b", "url-b", "login-b", "id-b", "pw-b", "notes-b"));
    EXPECT_EQ(movedTo.Name(), "a");
    EXPECT_EQ(moved.Name(), "");

    const TRecType& record = *folder.First();
    folder.EditRecord(record.Key, record.Notes(), record.Password(), record.IDNumber(), record.Login(), record.URL(),
                      std::string(record.Name()) + std::string(300, '+'));
    EXPECT_EQ(std::make_tuple(record.Name(), record.URL(), record.Login(), record.IDNumber(), record.Password()),
              std::make_tuple("u", "v", "w", "z", "y"));
    EXPECT_EQ(record.Notes(), "x" + std::string(300, '+'));
}

TEST_F(AccountTest, EditAndDeleteActOnTheKeyedRecordOnly)
{
    TFolderType& folder = FolderWith({"a", "b", "c"});
    const std::string keyB = folder.RecordAt(1).Key;
    folder.EditRecord(keyB, "B", "u", "l", "i", "p", "n");
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"a", "B", "c"}));
    EXPECT_EQ(folder.RecordAt(1).Key, keyB);
    EXPECT_EQ(folder.RecordAt(1).Login(), "l");
    EXPECT_EQ(folder.RecordAt(1).IDNumber(), "i");

    folder.EditRecord("UNKNOWN", "x", "", "", "", "", "");
    folder.DeleteRecord("UNKNOWN");
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"a", "B", "c"}));

    folder.DeleteRecord(keyB);
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(folder.FindRecord(keyB), nullptr);
    folder.DeleteRecord(folder.First()->Key);
    folder.DeleteRecord(folder.First()->Key);
    EXPECT_EQ(folder.Count(), 0);
    EXPECT_EQ(folder.First(), nullptr);
    EXPECT_EQ(folder.Last(), nullptr);

    folder.AddRecord("new", "", "", "", "", "");
    EXPECT_EQ(folder.First(), folder.Last());
    EXPECT_EQ(changes, 0);
}

TEST_F(AccountTest, MovingRecordsWithinAFolder)
{
    TFolderType& folder = FolderWith({"a", "b"});
    const std::string keyA = folder.RecordAt(0).Key;
    const std::string keyB = folder.RecordAt(1).Key;

    folder.MoveRecordUp(keyA);
    folder.MoveRecordDown(keyB);
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"a", "b"}));

    folder.MoveRecordDown(keyA);
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"b", "a"}));
    EXPECT_EQ(folder.First()->Key, keyB);
    EXPECT_EQ(folder.Last()->Key, keyA);
    folder.MoveRecordUp(keyA);
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(changes, 0);
}

TEST_F(AccountTest, MoveRecordToFolderAppendsWithANewKeyAndMarksTheAccount)
{
    TFolderType& source = FolderWith({"a", "b", "c"}, "source");
    TFolderType& target = FolderWith({"x"}, "target");
    const std::string keyB = source.RecordAt(1).Key;

    source.MoveRecordToFolder(account, keyB, source.Index());
    source.MoveRecordToFolder(account, "UNKNOWN", target.Index());
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(source.Count(), 3);

    source.MoveRecordToFolder(account, keyB, target.Index());
    EXPECT_EQ(Names(source), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Names(target), (std::vector<std::string>{"x", "b"}));
    EXPECT_EQ(target.Last()->Password(), "pw-b");
    EXPECT_EQ(target.Last()->Key.size(), 20u);
    EXPECT_TRUE(account.Modified);
    EXPECT_EQ(changes, 1);
}

// Each step changes the folders, then every key, old and new, is looked up in every folder.
TEST_F(AccountTest, KeysFindTheirRecordsAfterEveryKindOfChange)
{
    const test::TempDir dir;
    account.Password = "index";
    FolderWith({"a", "b", "c", "d", "e"}, "A");
    FolderWith({"x"}, "B");
    struct Step
    {
        const char* name;
        std::function<void(TAccount&)> operation;
        std::vector<std::string> first;
        std::vector<std::string> second;
    };
    using List = std::vector<std::string>;
    const auto folderA = [](TAccount& a) -> TFolderType& { return a.Folder(0); };
    const std::vector<Step> steps = {
        {"delete in the middle", [&](TAccount& a) { folderA(a).DeleteRecord(KeyOf(folderA(a), "c")); },
         List{"a", "b", "d", "e"}, List{"x"}},
        {"move the last up", [&](TAccount& a) { folderA(a).MoveRecordUp(KeyOf(folderA(a), "e")); },
         List{"a", "b", "e", "d"}, List{"x"}},
        {"move the first down", [&](TAccount& a) { folderA(a).MoveRecordDown(KeyOf(folderA(a), "a")); },
         List{"b", "a", "e", "d"}, List{"x"}},
        {"move the first up", [&](TAccount& a) { folderA(a).MoveRecordUp(KeyOf(folderA(a), "b")); },
         List{"b", "a", "e", "d"}, List{"x"}},
        {"move the last down", [&](TAccount& a) { folderA(a).MoveRecordDown(KeyOf(folderA(a), "d")); },
         List{"b", "a", "e", "d"}, List{"x"}},
        {"move to the other folder", [&](TAccount& a) { folderA(a).MoveRecordToFolder(a, KeyOf(folderA(a), "a"), 1); },
         List{"b", "e", "d"}, List{"x", "a"}},
        {"add after a delete", [&](TAccount& a) { folderA(a).AddRecord("f", "", "", "", "", ""); },
         List{"b", "e", "d", "f"}, List{"x", "a"}},
        {"delete the first", [&](TAccount& a) { folderA(a).DeleteRecord(KeyOf(folderA(a), "b")); }, List{"e", "d", "f"},
         List{"x", "a"}},
        {"edit", [&](TAccount& a) { folderA(a).EditRecord(KeyOf(folderA(a), "d"), "D", "", "", "", "", ""); },
         List{"e", "D", "f"}, List{"x", "a"}},
        {"exchange the folders", [](TAccount& a) { a.MoveFolderDown(0); }, List{"x", "a"}, List{"e", "D", "f"}},
        {"move back into the emptied folder",
         [&](TAccount& a) { a.Folder(1).MoveRecordToFolder(a, KeyOf(a.Folder(1), "D"), 0); }, List{"x", "a", "D"},
         List{"e", "f"}},
        {"clear a folder", [](TAccount& a) { a.ClearFolder(0); }, List{}, List{"e", "f"}},
        {"add to the cleared folder", [&](TAccount& a) { folderA(a).AddRecord("g", "", "", "", "", ""); }, List{"g"},
         List{"e", "f"}},
        {"save and load",
         [&](TAccount& a) {
             a.SaveToFile(dir / "index.vmk");
             a.Clear();
             ASSERT_EQ(a.LoadFromFile(dir / "index.vmk"), ReadResult::Ok);
         },
         List{"g"}, List{"e", "f"}},
        {"add after the load", [&](TAccount& a) { a.Folder(1).AddRecord("h", "", "", "", "", ""); }, List{"g"},
         List{"e", "f", "h"}},
    };
    std::set<std::string> seen;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        AddKeys(account, seen);
        step.operation(account);
        ASSERT_EQ(account.FolderCount(), 2u);
        EXPECT_EQ(Names(account.Folder(0)), step.first);
        EXPECT_EQ(Names(account.Folder(1)), step.second);
        ExpectKeysFindTheirRecords(account, seen);
    }
}

// A full folder, whose last position needs all 16 bits, thinned out and shuffled by moves.
TEST_F(AccountTest, KeysFindTheirRecordsInAFullFolder)
{
    TFolderType& folder = FolderWith({}, "many");
    TFolderType& other = FolderWith({}, "other");
    for (std::size_t i = 0; i < kMaxRecordsPerFolder; ++i) {
        folder.AddRecord(std::to_string(i), "", "", "", "", "");
    }
    std::set<std::string> seen;
    AddKeys(account, seen);
    ExpectKeysFindTheirRecords(account, seen);

    std::vector<std::string> keys;
    for (std::size_t i = 0; i < folder.Count(); ++i) {
        keys.emplace_back(folder.RecordAt(i).Key);
    }
    std::size_t deleted = 0;
    for (std::size_t i = 0; i < keys.size(); i += 331) {
        folder.DeleteRecord(keys[i]);
        ++deleted;
    }
    std::size_t moved = 0;
    for (std::size_t i = 1; i < keys.size(); i += 313) {
        folder.MoveRecordToFolder(account, keys[i], other.Index());
        moved += i % 331 != 0 ? 1 : 0; // a deleted key moves nothing
    }
    for (std::size_t i = 3; i + 1 < keys.size(); i += 97) {
        folder.MoveRecordUp(keys[i]);
        folder.MoveRecordDown(keys[i + 1]);
    }
    EXPECT_EQ(other.Count(), moved);
    EXPECT_EQ(folder.Count(), kMaxRecordsPerFolder - deleted - moved);
    AddKeys(account, seen);
    ExpectKeysFindTheirRecords(account, seen);
}

TEST_F(AccountTest, AFullFolderRefusesRecordsAndAMoveIntoItKeepsTheRecord)
{
    TFolderType& source = FolderWith({"keep me"}, "source");
    TFolderType& full = FolderWith({}, "full");
    for (std::size_t i = 0; i < kMaxRecordsPerFolder; ++i) {
        full.AddRecord("r", "", "", "", "", "");
    }
    EXPECT_EQ(full.Count(), 65535);
    EXPECT_THROW(full.AddRecord("one too many", "", "", "", "", ""), VaultLimitError);
    EXPECT_EQ(full.Count(), 65535);

    const std::string key = source.First()->Key;
    try {
        source.MoveRecordToFolder(account, key, full.Index());
        FAIL() << "the move into a full folder was accepted";
    } catch (const VaultLimitError& error) {
        EXPECT_EQ(error.Which(), VaultLimitError::Limit::RecordsPerFolder);
    }
    EXPECT_EQ(source.Count(), 1);
    EXPECT_EQ(source.FindRecord(key)->Name(), "keep me");
    EXPECT_EQ(full.Count(), 65535);
    EXPECT_FALSE(account.Modified);
    EXPECT_EQ(changes, 0);
}

TEST_F(AccountTest, AccountOperationsRaiseTheChangeExactlyWhenTheyChangeSomething)
{
    struct Case
    {
        const char* name;
        std::function<void(TAccount&)> operation;
        bool changes;
    };
    const std::vector<Case> cases = {
        {"AddFolder", [](TAccount& a) { a.AddFolder("new", 0); }, true},
        {"EditFolder unchanged", [](TAccount& a) { a.EditFolder(0, "zero", 0); }, true},
        {"MoveFolderUp(0)", [](TAccount& a) { a.MoveFolderUp(0); }, false},
        {"MoveFolderUp(1)", [](TAccount& a) { a.MoveFolderUp(1); }, true},
        {"MoveFolderDown(last)", [](TAccount& a) { a.MoveFolderDown(2); }, false},
        {"MoveFolderDown(0)", [](TAccount& a) { a.MoveFolderDown(0); }, true},
        {"ExchangeFolders", [](TAccount& a) { a.ExchangeFolders(0, 2); }, false},
        {"ClearFolder(-1)", [](TAccount& a) { a.ClearFolder(-1); }, false},
        {"ClearFolder(1)", [](TAccount& a) { a.ClearFolder(1); }, true},
        {"DeleteFolder(-1)", [](TAccount& a) { a.DeleteFolder(-1); }, false},
        {"DeleteFolder(1)", [](TAccount& a) { a.DeleteFolder(1); }, true},
        {"Clear", [](TAccount& a) { a.Clear(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TAccount fresh;
        int calls = 0;
        fresh.AddFolder("zero", 0);
        fresh.AddFolder("one", 1);
        fresh.AddFolder("two", 2);
        fresh.Modified = false;
        fresh.OnChange = [&] { ++calls; };
        c.operation(fresh);
        EXPECT_EQ(calls, c.changes ? 1 : 0);
        EXPECT_EQ(fresh.Modified, c.changes);
    }
}

TEST_F(AccountTest, MovingAFolderExchangesContentsNotFolderObjects)
{
    TFolderType& first = FolderWith({"a1", "a2"}, "A");
    TFolderType& second = FolderWith({"b1"}, "B");
    second.ImageIndex = 7;

    account.MoveFolderDown(0);
    EXPECT_EQ(&account.Folder(0), &first);
    EXPECT_EQ(first.Index(), 0);
    EXPECT_EQ(first.Name, "B");
    EXPECT_EQ(first.ImageIndex, 7);
    EXPECT_EQ(Names(first), (std::vector<std::string>{"b1"}));
    EXPECT_EQ(second.Name, "A");
    EXPECT_EQ(Names(second), (std::vector<std::string>{"a1", "a2"}));
    EXPECT_NE(second.FindRecord(second.First()->Key), nullptr);
}

TEST_F(AccountTest, DeletingAFolderClosesTheGap)
{
    FolderWith({"a"}, "A");
    FolderWith({"b"}, "B");
    FolderWith({"c"}, "C");
    account.DeleteFolder(1);
    ASSERT_EQ(account.FolderCount(), 2u);
    EXPECT_EQ(account.Folder(1).Name, "C");
    EXPECT_EQ(account.Folder(1).Index(), 1);
    EXPECT_THROW(account.DeleteFolder(2), std::out_of_range);
    EXPECT_THROW(account.EditFolder(5, "x", 0), std::out_of_range);
}

TEST_F(AccountTest, TheAccountRefusesFoldersBeyondItsLimit)
{
    for (std::size_t i = 0; i < kMaxFolders; ++i) {
        account.AddFolder("f", 0);
    }
    changes = 0;
    try {
        account.AddFolder("one too many", 0);
        FAIL() << "folder 65,537 was accepted";
    } catch (const VaultLimitError& error) {
        EXPECT_EQ(error.Which(), VaultLimitError::Limit::Folders);
    }
    EXPECT_EQ(account.FolderCount(), kMaxFolders);
    EXPECT_EQ(changes, 0);
}

TEST(ListRows, MaskText)
{
    EXPECT_EQ(MaskText("", true), "");
    EXPECT_EQ(MaskText("abcde", true), "*****");
    EXPECT_EQ(MaskText("\xCF\xF0\xE8", true), "***");
    EXPECT_EQ(MaskText("abc", false), "abc");
}

TEST(ListRows, RowsCarryTheFolderIndexAndTheRecordKeyLast)
{
    TAccount account;
    account.AddFolder("Mail", 3);
    account.AddFolder("Bank", 0);
    TFolderType& mail = account.Folder(0);
    mail.AddRecord("name", "url", "login", "id", "secret", "notes");

    const auto folders = FillFolderRows(account);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].Caption, "Bank");
    EXPECT_EQ(folders[0].ImageIndex, 3);
    EXPECT_EQ(folders[1].SubItems, (std::vector<std::string>{"1"}));

    const std::string key = mail.First()->Key;
    const auto rowsOf = [](const TFolderType& folder, const RecordRowLayout& layout) {
        std::vector<ListRow> rows;
        FillRecordRows(folder, layout, rows);
        return rows;
    };
    const auto brief = rowsOf(mail, {.Brief = true, .MaskPassword = true});
    ASSERT_EQ(brief.size(), 1u);
    EXPECT_EQ(brief[0].Caption, "name");
    EXPECT_EQ(brief[0].StateIndex, 0);
    EXPECT_EQ(brief[0].ImageIndex, -1);
    EXPECT_EQ(brief[0].SubItems, (std::vector<std::string>{key}));

    const auto full = rowsOf(mail, {.MaskLogin = true, .MaskPassword = true});
    EXPECT_EQ(full[0].SubItems, (std::vector<std::string>{"*****", "id", "******", key}));
    const auto plain = rowsOf(mail, {.MaskID = true});
    EXPECT_EQ(plain[0].SubItems, (std::vector<std::string>{"login", "**", "secret", key}));
}

// A refill writes over the rows of the last one: whatever they showed (another folder, another
// layout, more or fewer rows), the rows end up as a fresh fill's.
TEST(ListRows, ARefillOverOtherRowsGivesAFreshFill)
{
    TAccount account;
    account.AddFolder("Long", 0);
    account.AddFolder("Short", 0);
    TFolderType& longer = account.Folder(0);
    TFolderType& shorter = account.Folder(1);
    for (const char* name : {"a", "b", "c"}) {
        longer.AddRecord(name, "url", "a much longer login than the other", "id 1", "password one", "");
    }
    shorter.AddRecord("x", "", "l", "", "p", "");
    shorter.AddRecord("y", "", "", "i", "", "");

    const std::vector<std::pair<const TFolderType*, RecordRowLayout>> fills = {
        {&longer, {.MaskPassword = true}},
        {&shorter, {.Brief = true}},
        {&longer, {.Brief = true}},
        {&shorter, {.MaskLogin = true, .MaskID = true}},
        {&longer, {}},
    };
    std::vector<ListRow> reused;
    for (const auto& [folder, layout] : fills) {
        SCOPED_TRACE(folder->Name + (layout.Brief ? " brief" : " full"));
        FillRecordRows(*folder, layout, reused);
        std::vector<ListRow> fresh;
        FillRecordRows(*folder, layout, fresh);
        ASSERT_EQ(reused.size(), fresh.size());
        for (std::size_t i = 0; i < fresh.size(); ++i) {
            EXPECT_EQ(reused[i].Caption, fresh[i].Caption);
            EXPECT_EQ(reused[i].ImageIndex, fresh[i].ImageIndex);
            EXPECT_EQ(reused[i].StateIndex, fresh[i].StateIndex);
            EXPECT_EQ(reused[i].SubItems, fresh[i].SubItems);
        }
    }
}

} // namespace
} // namespace velmora
