#include "core/vault/AccountFile.h"

#include "core/os/AtomicFile.h"
#include "core/os/PageBlock.h"
#include "core/vault/Account.h"
#include "support/TempDir.h"
#include "support/TemporaryFiles.h"

#include <algorithm>
#include <fstream>
#include <functional>
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
        EXPECT_EQ(std::make_tuple(a.Name(), a.URL(), a.Login(), a.IDNumber(), a.Password(), a.Notes()),
                  std::make_tuple(b.Name(), b.URL(), b.Login(), b.IDNumber(), b.Password(), b.Notes()));
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
    EXPECT_EQ(folder.RecordAt(0).Name(), "r1");
    EXPECT_EQ(folder.RecordAt(0).URL(), "u1");
    EXPECT_EQ(folder.RecordAt(0).Login(), "");
    EXPECT_EQ(folder.RecordAt(1).Name(), "");
}

TEST_F(AccountFileTest, AnUndecipherableLineReadsEmptyNeverAsTheRecordBefore)
{
    std::string content = Enciphered(
        {"account_check_line", "1", "folder_check_line", "A", "0", "2", "first", "u", "l", "i", "first secret", ""});
    content += Enciphered({"second", "u", "l", "i"}) + "abcde\r\n" + Enciphered({""});
    WriteBytes(file, content);
    ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
    EXPECT_EQ(account.Folder(0).RecordAt(1).Name(), "second");
    EXPECT_EQ(account.Folder(0).RecordAt(1).Password(), "");
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
    // Names short and long, so that line ends and stray CRs fall before and after 16 and 64 bytes.
    for (const std::string folderName : {"Name", "A folder name long enough for a line of several chunks"}) {
        SCOPED_TRACE(folderName);
        std::string content = Enciphered({"account_check_line", "1", "folder_check_line", folderName, "0", "0"});
        std::string lf;
        for (const char c : content) {
            if (c != '\r') {
                lf += c;
            }
        }
        WriteBytes(file, lf);
        ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
        EXPECT_EQ(account.Folder(0).Name, folderName);

        // A CR not followed by LF is dropped from the line; the last line may lack its end.
        const std::string name = StringCipher().EncipherText(account.Password, folderName);
        std::string stray = Enciphered({"account_check_line", "1", "folder_check_line"});
        stray += name.substr(0, 2) + "\r" + name.substr(2, 4) + "\r\r" + name.substr(6) + "\r\n" + Enciphered({"0"}) +
                 StringCipher().EncipherText(account.Password, "0") + "\r";
        WriteBytes(file, stray);
        ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
        EXPECT_EQ(account.Folder(0).Name, folderName);

        std::string late = Enciphered({"account_check_line", "1", "folder_check_line"});
        late +=
            name.substr(0, name.size() - 4) + "\r" + name.substr(name.size() - 4) + "\r\r\n" + Enciphered({"0", "0"});
        WriteBytes(file, late);
        ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
        EXPECT_EQ(account.Folder(0).Name, folderName);
    }
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
    EXPECT_EQ(account.Folder(0).RecordAt(0).Notes(), "x");
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

// The file a new account with the same folders and records saves: every line made afresh.
std::string FreshFileOf(const TAccount& account, const std::filesystem::path& file)
{
    TAccount fresh;
    fresh.Password = account.Password;
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        const TFolderType& folder = account.Folder(f);
        fresh.AddFolder(folder.Name, folder.ImageIndex);
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            const TRecType& record = folder.RecordAt(r);
            fresh.Folder(f).AddRecord(record.Name(), record.URL(), record.Login(), record.IDNumber(), record.Password(),
                                      record.Notes());
        }
    }
    fresh.SaveToFile(file);
    return ReadWholeFile(file);
}

