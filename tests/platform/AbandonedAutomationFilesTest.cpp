#include "platform/AutomationFiles.h"
#include "support/TempDir.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmora {
namespace {

bool OpenNothing(const std::filesystem::path&)
{
    return true;
}

// A run that makes its export file and is then killed, before it could remove anything.
pid_t RunKilledAfterAnExport(const std::filesystem::path& parent)
{
    const pid_t child = fork();
    if (child == 0) {
        auto* files = new AutomationFiles(parent, OpenNothing); // never deleted: the kill comes first
        std::ofstream(files->NewFile("Book", "xlsx")) << "passwords in the clear";
        kill(getpid(), SIGKILL);
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    return child;
}

std::filesystem::path OnlyDirectoryOf(const std::filesystem::path& parent, pid_t owner)
{
    const std::string prefix = "velmora-export-" + std::to_string(owner) + "-";
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(parent)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            found.push_back(entry.path());
        }
    }
    EXPECT_EQ(found.size(), 1U) << prefix;
    return found.empty() ? std::filesystem::path() : found.front();
}

TEST(AbandonedAutomationFiles, OnlyThisUsersDirectoriesOfEndedRunsAreRemoved)
{
    test::TempDir parent;
    const pid_t dead = RunKilledAfterAnExport(parent.Path());
    const std::filesystem::path abandoned = OnlyDirectoryOf(parent.Path(), dead);
    ASSERT_FALSE(std::filesystem::is_empty(abandoned));

    AutomationFiles running(parent.Path(), OpenNothing);
    const std::filesystem::path runningFile = running.NewFile("Doc", "docx");
    EXPECT_EQ(running.Directory(), OnlyDirectoryOf(parent.Path(), getpid()));

    // Named like an abandoned directory, but a link: what it points at is not ours to remove.
    const std::filesystem::path pointedAt = parent / "elsewhere";
    std::filesystem::create_directory(pointedAt);
    std::ofstream(pointedAt / "keep") << "keep";
    const std::filesystem::path link = parent / ("velmora-export-" + std::to_string(dead) + "-link");
    std::filesystem::create_directory_symlink(pointedAt, link);

    // Someone else's directory of that name; only root can make one here.
    const std::filesystem::path foreign = parent / ("velmora-export-" + std::to_string(dead) + "-other");
    std::filesystem::create_directory(foreign);
    const bool foreignOwned = chown(foreign.c_str(), 65534, 65534) == 0;

    RemoveAbandonedAutomationFiles(parent.Path());

    EXPECT_FALSE(std::filesystem::exists(abandoned));
    EXPECT_TRUE(std::filesystem::exists(runningFile));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::exists(pointedAt / "keep"));
    EXPECT_EQ(std::filesystem::exists(foreign), foreignOwned);
}

} // namespace
} // namespace velmora
