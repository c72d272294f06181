#include "core/vault/AccountFile.h"

#include "core/os/AtomicFile.h"
#include "core/vault/Account.h"
#include "support/TempDir.h"
#include "support/TemporaryFiles.h"

#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::vector<std::string> SplitCrLf(const std::string& content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        const std::size_t end = content.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "line without CR LF";
        if (end == std::string::npos) {
            break;
        }
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class AccountFileTest : public ::testing::Test
{
protected:
    AccountFileTest()
    {
        account.Password = "pass word";
        account.OnChange = [this] {
            ++changes;
            if (account.IsReading()) {
                ++changesWhileReading;
            }
        };
    }

    // Lines of a file enciphered under the account's password, joined with CR LF.
    std::string Enciphered(const std::vector<std::string>& values)
    {
        StringCipher cipher;
        std::string content;
        for (const std::string& value : values) {
            content += cipher.EncipherText(account.Password, value) + "\r\n";
        }
        return content;
    }

    // The worked example: Mail (icon 3) with one record without notes, and Bank (icon 0), empty.
    void MakeExample()
    {
        account.AddFolder("Mail", 3);
        account.Folder(0).AddRecord("Post", "https://mail.example", "me", "42", "p4ss", "");
        account.AddFolder("Bank", 0);
    }

    test::TempDir dir;
    std::filesystem::path file = dir / "alice.vmk";
    TAccount account;
    int changes = 0;
    int changesWhileReading = 0;
};

TEST_F(AccountFileTest, WritesTheWorkedExampleLineForLine)
{
    MakeExample();
    account.SaveToFile(file);
    EXPECT_FALSE(account.Modified);

    const std::vector<std::string> lines = SplitCrLf(ReadWholeFile(file));
    ASSERT_EQ(lines.size(), 16u);
    const std::vector<std::string> plain = {"account_check_line",
                                            "2",
                                            "folder_check_line",
                                            "Mail",
                                            "3",
                                            "1",
                                            "Post",
                                            "https://mail.example",
                                            "me",
                                            "42",
                                            "p4ss",
                                            "",
                                            "folder_check_line",
                                            "Bank",
                                            "0",
                                            "0"};
    StringCipher cipher;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(cipher.DecipherText(account.Password, lines[i]), plain[i]) << "line " << i + 1;
    }
    EXPECT_EQ(lines[2], lines[12]);
    EXPECT_EQ(lines[14], lines[15]);
    EXPECT_EQ(lines[11], "");
}

TEST_F(AccountFileTest, AnEmptyAccountIsTwoLines)
{
    account.SaveToFile(file);
    StringCipher cipher;
    const auto lines = SplitCrLf(ReadWholeFile(file));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(cipher.DecipherText(account.Password, lines[1]), "0");
}

TEST_F(AccountFileTest, RoundTripKeepsEverythingButTheKeys)
{
    account.AddFolder("\xCF\xE0\xEF\xEA\xE0", -5); // Cyrillic name, odd icon index
    TFolderType& folder = account.Folder(0);
    folder.AddRecord("multi", "u", "l", "i", "p", "line 1\r\nline 2\r\n\r\nend");
    folder.AddRecord("", "", "", "", "", "");
    folder.AddRecord(" padded ", "=", "\n", "\r", "\x98\xFF", std::string(1000, 'x'));
    account.AddFolder("empty", 0);
    const std::string oldKey = folder.First()->Key;
    account.SaveToFile(file);

    TAccount loaded;
    loaded.Password = account.Password;
    ASSERT_EQ(loaded.LoadFromFile(file), ReadResult::Ok);
    ASSERT_EQ(loaded.FolderCount(), 2u);
    EXPECT_EQ(loaded.Folder(0).Name, account.Folder(0).Name);
    EXPECT_EQ(loaded.Folder(0).ImageIndex, -5);
    EXPECT_EQ(loaded.Folder(1).Name, "empty");
    EXPECT_EQ(loaded.Folder(1).Count(), 0);
    ASSERT_EQ(loaded.Folder(0).Count(), 3);
    for (std::size_t i = 0; i < 3; ++i) {
        const TRecType& a = folder.RecordAt(i);
        const TRecType& b = loaded.Folder(0).RecordAt(i);
        EXPECT_EQ(std::tie(a.Name, a.URL, a.Login, a.IDNumber, a.Password, a.Notes),
                  std::tie(b.Name, b.URL, b.Login, b.IDNumber, b.Password, b.Notes));
        EXPECT_EQ(b.Key.size(), 20u);
    }
    EXPECT_EQ(loaded.Folder(0).FindRecord(oldKey), nullptr);
    EXPECT_FALSE(loaded.Modified);
}