// A save writes kept lines only where they are exactly what enciphering the value gives; lines
// that decode to the same value in another spelling are made anew.
TEST_F(AccountFileTest, ASaveWritesEveryLineAsEncipheringItsValueGives)
{
    const auto lineOf = [&](std::string_view value) { return StringCipher().EncipherText(account.Password, value); };
    // A value whose line has a "/" before its last quartet, and one with fill bits in its last.
    std::string slashed = "v";
    while (lineOf(slashed).find('/') >= lineOf(slashed).size() - 4) {
        slashed += 'v';
    }
    const std::string slashLine = lineOf(slashed);
    std::string strayChar = slashLine;
    strayChar[strayChar.find('/')] = '-';
    const std::string filled = "four";
    std::string otherFill = lineOf(filled); // 4 bytes: the second character of the last quartet has 4 fill bits
    const std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    char& fillChar = otherFill[otherFill.size() - 3];
    fillChar = alphabet[alphabet.find(fillChar) ^ 1];
    std::string strayCr = slashLine;
    strayCr.insert(2, "\r");

    struct Case
    {
        const char* name;
        std::string value;
        std::string line;
    };
    const Case cases[] = {
        {"as enciphered", slashed, slashLine},  {"a stray character read as \"/\"", slashed, strayChar},
        {"other fill bits", filled, otherFill}, {"a stray CR", slashed, strayCr},
        {"undecipherable", "", "abcde"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(file, Enciphered({"account_check_line", "1", "folder_check_line", "A", "0", "2", "a", "u", "l", "i",
                                     "p", "n", "b", "u", "l", "i", "p"}) +
                             c.line + "\r\n");
        ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok);
        EXPECT_EQ(account.Folder(0).RecordAt(1).Notes(), c.value);
        account.SaveToFile(file);
        EXPECT_EQ(ReadWholeFile(file), FreshFileOf(account, dir / "fresh.vmk"));
    }
}

TEST_F(AccountFileTest, ASaveAfterChangesWritesWhatAFreshSaveWrites)
{
    account.AddFolder("Mail", 1);
    account.AddFolder("Bank", 2);
    for (int i = 0; i < 50; ++i) {
        const std::string text = "value " + std::to_string(i);
        account.Folder(i % 2).AddRecord(text, "u" + text, "l", "i", "p" + text, std::string(i, 'n'));
    }
    account.SaveToFile(file);
    const auto reload = [&] { ASSERT_EQ(account.LoadFromFile(file), ReadResult::Ok); };

    struct Case
    {
        const char* name;
        std::function<void()> change;
    };
    const Case cases[] = {
        {"nothing changed", [] {}},
        {"a record edited",
         [&] {
             TFolderType& folder = account.Folder(0);
             folder.EditRecord(folder.RecordAt(3).Key, "edited", "", "l", "", "secret", "notes");
         }},
        {"a record added and one deleted",
         [&] {
             account.Folder(1).AddRecord("new", "", "", "", "", "");
             account.Folder(1).DeleteRecord(account.Folder(1).First()->Key);
         }},
        {"a record moved to the other folder",
         [&] { account.Folder(0).MoveRecordToFolder(account, account.Folder(0).RecordAt(2).Key, 1); }},
        {"records moved up and folders exchanged",
         [&] {
             account.Folder(1).MoveRecordUp(account.Folder(1).Last()->Key);
             account.ExchangeFolders(0, 1);
         }},
        {"a record moved out of a folder that is then deleted",
         [&] {
             account.Folder(0).MoveRecordToFolder(account, account.Folder(0).RecordAt(1).Key, 1);
             account.DeleteFolder(0);
         }},
        {"the password changed", [&] { account.Password = "another pass word"; }},
        {"the password changed back after a load", [&] { account.Password = "pass word"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reload();
        c.change();
        account.SaveToFile(file);
        EXPECT_EQ(ReadWholeFile(file), FreshFileOf(account, dir / "fresh.vmk"));
        // Saved again without a load between: the lines kept by the save hold too.
        account.SaveToFile(file);
        EXPECT_EQ(ReadWholeFile(file), FreshFileOf(account, dir / "fresh.vmk"));
    }
}

// The file is read a piece at a time: lines cross the pieces, one line is longer than a piece,
// and a record's lines span two pieces.
TEST_F(AccountFileTest, ALargeFileReadsAcrossThePiecesItIsReadIn)
{
    account.AddFolder("big", 0);
    TFolderType& folder = account.Folder(0);
    std::string notes;
    for (int i = 0; notes.size() < (3u << 20) / 2; ++i) {
        notes += "line " + std::to_string(i) + "\r\n";
    }
    for (int i = 0; i < 20000; ++i) {
        const std::string text(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
        folder.AddRecord(text, std::to_string(i), text, "", text, i == 7000 ? notes : text);
    }
    account.SaveToFile(file);
    const std::string saved = ReadWholeFile(file);
    ASSERT_GT(saved.size(), 3u << 20);
    // Line ends as LF alone and stray CRs inside lines read the same.
    std::string lf;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i] == '\r') {
            continue;
        }
        lf += saved[i];
        if (i % 1001 == 0 && saved[i] != '\n') {
            lf += '\r';
        }
    }

    for (const std::string& content : {saved, lf}) {
        WriteBytes(file, content);
        TAccount loaded;
        loaded.Password = account.Password;
        ASSERT_EQ(loaded.LoadFromFile(file), ReadResult::Ok);
        EXPECT_FALSE(loaded.LastLoadDamage().Any());
        ASSERT_EQ(loaded.Folder(0).Count(), folder.Count());
        for (std::size_t r = 0; r < folder.Count(); ++r) {
            const TRecType& a = folder.RecordAt(r);
            const TRecType& b = loaded.Folder(0).RecordAt(r);
            ASSERT_EQ(std::make_tuple(a.Name(), a.URL(), a.Login(), a.IDNumber(), a.Password(), a.Notes()),
                      std::make_tuple(b.Name(), b.URL(), b.Login(), b.IDNumber(), b.Password(), b.Notes()))
                << "record " << r;
        }
        loaded.SaveToFile(file);
        EXPECT_EQ(ReadWholeFile(file), saved);
    }
}

