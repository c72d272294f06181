#include "core/account/AccountFilesWriter.h"

#include "core/account/AccountDirectory.h"
#include "support/OutputFiles.h"
#include "support/TempDir.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

using namespace std::chrono_literals;

class AccountFilesWriterTest : public ::testing::Test
{
protected:
    std::filesystem::path File(std::string_view extension) const
    {
        return AccountFilePath(program.Path(), "anna", extension);
    }
    void Save(const std::string& account, const std::string& settings, std::chrono::milliseconds patience = 2s)
    {
        AccountFilesWriter writer(program.Path(), "anna", patience);
        writer.StageAccount(account);
        writer.StageSettings(settings);
        writer.Commit();
    }
    bool TemporaryFilesLeft() const
    {
        return test::TemporaryFileLeftBeside(File(kAccountExtension)) ||
               test::TemporaryFileLeftBeside(File(kSettingsExtension));
    }

    test::TempDir program;
};

TEST_F(AccountFilesWriterTest, AFaultAtAnyStepLeavesBothFilesOldOrBothNew)
{
    Save("old account", "old settings");
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE(failAt);
        int step = 0;
        SetWriteFaultHook([&](WriteStep) { return ++step == failAt; });
        bool failed = false;
        try {
            Save("new account", "new settings");
        } catch (const FileError&) {
            failed = true;
        }
        SetWriteFaultHook(nullptr);
        EXPECT_FALSE(TemporaryFilesLeft());
        if (!failed) {
            EXPECT_GT(failAt, 10); // four steps for each file and two renames
            EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), "new account");
            EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), "new settings");
            break;
        }
        EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), "old account");
        EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), "old settings");
    }
}

TEST_F(AccountFilesWriterTest, ASettingsFileThatCannotBeReplacedTakesTheAccountFileBack)
{
    Save("old account", "old settings");
    std::filesystem::remove(File(kSettingsExtension));
    std::filesystem::create_directory(File(kSettingsExtension)); // no file can be renamed over it
    EXPECT_THROW(Save("new account", "new settings"), FileError);
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), "old account");
    EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AccountFilesWriterTest, ANewAccountWhoseSettingsFileCannotBeWrittenLeavesNoAccountFile)
{
    std::filesystem::create_directories(File(kSettingsExtension));
    EXPECT_THROW(Save("new account", "new settings"), FileError);
    EXPECT_FALSE(std::filesystem::exists(File(kAccountExtension)));
    EXPECT_FALSE(TemporaryFilesLeft());
}

// The settings file cannot be replaced, and neither can the account file be put back: the new
// account file stays, and the error says so apart from a save that wrote nothing.
TEST_F(AccountFilesWriterTest, AnAccountFileThatCannotBePutBackIsReportedAsWritten)
{
    Save("old account", "old settings");
    int renames = 0;
    SetWriteFaultHook([&](WriteStep step) { return step == WriteStep::Rename && ++renames >= 2; });
    try {
        Save("new account", "new settings");
        ADD_FAILURE() << "the save went through";
    } catch (const SettingsNotReplacedError& failure) {
        EXPECT_EQ(failure.AccountFileText(), PathText(File(kAccountExtension)));
        EXPECT_EQ(failure.FileText(), PathText(File(kSettingsExtension)));
        EXPECT_FALSE(failure.Reason().empty());
    }
    SetWriteFaultHook(nullptr);
    EXPECT_EQ(renames, 3) << "the account file, the settings file, the account file back";
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), "new account");
    EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), "old settings");
    EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AccountFilesWriterTest, AFileOfTheAccountThatLinksToADeviceOrFifoIsRefusedBeforeAnythingIsWritten)
{
    Save("old account", "old settings");
    test::TempDir elsewhere;
    const std::filesystem::path fifo = elsewhere / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::filesystem::path null = test::CharacterDevice(elsewhere, "null", 3);
    for (const std::string_view extension : {kAccountExtension, kSettingsExtension}) {
        for (const std::filesystem::path& target : {fifo, null}) {
            SCOPED_TRACE(std::string(extension) + " -> " + target.string());
            const std::string other =
                ReadWholeFile(File(extension == kAccountExtension ? kSettingsExtension : kAccountExtension));
            std::filesystem::remove(File(extension));
            std::filesystem::create_symlink(target, File(extension));
            EXPECT_THROW(Save("new account", "new settings"), FileError);
            EXPECT_TRUE(std::filesystem::is_symlink(File(extension)));
            EXPECT_FALSE(std::filesystem::is_regular_file(target));
            EXPECT_EQ(ReadWholeFile(File(extension == kAccountExtension ? kSettingsExtension : kAccountExtension)),
                      other);
            std::filesystem::remove(File(extension));
            Save("old account", "old settings");
        }
    }
}

TEST_F(AccountFilesWriterTest, ASecondWriterWaitsBrieflyThenWritesNothing)
{
    Save("first", "first");
    AccountFilesWriter holder(program.Path(), "anna");
    EXPECT_THROW(Save("second", "second", 50ms), FileBusyError);
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), "first");
    EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AccountFilesWriterTest, TwoProcessesSavingAtOnceAlwaysLeaveAMatchingPairOfFiles)
{
    Save("start", "start");
    const auto saveMany = [this](const std::string& who) {
        int saved = 0;
        for (int i = 0; i < 40; ++i) {
            const std::string content = who + " " + std::to_string(i) + std::string(20000, '.');
            try {
                Save(content, content);
                ++saved;
            } catch (const FileBusyError&) {
            }
        }
        return saved;
    };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        _exit(saveMany("child") > 0 ? 0 : 1);
    }
    const int parentSaves = saveMany("parent");
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(parentSaves, 0);

    const std::string account = ReadWholeFile(File(kAccountExtension));
    EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), account);
    EXPECT_TRUE(account.starts_with("child ") || account.starts_with("parent ")) << account.substr(0, 20);
    EXPECT_TRUE(account.ends_with(std::string(20000, '.')));
    EXPECT_FALSE(TemporaryFilesLeft());
}

TEST_F(AccountFilesWriterTest, TemporaryFilesOfAKilledSaveGoButLinksStay)
{
    Save("account", "settings");
    std::string killed = TemporaryPathTemplate(File(kAccountExtension)).native();
    killed.replace(killed.size() - 6, 6, "a1B2c3");
    test::TempDir elsewhere;
    std::string planted = TemporaryPathTemplate(File(kSettingsExtension)).native();
    planted.replace(planted.size() - 6, 6, "zzzzzz");
    WriteFileAtomically(killed, "half a save");
    std::filesystem::create_symlink(elsewhere.Path(), planted);

    Save("account", "settings");
    EXPECT_FALSE(std::filesystem::exists(killed));
    EXPECT_TRUE(std::filesystem::is_symlink(planted));
}

TEST_F(AccountFilesWriterTest, TheSettingsFileCanBeRemovedAfterTheAccountFile)
{
    Save("account", "settings");
    AccountFilesWriter writer(program.Path(), "anna");
    writer.StageAccount("account without settings");
    writer.RemoveSettingsAtCommit();
    writer.Commit();
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), "account without settings");
    EXPECT_FALSE(std::filesystem::exists(File(kSettingsExtension)));
}

TEST_F(AccountFilesWriterTest, TheAccountDirectoryIsItsOwnersOnly)
{
    Save("account", "settings");
    EXPECT_EQ(std::filesystem::status(UsersDirectory(program.Path())).permissions(), std::filesystem::perms::owner_all);
}

} // namespace
} // namespace velmora
