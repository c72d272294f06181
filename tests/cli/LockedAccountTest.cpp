#include "cli/AccountStore.h"
#include "cli/CliTestSupport.h"
#include "core/account/AccountFilesWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora::cli {
namespace {

// Whether another process can save the account right now: a writer that must not wait.
bool SecondWriterGetsIn(const std::filesystem::path& programDir)
{
    const pid_t child = fork();
    if (child == 0) {
        try {
            AccountFilesWriter writer(programDir, "Home", std::chrono::milliseconds(0));
            _exit(0);
        } catch (const FileBusyError&) {
            _exit(1);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(LockedAccount, NoOtherWriterGetsInFromTheReadToTheWrite)
{
    velmora::test::TempDir dir;
    test::SaveHome(dir.Path(), std::nullopt);
    ASSERT_TRUE(SecondWriterGetsIn(dir.Path()));
    {
        ScopedAccount account("Home");
        account->Password = "pw";
        LockedAccount locked(dir.Path(), *account);
        EXPECT_EQ(account->FolderCount(), 2u);
        EXPECT_FALSE(SecondWriterGetsIn(dir.Path()));
        account->AddFolder("New", 0);
        locked.Save();
        EXPECT_FALSE(SecondWriterGetsIn(dir.Path()));
    }
    EXPECT_TRUE(SecondWriterGetsIn(dir.Path()));
    TAccount reread;
    reread.Password = "pw";
    ASSERT_EQ(reread.LoadFromFile(test::UsersFile(dir.Path(), "Home.vmk")), ReadResult::Ok);
    EXPECT_EQ(reread.FolderCount(), 3u);
}

TEST(LockedAccount, AnAccountAnotherProgramKeepsLockedIsAReadOrWriteFailure)
{
    velmora::test::TempDir dir;
    test::SaveHome(dir.Path(), std::nullopt);
    AccountFilesWriter other(dir.Path(), "Home");
    ScopedAccount account("Home");
    account->Password = "pw";
    EXPECT_EQ(test::ExitCodeOf([&] { LockedAccount locked(dir.Path(), *account); }), ExitCode::ReadWriteFailure);
    EXPECT_EQ(account->FolderCount(), 0u);
}

} // namespace
} // namespace velmora::cli
