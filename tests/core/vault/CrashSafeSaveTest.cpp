#include "core/os/AtomicFile.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/Account.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace velmora {
namespace {

void Fill(TAccount& account, const std::string& tag, int records)
{
    account.Clear();
    account.AddFolder("folder " + tag, 1);
    for (int i = 0; i < records; ++i) {
        account.Folder(0).AddRecord(tag + std::to_string(i), "https://example.org/" + tag, "login", "id",
                                    "password " + tag, std::string(static_cast<std::size_t>(i % 90), 'n'));
    }
}

// An account is saved as its account file, then its settings file. Whichever single step fails,
// each file is either its old or its new version, complete and readable.
TEST(CrashSafeSave, AFailureAtAnyStepLeavesEachFileOldOrNew)
{
    test::TempDir dir;
    const auto accountFile = dir / "a.vmk";
    const auto settingsFile = dir / "a.int";
    TAccount account;
    account.Password = "pw";
    Fill(account, "old", 3);
    account.SaveToFile(accountFile);
    AccountSettings oldSettings;
    ASSERT_TRUE(SaveSettings(settingsFile, account.Password, oldSettings));
    const std::string oldAccountBytes = ReadWholeFile(accountFile);
    const std::string oldSettingsBytes = ReadWholeFile(settingsFile);

    AccountSettings newSettings;
    newSettings.cbSaveMod = true;
    newSettings.L_Width = 300;
    for (int failAt = 1;; ++failAt) {
        SCOPED_TRACE(failAt);
        Fill(account, "new", 3);
        ASSERT_TRUE(account.Modified);
        int step = 0;
        SetWriteFaultHook([&](WriteStep) { return ++step == failAt; });
        bool accountSaved = true;
        try {
            account.SaveToFile(accountFile);
        } catch (const FileError&) {
            accountSaved = false;
        }
        const bool settingsSaved = accountSaved && SaveSettings(settingsFile, account.Password, newSettings);
        SetWriteFaultHook(nullptr);

        EXPECT_EQ(account.Modified, !accountSaved);
        TAccount reread;
        reread.Password = "pw";
        ASSERT_EQ(reread.LoadFromFile(accountFile), ReadResult::Ok);
        EXPECT_EQ(reread.Folder(0).Name, accountSaved ? "folder new" : "folder old");
        AccountSettings loaded;
        ASSERT_TRUE(LoadSettings(settingsFile, "pw", loaded));
        EXPECT_EQ(loaded, settingsSaved ? newSettings : oldSettings);
        if (!accountSaved) {
            EXPECT_EQ(ReadWholeFile(accountFile), oldAccountBytes);
        }
        if (!settingsSaved) {
            EXPECT_EQ(ReadWholeFile(settingsFile), oldSettingsBytes);
        }
        if (accountSaved && settingsSaved) {
            break; // every step of both saves has been made to fail once
        }
        // Back to the old files for the next round.
        Fill(account, "old", 3);
        account.SaveToFile(accountFile);
        ASSERT_TRUE(SaveSettings(settingsFile, "pw", oldSettings));
    }
}

// A process killed at a random moment of a large save leaves the old file or the new one, whole.
TEST(CrashSafeSave, AKilledSaveNeverLeavesAMix)
{
    test::TempDir dir;
    const auto file = dir / "big.vmk";
    TAccount account;
    account.Password = "pw";
    Fill(account, "old", 20000);
    account.SaveToFile(file);
    const std::string oldBytes = ReadWholeFile(file);
    Fill(account, "new", 20000);

    const auto started = std::chrono::steady_clock::now();
    account.SaveToFile(dir / "timing.vmk");
    const auto saveTime = std::chrono::steady_clock::now() - started;
    constexpr int kRounds = 25;
    int sawOld = 0;
    int sawNew = 0;
    for (int round = 0; round < kRounds; ++round) {
        WriteFileAtomically(file, oldBytes);
        int saves[2];
        ASSERT_EQ(pipe(saves), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(saves[0]);
            for (;;) {
                account.SaveToFile(file);
                (void)!write(saves[1], "s", 1); // one completed save
            }
        }
        close(saves[1]);
        // Even rounds kill during the first save, odd ones during a later one, each somewhere
        // within a save's time, however fast or loaded the machine is.
        if (round % 2 == 1) {
            char done = 0;
            ASSERT_EQ(read(saves[0], &done, 1), 1);
        }
        std::this_thread::sleep_for(saveTime * round / kRounds);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(saves[0]);

        const std::string bytes = ReadWholeFile(file);
        TAccount reread;
        reread.Password = "pw";
        ASSERT_EQ(reread.LoadFromFile(file), ReadResult::Ok) << "round " << round;
        ASSERT_EQ(reread.Folder(0).Count(), 20000);
        if (bytes == oldBytes) {
            ++sawOld;
        } else {
            ++sawNew;
            EXPECT_EQ(reread.Folder(0).Name, "folder new");
        }
    }
    // Both outcomes occur, so the kills did land in the middle of saves.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

} // namespace
} // namespace velmora