TEST_F(AccountFileTest, SavingTwiceGivesIdenticalFiles)
{
    MakeExample();
    account.SaveToFile(file);
    const std::string first = ReadWholeFile(file);
    account.SaveToFile(file);
    EXPECT_EQ(ReadWholeFile(file), first);
    EXPECT_FALSE(test::TemporaryFileLeftBeside(file));
}

TEST_F(AccountFileTest, ReadingNotifiesButMarksTheReadSoNothingIsSaved)
{
    MakeExample();
    account.SaveToFile(file);
    changes = 0;
    TAccount& reader = account;
    ASSERT_EQ(reader.LoadFromFile(file), ReadResult::Ok);
    // One notification per folder added while reading, then one after the read.
    EXPECT_EQ(changesWhileReading, 2);
    EXPECT_EQ(changes, 3);
    EXPECT_FALSE(reader.IsReading());
    EXPECT_FALSE(reader.Modified);
}

TEST_F(AccountFileTest, MissingFileLeavesTheAccountUntouched)
{
    MakeExample();
    account.Modified = true;
    EXPECT_EQ(account.LoadFromFile(dir / "nobody.vmk"), ReadResult::NoFile);
    EXPECT_EQ(account.LoadFromFile(dir.Path()), ReadResult::NoFile);
    EXPECT_EQ(account.FolderCount(), 2u);
    EXPECT_TRUE(account.Modified);
}

TEST_F(AccountFileTest, WrongPasswordsAreRefusedAndLeaveNothing)
{
    MakeExample();
    account.SaveToFile(file);
    const std::string bytes = ReadWholeFile(file);
    for (const std::string password : {"Pass word", "pass word ", "", "pass"}) {
        SCOPED_TRACE(password);
        TAccount other;
        other.Password = password;
        other.AddFolder("stale", 0);
        EXPECT_EQ(other.LoadFromFile(file), ReadResult::BadCheckLine);
        EXPECT_EQ(other.FolderCount(), 0u);
    }
    EXPECT_EQ(ReadWholeFile(file), bytes);
}

