#include "core/os/AtomicFile.h"

#include "core/os/FileLock.h"
#include "support/OutputFiles.h"
#include "support/TempDir.h"
#include "support/TemporaryFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

TEST(AtomicFile, ReplacesTheFileWhole)
{
    test::TempDir dir;
    const auto path = dir / "file.txt";
    WriteFileAtomically(path, "first");
    WriteFileAtomically(path, "second, longer");
    EXPECT_EQ(ReadWholeFile(path), "second, longer");
    WriteFileAtomically(path, "");
    EXPECT_EQ(ReadWholeFile(path), "");
    EXPECT_FALSE(test::TemporaryFileLeftBeside(path));
}

TEST(AtomicFile, EveryFailingStepKeepsTheOldFileAndCleansUp)
{
    test::TempDir dir;
    const auto path = dir / "file.txt";
    WriteFileAtomically(path, "old");
    const std::string large(3 << 20, 'n'); // several write calls
    for (int failAt = 1;; ++failAt) {
        int step = 0;
        SetWriteFaultHook([&](WriteStep) { return ++step == failAt; });
        bool failed = false;
        try {
            WriteFileAtomically(path, large);
        } catch (const FileError& error) {
            failed = true;
            EXPECT_NE(std::string(error.what()).find("file.txt"), std::string::npos) << error.what();
        }
        SetWriteFaultHook(nullptr);
        if (!failed) {
            EXPECT_GT(failAt, 5); // create, three writes, flush, close and rename can each fail
            EXPECT_EQ(ReadWholeFile(path), large);
            break;
        }
        EXPECT_EQ(ReadWholeFile(path), "old") << "failing step " << failAt;
        EXPECT_FALSE(test::TemporaryFileLeftBeside(path));
    }
}

TEST(AtomicFile, FilesAreForTheirOwnerOnly)
{
    test::TempDir dir;
    const auto path = dir / "secret.vmk";
    WriteFileAtomically(path, "x");
    std::filesystem::permissions(path, std::filesystem::perms::all);
    WriteFileAtomically(path, "y");
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(AtomicFile, ReadingAMissingFileThrows)
{
    test::TempDir dir;
    EXPECT_THROW(ReadWholeFile(dir / "missing"), FileError);
}

TEST(AtomicFile, AWriteThroughALinkReplacesTheTargetAndKeepsTheLink)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "synced");
    const auto target = dir / "synced" / "a.vmk";
    WriteFileAtomically(target, "old");
    const auto link = dir / "a.vmk";
    std::filesystem::create_symlink(std::filesystem::path("synced") / "a.vmk", link);

    WriteFileAtomically(link, "new");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_FALSE(test::TemporaryFileLeftBeside(target));
    EXPECT_FALSE(test::TemporaryFileLeftBeside(link));
}

TEST(AtomicFile, ALinkPlantedAtATemporaryNameIsNeverFollowed)
{
    test::TempDir dir;
    const auto victim = dir / "victim";
    WriteFileAtomically(victim, "precious");
    const auto path = dir / "a.vmk";
    // The names a writer might pick: the old fixed one and the template itself.
    std::filesystem::create_symlink(victim, dir / "a.vmk.tmp");
    std::filesystem::create_symlink(victim, TemporaryPathTemplate(path));

    WriteFileAtomically(path, "account");
    EXPECT_EQ(ReadWholeFile(victim), "precious");
    EXPECT_EQ(ReadWholeFile(path), "account");
}

TEST(AtomicFile, FilesOverTheLimitAreNotRead)
{
    const test::TempDir dir;
    const auto file = dir / "f.txt";
    WriteFileAtomically(file, "12345");
    EXPECT_EQ(ReadWholeFile(file, 5), "12345");
    EXPECT_THROW(ReadWholeFile(file, 4), FileError);
}

TEST(AtomicFile, OnlyRegularFilesAreRead)
{
    test::TempDir dir;
    const auto fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto zeroLink = dir / "zero";
    std::filesystem::create_symlink("/dev/zero", zeroLink);
    std::filesystem::create_directory(dir / "folder");
    // None of these may hang or read without end.
    for (const auto& path : {fifo, zeroLink, dir / "folder"}) {
        SCOPED_TRACE(path.string());
        EXPECT_THROW(ReadWholeFile(path), FileError);
    }
    WriteFileAtomically(dir / "file", "content");
    std::filesystem::create_symlink("file", dir / "link");
    EXPECT_EQ(ReadWholeFile(dir / "link"), "content");
}

