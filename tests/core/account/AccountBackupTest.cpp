#include "core/account/AccountBackup.h"

#include "core/account/AccountDirectory.h"
#include "core/os/AtomicFile.h"
#include "support/TempDir.h"
#include "support/TemporaryFiles.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace velmora {
namespace {

void Write(const std::filesystem::path& file, const std::string& content)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

class AccountBackupTest : public ::testing::Test
{
protected:
    std::filesystem::path File(std::string_view extension) const
    {
        return AccountFilePath(program.Path(), "anna", extension);
    }
    void WriteAccount(bool withHint)
    {
        Write(File(kAccountExtension), "account");
        Write(File(kSettingsExtension), "settings");
        if (withHint) {
            Write(File(kHintExtension), "hint");
        }
    }

    test::TempDir program;
    test::TempDir target;
};

TEST_F(AccountBackupTest, AnAccountCopyReplacesOlderCopiesInTheTarget)
{
    WriteAccount(true);
    for (const char* name : {"anna.vmk", "anna.int", "anna.hint"}) {
        Write(target / name, "older");
    }
    CopyAccountFiles(program.Path(), "anna", target.Path());
    EXPECT_EQ(ReadWholeFile(target / "anna.vmk"), "account");
    EXPECT_EQ(ReadWholeFile(target / "anna.int"), "settings");
    EXPECT_EQ(ReadWholeFile(target / "anna.hint"), "hint");
    EXPECT_FALSE(test::TemporaryFileLeftBeside(target / "anna.vmk"));
}

TEST_F(AccountBackupTest, AnAccountWithoutAHintIsCopiedWithoutOne)
{
    WriteAccount(false);
    Write(target / "anna.hint", "a hint of an older password");
    CopyAccountFiles(program.Path(), "anna", target.Path());
    EXPECT_EQ(ReadWholeFile(target / "anna.vmk"), "account");
    EXPECT_FALSE(std::filesystem::exists(target / "anna.hint"));
}

TEST_F(AccountBackupTest, RefusesTheAccountDirectoryAndKeepsEarlierCopiesOnAFailure)
{
    WriteAccount(true);
    EXPECT_THROW(CopyAccountFiles(program.Path(), "anna", UsersDirectory(program.Path()) / "."), FileError);
    EXPECT_EQ(ReadWholeFile(File(kAccountExtension)), "account");

    // The settings copy cannot replace the old one: the account copy made before stays, and the
    // old settings copy is untouched.
    Write(target / "anna.int", "older");
    SetWriteFaultHook([calls = 0](WriteStep step) mutable { return step == WriteStep::Rename && ++calls == 2; });
    EXPECT_THROW(CopyAccountFiles(program.Path(), "anna", target.Path()), FileError);
    SetWriteFaultHook({});
    EXPECT_EQ(ReadWholeFile(target / "anna.vmk"), "account");
    EXPECT_EQ(ReadWholeFile(target / "anna.int"), "older");
}

TEST_F(AccountBackupTest, TheImportBackupHoldsTheAccountFileExactlyOrNothingChanges)
{
    EXPECT_THROW(MakeImportBackup(program.Path(), "anna"), FileError) << "no account file";
    EXPECT_FALSE(std::filesystem::exists(ImportBackupPath(program.Path(), "anna")));

    WriteAccount(false);
    MakeImportBackup(program.Path(), "anna");
    EXPECT_FALSE(std::filesystem::exists(File(kAccountExtension)));
    EXPECT_EQ(ReadWholeFile(ImportBackupPath(program.Path(), "anna")), "account");

    RemoveImportBackup(program.Path(), "anna");
    EXPECT_FALSE(std::filesystem::exists(ImportBackupPath(program.Path(), "anna")));
    EXPECT_NO_THROW(RemoveImportBackup(program.Path(), "anna")) << "a missing backup counts as removed";
}

TEST_F(AccountBackupTest, CompanionsOfTheImportedFileReplaceTheAccountsOwn)
{
    WriteAccount(true);
    const auto imported = target / "copy.of.anna.vmk";
    Write(imported, "imported");
    EXPECT_EQ(CompanionPath(imported, kSettingsExtension), target / "copy.of.anna.int");

    EXPECT_FALSE(BringImportCompanions(imported, program.Path(), "anna")) << "no companions beside it";
    EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), "settings");
    EXPECT_EQ(ReadWholeFile(File(kHintExtension)), "hint");

    Write(target / "copy.of.anna.hint", "new hint");
    EXPECT_FALSE(BringImportCompanions(imported, program.Path(), "anna"));
    EXPECT_EQ(ReadWholeFile(File(kHintExtension)), "new hint");
    EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), "settings");

    Write(target / "copy.of.anna.int", "new settings");
    EXPECT_TRUE(BringImportCompanions(imported, program.Path(), "anna"));
    EXPECT_EQ(ReadWholeFile(File(kSettingsExtension)), "new settings");

    Write(target / "other.txt", "stays");
    DeleteImportSources(imported);
    for (const char* name : {"copy.of.anna.vmk", "copy.of.anna.int", "copy.of.anna.hint"}) {
        EXPECT_FALSE(std::filesystem::exists(target / name)) << name;
    }
    EXPECT_TRUE(std::filesystem::exists(target / "other.txt"));
}

TEST_F(AccountBackupTest, ALeftOverBackupWithoutItsAccountFileIsRenamedBack)
{
    EXPECT_TRUE(RecoverUnfinishedImports(program.Path()).empty()) << "no Users directory";
    const auto users = UsersDirectory(program.Path());
    Write(users / "cut.vm#", "cut off"); // alone: the import was cut off
    Write(users / ".vm#", "unnamed");    // the account named ""
    Write(users / "both.vm#", "older");  // beside its account file: left alone
    Write(users / "both.vmk", "newer");
    Write(users / "\xD0\xB0\xD0\xBD\xD1\x8F.vm#", "cyrillic"); // "аня" in UTF-8

    std::vector<std::filesystem::path> recovered = RecoverUnfinishedImports(program.Path());
    std::sort(recovered.begin(), recovered.end());
    EXPECT_EQ(recovered, (std::vector<std::filesystem::path>{users / ".vmk", users / "cut.vmk",
                                                             users / "\xD0\xB0\xD0\xBD\xD1\x8F.vmk"}));
    EXPECT_EQ(ReadWholeFile(users / "cut.vmk"), "cut off");
    EXPECT_EQ(ReadWholeFile(users / ".vmk"), "unnamed");
    EXPECT_FALSE(std::filesystem::exists(users / "cut.vm#"));
    EXPECT_EQ(ReadWholeFile(users / "both.vm#"), "older");
    EXPECT_EQ(ReadWholeFile(users / "both.vmk"), "newer");
    EXPECT_EQ(ListAccounts(program.Path()), (std::vector<std::string>{"\xE0\xED\xFF", "cut", "both", ""}));
}

} // namespace
} // namespace velmora