TEST_F(AccountFileTest, DamagedAndTruncatedFilesGiveTheirCodes)
{
    const std::string check = "account_check_line";
    const std::string folder = "folder_check_line";
    struct Case
    {
        const char* name;
        std::string content;
        ReadResult result;
        std::size_t folders;
    };
    const std::vector<Case> cases = {
        {"empty file", "", ReadResult::BadCheckLine, 0},
        {"empty first line", "\r\n" + Enciphered({"1"}), ReadResult::BadCheckLine, 0},
        {"first line not Base64", "abc\r\n", ReadResult::BadCheckLine, 0},
        {"no count line", Enciphered({check}), ReadResult::Failed, 0},
        {"count not a number", Enciphered({check, "two"}), ReadResult::Failed, 0},
        {"count with blanks", Enciphered({check, " 1"}), ReadResult::Failed, 0},
        {"count beyond 32 bits", Enciphered({check, "4294967297"}), ReadResult::Failed, 0},
        {"too many folders", Enciphered({check, "65537"}), ReadResult::Failed, 0},
        {"zero folders", Enciphered({check, "0"}), ReadResult::Ok, 0},
        {"negative folders", Enciphered({check, "-3"}), ReadResult::Ok, 0},
        {"plus sign", Enciphered({check, "+0"}), ReadResult::Ok, 0},
        {"missing folder block", Enciphered({check, "1"}), ReadResult::BadFolderBlock, 0},
        {"second block damaged", Enciphered({check, "2", folder, "A", "0", "0", "not a check line", "B", "0", "0"}),
         ReadResult::BadFolderBlock, 1},
        {"icon not a number", Enciphered({check, "1", folder, "A", "x", "0"}), ReadResult::BadFolderBlock, 0},
        {"record count not a number", Enciphered({check, "1", folder, "A", "0", "?"}), ReadResult::BadFolderBlock, 1},
        {"record count beyond the limit", Enciphered({check, "1", folder, "A", "0", "65536"}),
         ReadResult::BadFolderBlock, 1},
        {"negative record count", Enciphered({check, "1", folder, "A", "0", "-1"}), ReadResult::Ok, 1},
        {"file ends inside the records", Enciphered({check, "1", folder, "A", "0", "2", "r1", "u1"}), ReadResult::Ok,
         1},
        {"lines after the last one are not read", Enciphered({check, "0"}) + "garbage\r\n", ReadResult::Ok, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(file, c.content);
        EXPECT_EQ(account.LoadFromFile(file), c.result);
        EXPECT_EQ(account.FolderCount(), c.folders);
    }
}

TEST_F(AccountFileTest, MissingRecordLinesReadAsEmptyFields)
{
    WriteBytes(file, Enciphered({"account_check_line", "1", "folder_check_line", "A", "0", "2", "r1", "u1"}));
    ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
    const TFolderType& folder = account.Folder(0);
    ASSERT_EQ(folder.Count(), 2);
    EXPECT_EQ(folder.RecordAt(0).Name, "r1");
    EXPECT_EQ(folder.RecordAt(0).URL, "u1");
    EXPECT_EQ(folder.RecordAt(0).Login, "");
    EXPECT_EQ(folder.RecordAt(1).Name, "");
}

TEST_F(AccountFileTest, AnUndecipherableLineReadsEmptyNeverAsTheRecordBefore)
{
    std::string content = Enciphered(
        {"account_check_line", "1", "folder_check_line", "A", "0", "2", "first", "u", "l", "i", "first secret", ""});
    content += Enciphered({"second", "u", "l", "i"}) + "abcde\r\n" + Enciphered({""});
    WriteBytes(file, content);
    ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
    EXPECT_EQ(account.Folder(0).RecordAt(1).Name, "second");
    EXPECT_EQ(account.Folder(0).RecordAt(1).Password, "");
}

TEST_F(AccountFileTest, TheLoadCountsTheLinesItReadAsEmpty)
{
    const std::string head = Enciphered({"account_check_line", "1", "folder_check_line", "A", "0", "2"});
    const std::string record = Enciphered({"n", "u", "l", "i", "p", "x"});
    const std::string undecipherable = "abcde\r\n";
    struct Case
    {
        const char* name;
        std::string content;
        ReadResult result;
        std::size_t missing;
        std::size_t undeciphered;
    };
    // In this order on one account: each load starts without the damage of the one before.
    const Case cases[] = {
        {"whole file", head + record + record, ReadResult::Ok, 0, 0},
        {"cut inside the second record", head + record + Enciphered({"n", "u"}), ReadResult::Ok, 4, 0},
        {"cut after the folder head", head, ReadResult::Ok, 12, 0},
        // One whole line of the second record, and three characters of the next.
        {"cut inside a line", head + record + record.substr(0, record.find('\n') + 4), ReadResult::Ok, 4, 1},
        {"lines that do not decipher",
         head + record + undecipherable + Enciphered({"u", "l", "i"}) + undecipherable + Enciphered({"x"}),
         ReadResult::Ok, 0, 2},
        {"damaged, and then a folder block missing",
         Enciphered({"account_check_line", "2", "folder_check_line", "A", "0", "1"}) + undecipherable,
         ReadResult::BadFolderBlock, 0, 0},
        {"wrong password", StringCipher().EncipherText("other", "account_check_line") + "\r\n",
         ReadResult::BadCheckLine, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(file, c.content);
        EXPECT_EQ(account.LoadFromFile(file), c.result);
        EXPECT_EQ(account.LastLoadDamage().missingLines, c.missing);
        EXPECT_EQ(account.LastLoadDamage().undecipheredLines, c.undeciphered);
        EXPECT_EQ(account.LastLoadDamage().Any(), c.missing + c.undeciphered > 0);
    }
}

TEST_F(AccountFileTest, LineEndingsLfAndStrayCarriageReturns)
{
    std::string content = Enciphered({"account_check_line", "1", "folder_check_line", "Name", "0", "0"});
    std::string lf;
    for (const char c : content) {
        if (c != '\r') {
            lf += c;
        }
    }
    WriteBytes(file, lf);
    ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
    EXPECT_EQ(account.Folder(0).Name, "Name");

    // A CR not followed by LF is dropped from the line; the last line may lack its end.
    const std::string name = StringCipher().EncipherText(account.Password, "Name");
    std::string stray = Enciphered({"account_check_line", "1", "folder_check_line"});
    stray += name.substr(0, 2) + "\r" + name.substr(2) + "\r\n" + Enciphered({"0"}) +
             StringCipher().EncipherText(account.Password, "0") + "\r";
    WriteBytes(file, stray);
    ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
    EXPECT_EQ(account.Folder(0).Name, "Name");
}

TEST_F(AccountFileTest, ReadFolderReportsItsOwnCodes)
{
    const auto readBlock = [&](const std::vector<std::string>& values) {
        AccountFileReader reader(Enciphered(values), account.Cipher(), account.Password);
        return account.ReadFolder(reader);
    };
    account.Clear();
    EXPECT_EQ(readBlock({"folder_check_line", "F", "2", "1", "n", "u", "l", "i", "p", "x"}), ReadResult::Ok);
    EXPECT_EQ(readBlock({"account_check_line"}), ReadResult::BadCheckLine);
    EXPECT_EQ(account.FolderCount(), 1u);
    EXPECT_EQ(readBlock({"folder_check_line", "G", "icon", "0"}), ReadResult::Failed);
    EXPECT_EQ(account.FolderCount(), 1u);
    EXPECT_EQ(readBlock({"folder_check_line", "H", "0", "70000"}), ReadResult::Failed);
    EXPECT_EQ(account.FolderCount(), 2u); // the folder read before the failure stays
    EXPECT_EQ(account.Folder(0).RecordAt(0).Notes, "x");
}

TEST_F(AccountFileTest, AFailedSaveLeavesTheOldFileAndTheFlag)
{
    MakeExample();
    account.SaveToFile(file);
    const std::string old = ReadWholeFile(file);
    account.AddFolder("unsaved", 0);
    ASSERT_TRUE(account.Modified);

    for (const WriteStep step :
         {WriteStep::Create, WriteStep::Write, WriteStep::Flush, WriteStep::Close, WriteStep::Rename}) {
        changes = 0;
        SetWriteFaultHook([step](WriteStep now) { return now == step; });
        EXPECT_THROW(account.SaveToFile(file), FileError);
        SetWriteFaultHook(nullptr);
        EXPECT_EQ(ReadWholeFile(file), old);
        EXPECT_TRUE(account.Modified);
        EXPECT_EQ(changes, 0);
        EXPECT_FALSE(test::TemporaryFileLeftBeside(file));
    }
    EXPECT_THROW(account.SaveToFile(dir / "no such directory" / "a.vmk"), FileError);
    EXPECT_TRUE(account.Modified);
}

TEST(ParseFileInteger, AcceptsOnlyPlainDecimals)
{
    EXPECT_EQ(ParseFileInteger("0"), 0);
    EXPECT_EQ(ParseFileInteger("-12"), -12);
    EXPECT_EQ(ParseFileInteger("+7"), 7);
    EXPECT_EQ(ParseFileInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseFileInteger("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "+", "-", "+-1", "2147483648", "1 ", " 1", "0x10", "1.0", "\xB3"}) {
        EXPECT_FALSE(ParseFileInteger(bad).has_value()) << bad;
    }
}

} // namespace
} // namespace velmora
