#include "cli/AccountJson.h"
#include "cli/CliTestSupport.h"
#include "core/account/AccountFiles.h"
#include "core/account/AccountFilesWriter.h"
#include "support/TempDir.h"

#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;

// The account as its file holds it now; an empty account when it cannot be read under `password`.
std::unique_ptr<TAccount> Reread(const std::filesystem::path& programDir, const std::string& name = "Home",
                                 const std::string& password = "pw")
{
    auto account = std::make_unique<TAccount>();
    account->Name = name;
    account->Password = password;
    if (account->LoadFromFile(AccountFilePath(programDir, name, kAccountExtension)) != ReadResult::Ok) {
        account->Clear();
    }
    return account;
}

std::string Folders(const TAccount& account)
{
    std::string names;
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        names += account.Folder(i).Name + "(" + std::to_string(account.Folder(i).Count()) + ") ";
    }
    return names;
}

class WritingCommands : public ::testing::Test
{
protected:
    test::CliRun Run(std::vector<const char*> arguments)
    {
        return test::RunTool(PortableFolders(dir.Path()), std::move(arguments), password);
    }
    velmora::test::TempDir dir;
    test::FixedPassword password{"pw"};
};

TEST_F(WritingCommands, EachWriterChangesWhatItsPathNamesAndRefusesWhatItCannot)
{
    using Check = std::function<void(const TAccount&)>;
    struct Case
    {
        std::vector<const char*> arguments;
        int code;
        Check check; // on the account after the command; none: it is unchanged
    };
    const auto record = [](const TAccount& account, std::size_t folder, std::size_t position) -> const TRecType& {
        return account.Folder(folder).RecordAt(position);
    };
    const Case cases[] = {
        {{"mkdir", "Home", "New\\/Old", "--icon", "4"},
         0,
         [](const TAccount& a) {
             EXPECT_EQ(a.Folder(3).Name, "New\\/Old"); // a folder name is taken as it is
             EXPECT_EQ(a.Folder(3).ImageIndex, 4);
         }},
        {{"mkdir", "Home", "  "}, 1, {}},
        {{"rmdir", "Home", "Bank#3"}, 0, [](const TAccount& a) { EXPECT_EQ(Folders(a), "Mail(3) Bank(1) "); }},
        {{"rmdir", "Home", "Mail"}, 1, {}},
        {{"rmdir", "Home", "Bank"}, 1, {}},
        {{"rmdir", "Home", "Mail", "--force"}, 0, [](const TAccount& a) { EXPECT_EQ(Folders(a), "Bank(1) Bank(0) "); }},
        {{"add", "Home", "Mail/New\\/One", "--login", "l", "--url", "u", "--id", "7"},
         0,
         [&](const TAccount& a) {
             const TRecType& added = record(a, 0, 3);
             EXPECT_EQ(added.Name(), "New/One");
             EXPECT_EQ(added.Login(), "l");
             EXPECT_EQ(added.URL(), "u");
             EXPECT_EQ(added.IDNumber(), "7");
             EXPECT_EQ(added.Password(), "pw"); // as typed at the question
         }},
        {{"add", "Home", "Bank#2/Gen", "-g", "--length", "12", "--no-special"},
         0,
         [&](const TAccount& a) {
             EXPECT_EQ(record(a, 1, 1).Password().size(), 12u);
             EXPECT_EQ(record(a, 1, 1).Password().find_first_not_of(
                           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
                       std::string_view::npos);
         }},
        {{"add", "Home", "Post/X"}, 5, {}},
        {{"add", "Home", "Bank/X"}, 1, {}},
        {{"add", "Home", "Mail/Box#1"}, 1, {}},
        {{"add", "Home", "Mail"}, 1, {}},
        {{"add", "Home", "Mail/X", "--password-stdin", "-g"}, 1, {}},
        {{"edit", "Home", "Mail/Box#3", "--name", "Crate", "--login", "carl"},
         0,
         [&](const TAccount& a) {
             EXPECT_EQ(record(a, 0, 2).Name(), "Crate");
             EXPECT_EQ(record(a, 0, 2).Login(), "carl");
             EXPECT_EQ(record(a, 0, 2).Password(), "p3");
             EXPECT_EQ(record(a, 0, 0).Login(), "ann");
         }},
        {{"edit", "Home", "Mail/Box", "--login", "x"}, 1, {}},
        {{"edit", "Home", "Mail/Nope", "--login", "x"}, 5, {}},
        {{"edit", "Home", "Mail/a\\/b", "-p"},
         0,
         [&](const TAccount& a) { EXPECT_EQ(record(a, 0, 1).Password(), "pw"); }},
        {{"rm", "Home", "Mail/Box#1"},
         0,
         [&](const TAccount& a) {
             EXPECT_EQ(Folders(a), "Mail(2) Bank(1) Bank(0) ");
             EXPECT_EQ(record(a, 0, 1).Login(), "bob");
         }},
        {{"rm", "Home", "Mail/Box"}, 1, {}},
        {{"rm", "Home", "Mail/Box#2"}, 5, {}},
        {{"mv", "Home", "Mail/a\\/b", "Bank#3"},
         0,
         [&](const TAccount& a) {
             EXPECT_EQ(Folders(a), "Mail(2) Bank(1) Bank(1) ");
             EXPECT_EQ(record(a, 2, 0).Name(), "a/b");
         }},
        {{"mv", "Home", "Mail/Box#1", "Mail"}, 1, {}},
        {{"mv", "Home", "Mail/Box#1", "Bank"}, 1, {}},
        {{"mv", "Home", "Mail/Box#1", "Post"}, 5, {}},
    };
    for (const Case& c : cases) {
        test::SaveSmallAccount(dir.Path());
        const std::string before = ReadWholeFile(AccountFilePath(dir.Path(), "Home", kAccountExtension));
        const test::CliRun run = Run(c.arguments);
        const std::string command = std::string(c.arguments[0]) + " " + c.arguments[2];
        EXPECT_EQ(run.code, c.code) << command << ": " << run.err;
        if (c.check) {
            c.check(*Reread(dir.Path()));
        } else {
            EXPECT_EQ(ReadWholeFile(AccountFilePath(dir.Path(), "Home", kAccountExtension)), before) << command;
        }
    }
}

TEST_F(WritingCommands, RecordPasswordsComeFromStandardInputNeverFromArguments)
{
    test::SaveSmallAccount(dir.Path());
    password.lines = {"from stdin"};
    EXPECT_EQ(Run({"add", "Home", "Bank#3/Web", "--password-stdin", "--notes-file", "/nonexistent"}).code, 4);
    const test::CliRun run = Run({"add", "Home", "Bank#3/Web", "--password-stdin"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Reread(dir.Path())->Folder(2).RecordAt(0).Password(), "from stdin");
    EXPECT_EQ(Run({"edit", "Home", "Bank#3/Web", "--password-stdin"}).code, 1) << "no line left";
    // No command takes a password as an argument.
    for (const char* option : {"--password", "--password=x"}) {
        EXPECT_EQ(Run({"add", "Home", "Bank#3/X", option, "x"}).code, 1) << option;
    }
}

TEST_F(WritingCommands, NotesComeFromAFileWithTheirLineBreaks)
{
    test::SaveSmallAccount(dir.Path());
    std::ofstream(dir / "notes", std::ios::binary) << "one\ntwo\n";
    const std::string notes = (dir / "notes").string();
    ASSERT_EQ(Run({"edit", "Home", "Mail/Box#1", "--notes-file", notes.c_str()}).code, 0);
    EXPECT_EQ(Reread(dir.Path())->Folder(0).RecordAt(0).Notes(), "one\r\ntwo\r\n");
}

TEST_F(WritingCommands, CreatePasswdRenameAndDeleteAnAccount)
{
    ASSERT_EQ(Run({"create", "Work"}).code, 0);
    EXPECT_TRUE(password.lastConfirm) << "a new password is asked twice";
    EXPECT_EQ(Folders(*Reread(dir.Path(), "Work")), "Default folder(0) ");
    EXPECT_EQ(Run({"create", "Work"}).code, 1);
    EXPECT_EQ(Run({"create", "a:b"}).code, 1);

    SaveSettings(AccountFilePath(dir.Path(), "Work", kSettingsExtension), "pw", AccountSettings{});
    WriteAccountHint(AccountFilePath(dir.Path(), "Work", kHintExtension), "the old one");
    test::FixedPassword changed("new");
    // The old password and then the new one are asked; the test answers "new" to both, so the
    // old one is wrong and nothing changes.
    EXPECT_EQ(test::RunTool(PortableFolders(dir.Path()), {"passwd", "Work"}, changed).code, 2);
    EXPECT_EQ(Reread(dir.Path(), "Work")->FolderCount(), 1u);

    struct Answers final : PasswordSource
    {
        void Read(std::string_view, bool confirm, std::string& password) override { password = confirm ? "new" : "pw"; }
        void ReadLine(std::string&) override {}
        bool Confirm(std::string_view) override { return false; }
    } answers;
    ASSERT_EQ(test::RunTool(PortableFolders(dir.Path()), {"passwd", "Work"}, answers).code, 0);
    EXPECT_EQ(Reread(dir.Path(), "Work", "new")->FolderCount(), 1u);
    AccountSettings settings;
    EXPECT_TRUE(LoadSettings(AccountFilePath(dir.Path(), "Work", kSettingsExtension), "new", settings));
    EXPECT_EQ(ReadAccountHint(dir.Path(), "Work"), "the old one");

    test::FixedPassword current("new");
    ASSERT_EQ(test::RunTool(PortableFolders(dir.Path()), {"rename", "Work", "Job"}, current).code, 0);
    EXPECT_FALSE(std::filesystem::exists(AccountFilePath(dir.Path(), "Work", kAccountExtension)));
    EXPECT_EQ(Reread(dir.Path(), "Job", "new")->FolderCount(), 1u);
    EXPECT_TRUE(LoadSettings(AccountFilePath(dir.Path(), "Job", kSettingsExtension), "new", settings));
    EXPECT_EQ(ReadAccountHint(dir.Path(), "Job"), "the old one");
    test::SaveSmallAccount(dir.Path());
    EXPECT_EQ(test::RunTool(PortableFolders(dir.Path()), {"rename", "Job", "Home"}, current).code, 1);

    // Delete asks for the password like the program, then the question unless --yes.
    current.answer = false;
    EXPECT_EQ(test::RunTool(PortableFolders(dir.Path()), {"delete", "Job"}, current).code, 1);
    EXPECT_EQ(current.questions, 1);
    EXPECT_TRUE(std::filesystem::exists(AccountFilePath(dir.Path(), "Job", kAccountExtension)));
    EXPECT_EQ(test::RunTool(PortableFolders(dir.Path()), {"delete", "Job", "--yes"}, password).code, 2);
    ASSERT_EQ(test::RunTool(PortableFolders(dir.Path()), {"delete", "Job", "--yes"}, current).code, 0);
    EXPECT_EQ(current.questions, 1);
    for (const std::string_view extension : {kAccountExtension, kSettingsExtension, kHintExtension}) {
        EXPECT_FALSE(std::filesystem::exists(AccountFilePath(dir.Path(), "Job", extension))) << extension;
    }
}

TEST_F(WritingCommands, MergeAddsWhatTheAccountLacksMatchedByFolderNameAndLogin)
{
    test::SaveSmallAccount(dir.Path());
    TAccount other;
    other.Name = "Other";
    other.Password = "pw";
    other.AddFolder("Mail", 0);
    other.Folder(0).AddRecord("Box", "", "bob", "", "changed", ""); // known: same name and login
    other.Folder(0).AddRecord("Box", "", "dan", "", "p5", "");
    other.AddFolder("Shop", 2);
    other.Folder(1).AddRecord("Cart", "", "", "", "p6", "");
    test::SaveAccountFiles(dir.Path(), other, std::nullopt);
    const std::string file = AccountFilePath(dir.Path(), "Other", kAccountExtension).string();

    const test::CliRun run = Run({"merge", "Home", file.c_str()});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "New record Mail/Box#4.\nNew folder Shop.\nNew record Shop/Cart.\n"
                       "1 folder and 2 records came in.\n");
    const auto merged = Reread(dir.Path());
    EXPECT_EQ(Folders(*merged), "Mail(4) Bank(1) Bank(0) Shop(1) ");
    EXPECT_EQ(merged->Folder(0).RecordAt(2).Password(), "p3");
    EXPECT_EQ(merged->Folder(3).ImageIndex, 2);

    // A JSON export merges the same way, and a second merge brings nothing.
    std::ofstream(dir / "other.json", std::ios::binary) << AccountToJson(other, std::nullopt).dump();
    const std::string json = (dir / "other.json").string();
    const test::CliRun again = Run({"merge", "Home", json.c_str()});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(again.out, "0 folders and 0 records came in.\n");
}

// Lets the second writer go on when the command asks for the account password, the last thing
// before it takes the account's lock.
class SignallingPassword final : public PasswordSource
{
public:
    explicit SignallingPassword(int pipe) : m_pipe(pipe) {}
    void Read(std::string_view, bool confirm, std::string& password) override
    {
        if (m_pipe >= 0) {
            (void)!write(m_pipe, "g", 1);
            close(m_pipe);
            m_pipe = -1;
        }
        // A new password (passwd's, a record's) is "new".
        password = confirm ? "new" : "pw";
    }
    void ReadLine(std::string& secret) override { secret = "pw"; }
    bool Confirm(std::string_view) override { return true; }

private:
    int m_pipe;
};

// Every folder and record name, login and password.
std::string Summary(const TAccount& account)
{
    std::string summary;
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        summary += "[" + account.Folder(i).Name + "]";
        for (std::size_t position = 0; position < account.Folder(i).Count(); ++position) {
            const TRecType& record = account.Folder(i).RecordAt(position);
            summary += std::string(record.Name()) + "," + std::string(record.Login()) + "," +
                       std::string(record.Password()) + ";";
        }
    }
    return summary;
}

