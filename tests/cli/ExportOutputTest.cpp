#include "cli/CliTestSupport.h"
#include "cli/Commands.h"
#include "support/OutputFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sstream>

namespace velmora::cli {
namespace {

using test::ExitCodeOf;

// `export -o` into what is not a plain file: the export goes where the path leads, and the path
// stays what it was.
class ExportOutputTest : public ::testing::Test
{
protected:
    ExportOutputTest()
    {
        test::SaveHome(dir.Path(), std::nullopt);
        ExportCommand(Context(), {.account = "Home"});
        expected = out.str();
    }

    CommandContext Context()
    {
        return {PortableFolders(dir.Path()), out, password, [] { return std::string("01.02.2026"); }};
    }
    void ExportTo(const std::filesystem::path& output)
    {
        ExportCommand(Context(), {.account = "Home", .output = output});
    }

    velmora::test::TempDir dir;
    test::FixedPassword password{"pw"};
    std::ostringstream out;
    std::string expected; // the export as standard output gets it
};

TEST_F(ExportOutputTest, AFifoGetsTheExportAndStaysAFifo)
{
    const std::filesystem::path fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    velmora::test::FifoReader reader(fifo);
    ExportTo(fifo);
    EXPECT_EQ(reader.Content(), expected);
    EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::symlink_status(fifo)));
}

TEST_F(ExportOutputTest, TheNullDeviceStaysADeviceAndNoFileHoldsTheExport)
{
    const std::filesystem::path null = velmora::test::CharacterDevice(dir, "null", 3);
    ExportTo(null);
    EXPECT_TRUE(std::filesystem::is_character_file(std::filesystem::symlink_status(null)));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_FALSE(entry.is_regular_file()) << entry.path(); // no temporary left with the export
    }
}

TEST_F(ExportOutputTest, ALinkToAFileGetsTheExportThroughIt)
{
    WriteFileAtomically(dir / "synced.json", "old");
    std::filesystem::create_symlink(dir / "synced.json", dir / "export.json");
    ExportTo(dir / "export.json");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "export.json"));
    EXPECT_EQ(ReadWholeFile(dir / "synced.json"), expected);
}

TEST_F(ExportOutputTest, TheAccountsOwnFilesAreRefusedAndKept)
{
    const std::filesystem::path account = test::UsersFile(dir.Path(), "Home.vmk");
    const std::string before = ReadWholeFile(account);
    EXPECT_EQ(ExitCodeOf([&] { ExportTo(account); }), ExitCode::Usage);
    EXPECT_EQ(ReadWholeFile(account), before);
}

} // namespace
} // namespace velmora::cli