// Replacing a device or a FIFO by a regular file would take it from whoever uses it; a directory
// cannot be replaced anyway. Through a link or not, such a target is refused and stays.
TEST(AtomicFile, OnlyRegularFilesAreReplaced)
{
    test::TempDir dir;
    test::TempDir elsewhere;
    const auto fifo = elsewhere / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto null = test::CharacterDevice(elsewhere, "null", 3);
    std::filesystem::create_directory(elsewhere / "folder");
    for (const auto& target : {fifo, null, elsewhere / "folder"}) {
        SCOPED_TRACE(target.string());
        const auto type = std::filesystem::status(target).type();
        const auto link = dir / "link.vmk";
        std::filesystem::create_symlink(target, link);
        for (const auto& path : {link, target}) {
            EXPECT_THROW(WriteFileAtomically(path, "account"), FileError);
            EXPECT_THROW(StagedFile(path, "account"), FileError);
            EXPECT_THROW(RequireReplaceableFile(path), FileError);
        }
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(std::filesystem::status(target).type(), type);
        EXPECT_FALSE(test::TemporaryFileLeftBeside(target));
        std::filesystem::remove(link);
    }
    EXPECT_NO_THROW(RequireReplaceableFile(dir / "missing"));
    std::filesystem::create_symlink(dir / "missing", dir / "broken");
    WriteFileAtomically(dir / "broken", "through a broken link");
    EXPECT_EQ(ReadWholeFile(dir / "missing"), "through a broken link");
}

TEST(AtomicFile, SomethingPutInTheFilesPlaceWhileItIsStagedIsNotReplaced)
{
    test::TempDir dir;
    const auto path = dir / "file";
    WriteFileAtomically(path, "old");
    StagedFile staged(path, "new");
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_THROW(staged.Commit(), FileError);
    EXPECT_TRUE(std::filesystem::is_fifo(path));
    EXPECT_FALSE(test::TemporaryFileLeftBeside(path));
}

TEST(AtomicFile, AStagedFileReplacesNothingUntilCommittedAndLeavesNothingWhenDropped)
{
    test::TempDir dir;
    const auto path = dir / "file";
    WriteFileAtomically(path, "old");
    {
        StagedFile staged(path, "new");
        EXPECT_EQ(ReadWholeFile(path), "old");
        EXPECT_TRUE(test::TemporaryFileLeftBeside(path));
    }
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_FALSE(test::TemporaryFileLeftBeside(path));
}

TEST(AtomicFile, TheIdentityChangesWithEverySave)
{
    test::TempDir dir;
    const auto path = dir / "file";
    EXPECT_FALSE(IdentityOf(path));
    WriteFileAtomically(path, "same");
    const auto first = IdentityOf(path);
    ASSERT_TRUE(first);
    EXPECT_EQ(IdentityOf(path), first);
    WriteFileAtomically(path, "same");
    EXPECT_NE(IdentityOf(path), first);
}

TEST(FileLock, ASecondHolderWaitsThenGivesUpUntilTheFirstLetsGo)
{
    test::TempDir dir;
    const auto lockFile = dir / "a.lock";
    {
        FileLock first(lockFile, std::chrono::milliseconds(0));
        // flock locks belong to each opening, so a second one in this process competes too.
        EXPECT_THROW(FileLock(lockFile, std::chrono::milliseconds(60)), FileBusyError);
    }
    EXPECT_NO_THROW(FileLock(lockFile, std::chrono::milliseconds(0)));
}

TEST(FileLock, ALinkIsNoLockFile)
{
    test::TempDir dir;
    WriteFileAtomically(dir / "victim", "x");
    std::filesystem::create_symlink(dir / "victim", dir / "a.lock");
    EXPECT_THROW(FileLock(dir / "a.lock", std::chrono::milliseconds(0)), FileError);
}

} // namespace
} // namespace velmora