// The blocks a load takes for its records are in proportion to the file: at least what the
// records hold (their values clear and enciphered), at most a few times the file: a small account
// takes no block of the largest size, also when a damaged count announces many records.
TEST_F(AccountFileTest, ALoadTakesMemoryInProportionToTheFile)
{
    struct Case
    {
        const char* name;
        int records;
        std::string countLine;
    };
    const Case cases[] = {
        {"one record", 1, ""},
        {"a few records", 40, ""},
        {"thousands of records", 6000, ""},
        {"a damaged count", 2, "65535"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        account.Clear();
        account.AddFolder("Mail", 0);
        std::size_t valueBytes = 0;
        for (int i = 0; i < c.records; ++i) {
            const std::string text = "value " + std::to_string(i);
            account.Folder(0).AddRecord(text, "https://" + text, "login", "", "p" + text, std::string(i % 50, 'n'));
            valueBytes += 3 * text.size() + 8 + 5 + 1 + static_cast<std::size_t>(i % 50);
        }
        account.SaveToFile(file);
        if (!c.countLine.empty()) {
            std::vector<std::string> lines = SplitCrLf(ReadWholeFile(file));
            lines[5] = StringCipher().EncipherText(account.Password, c.countLine);
            std::string content;
            for (const std::string& line : lines) {
                content += line + "\r\n";
            }
            WriteBytes(file, content);
        }
        const std::size_t fileBytes = ReadWholeFile(file).size();

        const std::size_t heldBefore = PageBlock::BytesHeld();
        TAccount loaded;
        loaded.Password = account.Password;
        ASSERT_EQ(loaded.LoadFromFile(file), ReadResult::Ok);
        const std::size_t held = PageBlock::BytesHeld() - heldBefore;
        EXPECT_GE(held, 2 * valueBytes);
        EXPECT_LE(held, std::max(PageBlock::kSmallestSize, 3 * fileBytes)) << fileBytes << " bytes in the file";
    }
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