// A second program holding the account's lock: once let go, it saves the account with the folder
// "Other" added and ends. Returns its process id once it holds the lock.
pid_t StartSecondWriter(const std::filesystem::path& programDir, int& go)
{
    int locked[2];
    int proceed[2];
    if (pipe(locked) != 0 || pipe(proceed) != 0) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(locked[0]);
        close(proceed[1]);
        AccountFilesWriter writer(programDir, "Home");
        (void)!write(locked[1], "l", 1);
        char byte = 0;
        if (read(proceed[0], &byte, 1) != 1) {
            _exit(1);
        }
        const auto account = Reread(programDir);
        account->AddFolder("Other", 0);
        writer.StageAccount(account->FileContent());
        writer.Commit();
        _exit(0);
    }
    close(locked[1]);
    close(proceed[0]);
    char byte = 0;
    const bool holds = read(locked[0], &byte, 1) == 1;
    close(locked[0]);
    go = proceed[1];
    return holds ? child : -1;
}

// Another program saves the account while a command is under way: the command waits for it and
// reads the account after it, so both changes are kept.
TEST_F(WritingCommands, EachWriterKeepsWhatASecondWriterSavedMeanwhile)
{
    const std::string otherFile = (dir / "other.json").string();
    const std::vector<std::vector<const char*>> writers = {
        {"mkdir", "Home", "New"},     {"rmdir", "Home", "Bank#3"},
        {"add", "Home", "Mail/New"},  {"edit", "Home", "Mail/Box#1", "--login", "x"},
        {"rm", "Home", "Mail/Box#1"}, {"mv", "Home", "Mail/Box#1", "Bank#2"},
        {"passwd", "Home"},           {"merge", "Home", otherFile.c_str()},
    };
    TAccount other;
    other.AddFolder("Shop", 0);
    std::ofstream(otherFile, std::ios::binary) << AccountToJson(other, std::nullopt).dump();
    for (const std::vector<const char*>& arguments : writers) {
        test::SaveSmallAccount(dir.Path());
        const auto secondAlone = Reread(dir.Path());
        secondAlone->AddFolder("Other", 0);
        int go = -1;
        const pid_t second = StartSecondWriter(dir.Path(), go);
        ASSERT_GT(second, 0);
        SignallingPassword signalling(go);
        const test::CliRun run = test::RunTool(PortableFolders(dir.Path()), arguments, signalling);
        int status = 0;
        ASSERT_EQ(waitpid(second, &status, 0), second);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << arguments[0];
        EXPECT_EQ(run.code, 0) << arguments[0] << ": " << run.err;
        const bool passwd = arguments[0] == std::string_view("passwd");
        const auto after = Reread(dir.Path(), "Home", passwd ? "new" : "pw");
        EXPECT_THAT(Folders(*after), HasSubstr("Other(0)")) << arguments[0];
        // The command's own change is there too; passwd's is the password it was read with.
        EXPECT_EQ(Summary(*after) != Summary(*secondAlone), !passwd) << arguments[0];
    }
}

} // namespace
} // namespace velmora::cli
