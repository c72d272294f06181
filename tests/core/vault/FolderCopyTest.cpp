#include "core/vault/FolderCopy.h"

#include "core/os/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::vector<std::string> Lines(const std::string& content)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < content.size();) {
        const std::size_t end = content.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "line without CR LF";
            break;
        }
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

class FolderCopyTest : public ::testing::Test
{
protected:
    FolderCopyTest()
    {
        account.Password = "pass";
        account.AddFolder("Empty", 0);
        account.AddFolder("Mail", 7);
        account.Folder(1).AddRecord("Home", "https://a.example", "anna", "17", "secret", "line 1\r\nline 2");
        account.Folder(1).AddRecord("", "", "", "", "", "");
        account.Folder(1).AddRecord("Work", "", "a.b", "", "x", "");
        account.Modified = false;
        account.OnChange = [this] {
            changes.push_back({account.Modified, account.IsReading(), account.FolderCount(),
                               account.FolderCount() > 0 ? account.Folder(account.FolderCount() - 1).Count() : 0U});
        };
    }

    struct Change
    {
        bool modified;
        bool reading;
        std::size_t folders;
        unsigned lastFolderRecords;
        bool operator==(const Change&) const = default;
    };

    test::TempDir dir;
    TAccount account;
    std::vector<Change> changes;
};

TEST_F(FolderCopyTest, ACopyIsOneFolderBlockWhoseCheckLineMatchesTheAccountFile)
{
    for (const std::size_t index : {0U, 1U}) {
        const auto file = dir / ("copy" + std::to_string(index) + ".vmf");
        WriteFolderCopy(account, index, file);
        const std::size_t records = account.Folder(index).Count();
        const std::vector<std::string> lines = Lines(ReadWholeFile(file));
        ASSERT_EQ(lines.size(), 4 + 6 * records);
        account.SaveToFile(dir / "account.vmk");
        EXPECT_EQ(lines[0], Lines(ReadWholeFile(dir / "account.vmk"))[2]);
        EXPECT_EQ(account.DecipherText(lines[1]), account.Folder(index).Name);
    }
}

TEST_F(FolderCopyTest, ImportingIntoItsOwnAccountAddsAnEqualFolderWithNewKeysAndOneChange)
{
    const auto file = dir / "mail.vmf";
    WriteFolderCopy(account, 1, file);

    EXPECT_EQ(ReadFolderCopy(account, file), ReadResult::Ok);

    ASSERT_EQ(account.FolderCount(), 3U);
    const TFolderType& original = account.Folder(1);
    const TFolderType& copy = account.Folder(2);
    EXPECT_EQ(copy.Name, "Mail");
    EXPECT_EQ(copy.ImageIndex, 7);
    ASSERT_EQ(copy.Count(), original.Count());
    for (std::size_t i = 0; i < copy.Count(); ++i) {
        TRecType expected = original.RecordAt(i);
        const TRecType& got = copy.RecordAt(i);
        EXPECT_NE(got.Key, expected.Key);
        expected.Key = got.Key;
        EXPECT_EQ(std::make_tuple(got.Name(), got.URL(), got.Login(), got.IDNumber(), got.Password(), got.Notes()),
                  std::make_tuple(expected.Name(), expected.URL(), expected.Login(), expected.IDNumber(),
                                  expected.Password(), expected.Notes()));
    }
    // While reading, nothing may be saved; once the read has ended, one notification with the
    // whole folder in place lets an immediate save write it.
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.back(), (Change{true, false, 3, 3}));
    for (std::size_t i = 0; i + 1 < changes.size(); ++i) {
        EXPECT_TRUE(changes[i].reading) << "notification " << i;
    }
}

TEST_F(FolderCopyTest, AnotherPasswordAddsNothingAndRaisesNoChange)
{
    const auto file = dir / "mail.vmf";
    WriteFolderCopy(account, 1, file);
    account.Password = "Pass";

    EXPECT_EQ(ReadFolderCopy(account, file), ReadResult::BadCheckLine);

    EXPECT_EQ(account.FolderCount(), 2U);
    EXPECT_FALSE(account.Modified);
    EXPECT_TRUE(changes.empty());
}

TEST_F(FolderCopyTest, ADamagedCopyKeepsWhatWasReadAndAMissingFileThrows)
{
    StringCipher cipher;
    std::string content;
    for (const char* value : {"folder_check_line", "Half", "3", "not a count"}) {
        content += cipher.EncipherText(account.Password, value) + "\r\n";
    }
    const auto file = dir / "damaged.vmf";
    WriteFileAtomically(file, content);

    EXPECT_EQ(ReadFolderCopy(account, file), ReadResult::Failed);
    ASSERT_EQ(account.FolderCount(), 3U);
    EXPECT_EQ(account.Folder(2).Name, "Half");
    EXPECT_TRUE(account.Modified);
    ASSERT_FALSE(changes.empty());
    EXPECT_FALSE(changes.back().reading);

    EXPECT_THROW(ReadFolderCopy(account, dir / "missing.vmf"), FileError);
    EXPECT_EQ(account.FolderCount(), 3U);
}

TEST_F(FolderCopyTest, ReplacingACopyThatCannotBeWrittenKeepsTheOldOne)
{
    const auto file = dir / "mail.vmf";
    WriteFolderCopy(account, 0, file);
    const std::string old = ReadWholeFile(file);
    SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Rename; });
    EXPECT_THROW(WriteFolderCopy(account, 1, file), FileError);
    SetWriteFaultHook({});
    EXPECT_EQ(ReadWholeFile(file), old);
}

} // namespace
} // namespace velmora
