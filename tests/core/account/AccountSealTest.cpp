#include "core/account/AccountSeal.h"

#include "core/account/AccountDirectory.h"
#include "core/account/AccountFilesWriter.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/Account.h"
#include "support/TempDir.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

// Small, so every derivation in these tests is quick; the program measures its own.
constexpr SealCost kTestCost = kSmallestReadableSealCost;
constexpr std::string_view kName = "anna";
constexpr std::string_view kPassword = "pass word";

class AccountSealTest : public ::testing::Test
{
protected:
    AccountSealTest()
    {
        settings.L_Width = 321;
        settings.cbSaveMod = true;
        TAccount account;
        account.Name = kName;
        account.Password = kPassword;
        account.AddFolder("Mail", 3);
        account.Folder(0).AddRecord("inbox", "https://mail.example", "anna", "", "secret 1", "notes");
        account.AddFolder("Bank", 5);
        account.Folder(1).AddRecord("card", "", "anna.b", "4711", "secret 2", "");
        Save(account);
        plainAccount = ReadWholeFile(File(kAccountExtension));
        plainSettings = ReadWholeFile(File(kSettingsExtension));
    }

    std::filesystem::path File(std::string_view extension) const
    {
        return AccountFilePath(program.Path(), kName, extension);
    }

    // Saves as the program and the tool do: both files under the lock, sealed when the account is.
    void Save(TAccount& account)
    {
        AccountFilesWriter writer(program.Path(), kName);
        writer.SealWith(account.Seal());
        writer.StageAccount(account.FileContent());
        writer.StageSettings(SettingsFileText(settings, account.Password));
        writer.Commit();
        account.MarkSaved();
    }

    SealChange Seal() const
    {
        return SealAccountFiles(program.Path(), kName, kPassword, SealKey::Derive(kPassword, kTestCost));
    }

    // Opens both files as a login does, and checks they hold what was saved.
    void ExpectOpens(TAccount& account) const
    {
        account.Name = kName;
        account.Password = kPassword;
        ASSERT_EQ(account.LoadFromFile(File(kAccountExtension)), ReadResult::Ok);
        ASSERT_EQ(account.FolderCount(), 2u);
        EXPECT_EQ(account.Folder(1).GetRecordAt(1).Password(), "secret 2");
        AccountSettings loaded;
        EXPECT_EQ(LoadSettings(File(kSettingsExtension), kPassword, loaded, account.Seal()).result,
                  SettingsLoad::Result::Complete);
        EXPECT_EQ(loaded, settings);
    }

    test::TempDir program;
    AccountSettings settings;
    std::string plainAccount;
    std::string plainSettings;
};

TEST_F(AccountSealTest, SealedAndUnsealedGivesBackBothFilesByteForByte)
{
    ASSERT_EQ(Seal().result, SealChange::Result::Done);
    EXPECT_TRUE(IsSealedText(ReadWholeFile(File(kAccountExtension))));
    EXPECT_TRUE(IsSealedText(ReadWholeFile(File(kSettingsExtension))));
    TAccount account;
    ExpectOpens(account);
    EXPECT_TRUE(account.IsSealed());

    ASSERT_EQ(UnsealAccountFiles(program.Path(), kName, kPassword, account.Seal()).result, SealChange::Result::Done);
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), plainAccount);
    EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), plainSettings);
    TAccount reopened;
    ExpectOpens(reopened);
    EXPECT_FALSE(reopened.IsSealed());
}

TEST_F(AccountSealTest, AnAccountWithoutSettingsFileIsSealedWithoutOne)
{
    std::filesystem::remove(File(kSettingsExtension));
    ASSERT_EQ(Seal().result, SealChange::Result::Done);
    EXPECT_FALSE(std::filesystem::exists(File(kSettingsExtension)));
    ASSERT_EQ(UnsealAccountFiles(program.Path(), kName, kPassword, std::nullopt).result, SealChange::Result::Done);
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), plainAccount);
}

TEST_F(AccountSealTest, WrongPasswordWritesNothing)
{
    EXPECT_EQ(SealAccountFiles(program.Path(), kName, "other", SealKey::Derive("other", kTestCost)).result,
              SealChange::Result::WrongPassword);
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), plainAccount);
    ASSERT_EQ(Seal().result, SealChange::Result::Done);
    const std::string sealed = ReadWholeFile(File(kAccountExtension));
    EXPECT_EQ(UnsealAccountFiles(program.Path(), kName, "other", std::nullopt).result,
              SealChange::Result::WrongPassword);
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), sealed);

    TAccount account;
    account.Password = "other";
    EXPECT_EQ(account.LoadFromFile(File(kAccountExtension)), ReadResult::BadCheckLine);
    EXPECT_FALSE(account.IsSealed());
    AccountSettings loaded;
    EXPECT_EQ(LoadSettings(File(kSettingsExtension), "other", loaded).result, SettingsLoad::Result::Unreadable);
    EXPECT_EQ(loaded, AccountSettings{});
}

TEST_F(AccountSealTest, ASealedAccountsSaveStaysSealedUnderItsSaltWithAFreshNonce)
{
    ASSERT_EQ(Seal().result, SealChange::Result::Done);
    const std::string before = ReadWholeFile(File(kAccountExtension));
    TAccount account;
    ExpectOpens(account);
    const SealSalt salt = account.Seal()->Salt();
    Save(account); // unchanged contents
    const std::string after = ReadWholeFile(File(kAccountExtension));
    ASSERT_TRUE(IsSealedText(after));
    EXPECT_NE(after, before);
    const UnsealedText reopened = UnsealText(after, kPassword);
    ASSERT_EQ(reopened.result, UnsealResult::Ok);
    EXPECT_EQ(reopened.key->Salt(), salt);
    EXPECT_EQ(reopened.text, plainAccount);
    EXPECT_EQ(UnsealText(ReadWholeFile(File(kSettingsExtension)), kPassword).text, plainSettings);

    // A save of the account file alone is sealed the same way.
    const std::filesystem::path single = program / "single.vmk";
    account.SaveToFile(single);
    EXPECT_EQ(UnsealText(ReadWholeFile(single), kPassword).text, plainAccount);
}

