#include "core/export/ExportFile.h"

#include "support/OutputFiles.h"
#include "support/TempDir.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

using test::CharacterDevice;
using test::FifoReader;
using test::ModeOf;

const std::string kExport = "Account: Home\r\n[Mail]\r\nPassword: x1\r\n";

class ExportFileTest : public ::testing::Test
{
protected:
    ExportFileTest()
    {
        std::filesystem::create_directories(users);
        WriteFileAtomically(users / "Home.vmk", "enciphered account");
        WriteFileAtomically(users / "Home.int", "enciphered settings");
    }

    std::map<std::string, std::string> UsersFiles() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(users)) {
            files[entry.path().filename().string()] = ReadWholeFile(entry.path());
        }
        return files;
    }

    void Write(const std::filesystem::path& path) { WriteExportFile(path, kExport, users); }

    test::TempDir dir;
    std::filesystem::path users = dir / "Users";
};

TEST_F(ExportFileTest, RegularFilesAreReplacedOwnerOnlyAndLinksStayLinks)
{
    struct Case
    {
        const char* what;
        std::function<std::filesystem::path(const test::TempDir&)> make; // the path to write to
        std::filesystem::path written;                                   // where the export lands
        bool link;
    };
    const std::vector<Case> cases = {
        {"a new file", [](const test::TempDir& d) { return d / "new.txt"; }, "new.txt", false},
        {"a longer file readable by all",
         [](const test::TempDir& d) {
             WriteFileAtomically(d / "old.txt", std::string(5000, 'o'));
             std::filesystem::permissions(d / "old.txt", std::filesystem::perms(0644));
             return d / "old.txt";
         },
         "old.txt", false},
        {"a link to a file",
         [](const test::TempDir& d) {
             WriteFileAtomically(d / "target.txt", std::string(5000, 'o'));
             std::filesystem::create_symlink(d / "target.txt", d / "link.txt");
             return d / "link.txt";
         },
         "target.txt", true},
    };
    for (const Case& c : cases) {
        const std::filesystem::path path = c.make(dir);
        Write(path);
        EXPECT_EQ(ReadWholeFile(dir / c.written), kExport) << c.what;
        EXPECT_EQ(ModeOf(dir / c.written), 0600U) << c.what;
        EXPECT_EQ(std::filesystem::is_symlink(path), c.link) << c.what;
    }
}

TEST_F(ExportFileTest, AFifoIsWrittenIntoAndStaysAFifo)
{
    const std::filesystem::path fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    FifoReader reader(fifo);
    Write(fifo);
    EXPECT_EQ(reader.Content(), kExport);
    EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::symlink_status(fifo)));
}

TEST_F(ExportFileTest, DevicesAreWrittenInPlaceAndStayDevices)
{
    const std::filesystem::path null = CharacterDevice(dir, "null", 3);
    std::filesystem::create_symlink(null, dir / "null-link");
    for (const std::filesystem::path& path : {null, dir / "null-link"}) {
        Write(path);
        EXPECT_TRUE(std::filesystem::is_character_file(std::filesystem::symlink_status(null))) << path;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "null-link"));

    // The full device refuses the first write: reported, and still a device.
    const std::filesystem::path full = CharacterDevice(dir, "full", 7);
    EXPECT_THROW(Write(full), FileError);
    EXPECT_TRUE(std::filesystem::is_character_file(std::filesystem::symlink_status(full)));
}

// Hands the export over a few bytes at a time.
void InPieces(const std::function<void(std::string_view)>& write)
{
    for (std::size_t at = 0; at < kExport.size(); at += 5) {
        write(std::string_view(kExport).substr(at, 5));
    }
}

TEST_F(ExportFileTest, AnExportMadeInPiecesArrivesWholeInFilesAndFifos)
{
    const std::filesystem::path fifo = dir / "pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    FifoReader reader(fifo);
    WriteExportFile(fifo, InPieces, users);
    EXPECT_EQ(reader.Content(), kExport);

    WriteFileAtomically(dir / "target.txt", std::string(5000, 'o'));
    std::filesystem::create_symlink(dir / "target.txt", dir / "link.txt");
    WriteExportFile(dir / "link.txt", InPieces, users);
    EXPECT_EQ(ReadWholeFile(dir / "target.txt"), kExport);
    EXPECT_EQ(ModeOf(dir / "target.txt"), 0600U);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
}

TEST_F(ExportFileTest, AnExportThatFailsHalfwayLeavesTheFileAsItWasAndNothingBeside)
{
    WriteFileAtomically(dir / "old.txt", "old export");
    const auto failHalfway = [](const std::function<void(std::string_view)>& write) {
        write(kExport.substr(0, 10));
        throw FileError("the account could not be read");
    };
    EXPECT_THROW(WriteExportFile(dir / "old.txt", failHalfway, users), FileError);
    EXPECT_THROW(WriteExportFile(dir / "new.txt", failHalfway, users), FileError);
    EXPECT_EQ(ReadWholeFile(dir / "old.txt"), "old export");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Users", "old.txt"}));
}

TEST_F(ExportFileTest, NothingIsWrittenOverOrBesideTheAccountsFiles)
{
    std::filesystem::create_hard_link(users / "Home.vmk", dir / "hard.json");
    std::filesystem::create_symlink(users / "Home.int", dir / "alias.json");
    std::filesystem::create_directory_symlink(users, dir / "accounts");
    const std::map<std::string, std::string> before = UsersFiles();
    for (const std::filesystem::path& path :
         {users / "Home.vmk", users / "new.json", dir / "hard.json", dir / "alias.json", dir / "accounts" / "Home.int",
          dir / "accounts" / ".." / "Users" / "Home.vmk"}) {
        EXPECT_THROW(Write(path), ExportRefused) << path;
        EXPECT_EQ(UsersFiles(), before) << path;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "alias.json"));
    EXPECT_EQ(std::filesystem::hard_link_count(users / "Home.vmk"), 2U);
}

} // namespace
} // namespace velmora
