#include "core/account/ProgramFolders.h"

#include "core/os/AtomicFile.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Sets XDG_DATA_HOME and HOME for one test and puts the process's own values back after it.
class ProgramFoldersTest : public ::testing::Test
{
protected:
    ProgramFoldersTest() : m_xdg(Saved("XDG_DATA_HOME")), m_home(Saved("HOME")) {}
    ~ProgramFoldersTest() override
    {
        Set("XDG_DATA_HOME", m_xdg);
        Set("HOME", m_home);
    }

    static void Set(const char* name, const std::optional<std::string>& value)
    {
        if (value) {
            ::setenv(name, value->c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }

    static fs::perms Permissions(const fs::path& path) { return fs::status(path).permissions() & fs::perms::all; }

    test::TempDir executableDir;
    test::TempDir home;

private:
    static std::optional<std::string> Saved(const char* name)
    {
        const char* value = std::getenv(name);
        return value == nullptr ? std::nullopt : std::optional<std::string>(value);
    }

    std::optional<std::string> m_xdg;
    std::optional<std::string> m_home;
};

TEST_F(ProgramFoldersTest, TheProgramDirectoryIsPortableWhenItHoldsTheLanguageFileOrTheAccounts)
{
    Set("XDG_DATA_HOME", (home / "data").string());
    for (const char* marker : {"Default.lng", "Users"}) {
        test::TempDir dir;
        if (std::string(marker) == "Users") {
            fs::create_directory(dir / marker);
        } else {
            std::ofstream(dir / marker) << "[Misc]\n";
        }
        const ProgramFolders folders = ChooseProgramFolders(dir.Path());
        EXPECT_EQ(folders.layout, ProgramLayout::Portable) << marker;
        EXPECT_EQ(folders.programFiles, dir.Path()) << marker;
        EXPECT_EQ(folders.userFiles, dir.Path()) << marker;
    }
    EXPECT_FALSE(fs::exists(home / "data")) << "choosing creates nothing";
}

TEST_F(ProgramFoldersTest, OtherwiseThePersonsFilesAreInTheirDataDirectory)
{
    struct Case
    {
        std::optional<std::string> xdgDataHome;
        fs::path expected;
    };
    const Case cases[] = {
        {(home / "data").string(), home / "data" / "velmora"},
        {std::nullopt, home / ".local" / "share" / "velmora"},
        {"", home / ".local" / "share" / "velmora"},
        {"relative/data", home / ".local" / "share" / "velmora"}, // would depend on the working directory
    };
    Set("HOME", home.Path().string());
    for (const Case& c : cases) {
        Set("XDG_DATA_HOME", c.xdgDataHome);
        const ProgramFolders folders = ChooseProgramFolders(executableDir.Path());
        EXPECT_EQ(folders.layout, ProgramLayout::Installed);
        EXPECT_EQ(folders.programFiles, InstalledProgramFilesDirectory());
        EXPECT_EQ(folders.userFiles, c.expected) << c.xdgDataHome.value_or("(unset)");
    }
    EXPECT_TRUE(InstalledProgramFilesDirectory().is_absolute());
    EXPECT_EQ(InstalledProgramFilesDirectory().filename(), "velmora");
}

TEST_F(ProgramFoldersTest, ThePersonsDirectoryIsCreatedPrivateWithTheFoldersAboveIt)
{
    fs::permissions(home.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    Set("XDG_DATA_HOME", std::nullopt);
    Set("HOME", home.Path().string());
    const ProgramFolders folders = ChooseProgramFolders(executableDir.Path());

    CreateUserFilesDirectory(folders);
    CreateUserFilesDirectory(folders); // a second start finds it there
    for (const fs::path& created : {home / ".local", home / ".local" / "share", folders.userFiles}) {
        EXPECT_EQ(Permissions(created), fs::perms::owner_all) << created;
    }
    EXPECT_EQ(Permissions(home.Path()), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec)
        << "a folder that was there keeps its permissions";
}

TEST_F(ProgramFoldersTest, APortableDirectoryIsLeftAsItIs)
{
    CreateUserFilesDirectory(PortableFolders(executableDir / "missing"));
    EXPECT_FALSE(fs::exists(executableDir / "missing"));
}

TEST_F(ProgramFoldersTest, AFileInThePlaceOfThePersonsDirectoryIsAnError)
{
    Set("XDG_DATA_HOME", home.Path().string());
    std::ofstream(home / "velmora") << "not a directory";
    const ProgramFolders folders = ChooseProgramFolders(executableDir.Path());
    EXPECT_THROW(CreateUserFilesDirectory(folders), FileError);
    EXPECT_TRUE(fs::is_regular_file(home / "velmora")) << "the file is kept";
}

} // namespace
} // namespace velmora