TEST_F(AccountSealTest, EveryChangedByteIsRefusedAndNothingIsRead)
{
    ASSERT_EQ(Seal().result, SealChange::Result::Done);
    const std::string sealed = ReadWholeFile(File(kAccountExtension));
    const std::filesystem::path changed = program / "changed.vmk";
    std::size_t toldChanged = 0;
    for (std::size_t at = 0; at < sealed.size(); ++at) {
        std::string bytes = sealed;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
        WriteFileAtomically(changed, bytes);
        TAccount account;
        account.Password = kPassword;
        const ReadResult result = account.LoadFromFile(changed);
        // A changed salt or key check reads as another password; anything else as changed.
        ASSERT_TRUE(result == ReadResult::SealChanged || result == ReadResult::BadCheckLine) << "byte " << at;
        EXPECT_EQ(account.FolderCount(), 0u) << "byte " << at;
        EXPECT_FALSE(account.IsSealed());
        toldChanged += result == ReadResult::SealChanged;
    }
    // The text itself, its tag, the nonce and the cost are bound by the AEAD: most of the file.
    EXPECT_GT(toldChanged, sealed.size() / 2);
}

TEST_F(AccountSealTest, CutShortOrGrownIsRefusedAsChanged)
{
    ASSERT_EQ(Seal().result, SealChange::Result::Done);
    const std::string sealed = ReadWholeFile(File(kAccountExtension));
    const std::filesystem::path changed = program / "changed.vmk";
    for (const std::string& bytes :
         {sealed.substr(0, sealed.size() - 1), sealed.substr(0, sealed.size() / 2), sealed + '\n', sealed + sealed}) {
        WriteFileAtomically(changed, bytes);
        TAccount account;
        account.Password = kPassword;
        EXPECT_EQ(account.LoadFromFile(changed), ReadResult::SealChanged) << bytes.size();
        EXPECT_EQ(account.FolderCount(), 0u);
    }
    WriteFileAtomically(File(kSettingsExtension), ReadWholeFile(File(kSettingsExtension)) + "x");
    AccountSettings loaded;
    EXPECT_EQ(LoadSettings(File(kSettingsExtension), kPassword, loaded).result, SettingsLoad::Result::SealChanged);
    EXPECT_EQ(loaded, AccountSettings{});
}

// Runs `step` in a child process that is killed at its n-th file write step, for n = 1, 2, ...
// until it finishes; after each kill the account must open, each file sealed or plain.
void KillAtEveryWriteStep(const std::function<void()>& step, const std::function<void()>& restore,
                          const std::function<void()>& expectOpens)
{
    for (int killAt = 1;; ++killAt) {
        SCOPED_TRACE(killAt);
        restore();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int steps = 0;
            SetWriteFaultHook([&](WriteStep) {
                if (++steps == killAt) {
                    raise(SIGKILL);
                }
                return false;
            });
            step();
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        expectOpens();
        if (WIFEXITED(status)) {
            ASSERT_EQ(WEXITSTATUS(status), 0);
            ASSERT_GT(killAt, 2); // the kills did land in the writes
            return;
        }
        ASSERT_TRUE(WIFSIGNALED(status));
    }
}

TEST_F(AccountSealTest, AKillAtAnyStepOfSealUnsealOrSaveLeavesAnAccountThatOpens)
{
    const auto expectOpens = [this] {
        TAccount account;
        ExpectOpens(account);
    };
    const auto putPlain = [this] {
        WriteFileAtomically(File(kAccountExtension), plainAccount);
        WriteFileAtomically(File(kSettingsExtension), plainSettings);
    };
    const SealKey key = SealKey::Derive(kPassword, kTestCost);
    const auto putSealed = [&] {
        WriteFileAtomically(File(kAccountExtension), SealText(key, plainAccount));
        WriteFileAtomically(File(kSettingsExtension), SealText(key, plainSettings));
    };
    KillAtEveryWriteStep([&] { SealAccountFiles(program.Path(), kName, kPassword, key); }, putPlain, expectOpens);
    KillAtEveryWriteStep([&] { UnsealAccountFiles(program.Path(), kName, kPassword, key); }, putSealed, expectOpens);
    KillAtEveryWriteStep(
        [&] {
            TAccount account;
            account.Password = kPassword;
            account.LoadFromFile(File(kAccountExtension));
            account.MarkChanged();
            Save(account);
        },
        putSealed, expectOpens);
}

TEST_F(AccountSealTest, SealingAgainAfterAnInterruptedSealFinishesIt)
{
    // A kill between the two files: the account file sealed, the settings file still plain.
    const SealKey key = SealKey::Derive(kPassword, kTestCost);
    WriteFileAtomically(File(kAccountExtension), SealText(key, plainAccount));
    TAccount account;
    ExpectOpens(account);
    ASSERT_EQ(SealAccountFiles(program.Path(), kName, kPassword, *account.Seal()).result, SealChange::Result::Done);
    EXPECT_TRUE(IsSealedText(ReadWholeFile(File(kSettingsExtension))));
    ASSERT_EQ(UnsealAccountFiles(program.Path(), kName, kPassword, std::nullopt).result, SealChange::Result::Done);
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), plainAccount);
    EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), plainSettings);
}

} // namespace
} // namespace velmora
