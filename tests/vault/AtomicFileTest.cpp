#include "vault/AtomicFile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

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
    EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(path)));
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
        EXPECT_FALSE(std::filesystem::exists(TemporaryPathFor(path)));
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

} // namespace
} // namespace velmora
