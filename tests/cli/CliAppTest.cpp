#include "cli/CliApp.h"

#include "ProgramInfo.h"
#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;

using test::CliRun;
using test::RunTool;

TEST(CliApp, ParsesCommandsAndRefusesMisuseWithExitCodeOne)
{
    velmora::test::TempDir dir;
    struct Case
    {
        std::vector<const char*> arguments;
        int code;
        std::string out;
    };
    const Case cases[] = {
        {{"generate", "--seed", "5", "--length", "3", "--no-upper", "--no-special"}, 0, "122\n"},
        {{"generate", "--seed", "4294967295", "--length", "0"}, 0, "\n"},
        {{}, 1, ""},
        {{"unknown"}, 1, ""},
        {{"show"}, 1, ""},
        {{"export", "Home"}, 1, ""},
        {{"export", "Home", "--format", "xml"}, 1, ""},
        {{"import", "Home"}, 1, ""},
        {{"import", "Home", "in.csv", "--from", "yaml"}, 1, ""},
        {{"import", "Home", "in.json", "--replace-unmappable"}, 1, ""},
        {{"import", "Home", "missing.csv", "--from", "csv", "--replace-unmappable"}, 4, ""},
        {{"export", "Home", "--format", "keepass-xml"}, 5, ""},
        {{"export", "Home", "--format", "csv"}, 5, ""},
        {{"generate", "--length", "25"}, 1, ""},
        {{"generate", "--length", "-1"}, 1, ""},
        {{"generate", "--seed", "-1"}, 1, ""},
        {{"generate", "--seed", "4294967296"}, 1, ""},
        {{"generate", "--no-lower", "--no-upper", "--no-digits", "--no-special"}, 1, ""},
        {{"list"}, 0, ""},
        {{"show", "Home"}, 5, ""},
    };
    for (const Case& c : cases) {
        const CliRun run = RunTool(PortableFolders(dir.Path()), c.arguments);
        const std::string command = c.arguments.empty() ? "(none)" : c.arguments.front();
        EXPECT_EQ(run.code, c.code) << command << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << command;
        EXPECT_EQ(run.err.empty(), c.code == 0) << command;
    }
}

TEST(CliApp, TheProgramDirectoryOptionMayFollowTheCommand)
{
    velmora::test::TempDir dir;
    test::SaveHome(dir.Path(), std::nullopt);
    const std::string dirText = dir.Path().string();
    EXPECT_EQ(RunTool(PortableFolders("/nonexistent"), {"--dir", dirText.c_str(), "list"}).out, "Home\n");
    EXPECT_EQ(RunTool(PortableFolders("/nonexistent"), {"list", "--dir", dirText.c_str()}).out, "Home\n");
    EXPECT_EQ(RunTool(PortableFolders(dir.Path()), {"list"}).out, "Home\n");
}

TEST(CliApp, OutputThatCannotBeWrittenIsAFailure)
{
    std::ostream broken(nullptr);
    std::ostringstream err;
    test::FixedPassword password("pw");
    const CliEnvironment environment{PortableFolders("/nonexistent"), broken, err, password,
                                     [] { return std::string(); }};
    const char* arguments[] = {"velmora-cli", "generate"};
    EXPECT_EQ(RunCli(2, arguments, environment), 4);
    EXPECT_THAT(err.str(), HasSubstr("could not be written"));
}

TEST(CliApp, HelpExitsWithSuccess)
{
    const CliRun run = RunTool(PortableFolders("/nonexistent"), {"--help"});
    EXPECT_EQ(run.code, 0);
    EXPECT_THAT(run.out, HasSubstr("Exit codes"));
    const CliRun all = RunTool(PortableFolders("/nonexistent"), {"--help-all"});
    EXPECT_EQ(all.code, 0);
    EXPECT_THAT(all.out, HasSubstr("--show-passwords")) << "the commands' own options are there too";
}

TEST(CliApp, VersionNamesTheLayoutAndItsFoldersWithoutACommand)
{
    const ProgramFolders installed{ProgramLayout::Installed, "/usr/share/velmora", "/home/anna/.local/share/velmora"};
    struct Case
    {
        std::vector<const char*> arguments;
        std::string out;
    };
    const Case cases[] = {
        {{"--version"},
         "velmora-cli " + std::string(kVersion) +
             "\nLayout: installed\nProgram files: /usr/share/velmora\n"
             "Accounts and language choice: /home/anna/.local/share/velmora\n"},
        {{"--version", "--dir", "/media/stick/velmora"},
         "velmora-cli " + std::string(kVersion) +
             "\nLayout: portable\nProgram files: /media/stick/velmora\n"
             "Accounts and language choice: /media/stick/velmora\n"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunTool(installed, c.arguments);
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, "");
    }
}

TEST(PasswordLine, OnlyTheLineEndIsRemoved)
{
    struct Case
    {
        std::string input;
        bool read;
        std::string password;
    };
    const Case cases[] = {
        {"secret\n", true, "secret"},
        {" a b \r\n", true, " a b "},
        {"last", true, "last"},
        {"\nsecond\n", true, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        std::istringstream in(c.input);
        std::string password;
        EXPECT_EQ(ReadPasswordLine(in, password), c.read) << c.input;
        EXPECT_EQ(password, c.password) << c.input;
    }
}

// The built program, as a script runs it: the password comes as one line on standard input.
class CliProcess : public ::testing::Test
{
protected:
    CliRun Execute(const std::string& input, const std::string& arguments)
    {
        std::ofstream(dir / "input", std::ios::binary) << input;
        const std::string command = std::string(VELMORA_CLI) + " --dir '" + dir.Path().string() + "' " + arguments +
                                    " <'" + (dir / "input").string() + "' >'" + (dir / "out").string() + "' 2>'" +
                                    (dir / "err").string() + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read("out"), Read("err")};
    }
    std::string Read(const std::string& name)
    {
        std::ifstream in(dir / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    velmora::test::TempDir dir;
};

TEST_F(CliProcess, ReadsThePasswordFromStandardInputAndReportsByExitCode)
{
    test::SaveHome(dir.Path(), std::nullopt);
    CliRun run = Execute("pw\n", "show Home --show-passwords");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Password: x1"));
    EXPECT_EQ(run.err, "");

    run = Execute("pw \n", "show Home");
    EXPECT_EQ(run.code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("Wrong password"));
    EXPECT_THAT(run.err, ::testing::Not(HasSubstr("pw ")));

    run = Execute("", "show Home");
    EXPECT_EQ(run.code, 1);
    EXPECT_THAT(run.err, HasSubstr("No password"));
}

// The password to estimate comes from standard input, never from the command line.
TEST_F(CliProcess, EstimateReadsOneLineOfStandardInput)
{
    CliRun run = Execute("password\nx7#Kq9!vR2$mW4pZ\n", "estimate --json");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("\"weak\": true"));
    EXPECT_THAT(run.out, ::testing::Not(HasSubstr("password")));

    run = Execute("", "estimate password");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
}

// A script must learn of damage it cannot see in the output, which still comes in full.
TEST_F(CliProcess, ADamagedAccountIsExportedWithAWarningAndExitCodeThree)
{
    TAccount account;
    account.Name = "Home";
    account.Password = "pw";
    account.AddFolder("Mail", 0);
    account.Folder(0).AddRecord("Box", "", "ann", "ID-7", "x1", "notes");
    test::SaveAccountFiles(dir.Path(), account, std::nullopt);
    const std::filesystem::path file = dir / "Users" / "Home.vmk";
    std::string content = Read("Users/Home.vmk");
    for (int line = 0; line < 2; ++line) { // the record's password and notes
        content.resize(content.rfind("\r\n", content.size() - 3) + 2);
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;

    const CliRun run = Execute("pw\n", "export Home --format json");
    EXPECT_EQ(run.code, 3);
    EXPECT_THAT(run.out, HasSubstr(R"("login": "ann")"));
    EXPECT_THAT(run.out, HasSubstr(R"("password": "")"));
    EXPECT_THAT(run.err, HasSubstr("2 lines missing at its end"));
}

TEST_F(CliProcess, AUsersDirectoryThatCannotBeReadIsAFailureNotAnEmptyList)
{
    std::ofstream(dir / "Users") << "a file where the directory belongs";
    const CliRun run = Execute("", "list");
    EXPECT_EQ(run.code, 4);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("Cannot read the directory"));
}

ino_t InodeOf(const std::filesystem::path& file)
{
    struct stat status
    {};
    stat(file.c_str(), &status);
    return status.st_ino;
}

// Standard output named as the output file is written as it stands: appended to what a
// redirection put there, into a pipe as into a file, never replaced.
TEST_F(CliProcess, AnOutputNamingStandardOutputIsWrittenAsItIs)
{
    test::SaveHome(dir.Path(), std::nullopt);
    const CliRun plain = Execute("pw\n", "export Home --format json");
    ASSERT_EQ(plain.code, 0) << plain.err;
    const std::string tool =
        std::string(VELMORA_CLI) + " --dir '" + dir.Path().string() + "' export Home --format json";
    const std::string input = " <'" + (dir / "input").string() + "'";
    const std::string out = "'" + (dir / "out").string() + "'";
    for (const char* name : {"-", "/dev/stdout", "/dev/fd/1"}) {
        SCOPED_TRACE(name);
        const std::string command = tool + " -o " + name + input;

        std::ofstream(dir / "out", std::ios::binary) << "HEADER\n";
        const ino_t inode = InodeOf(dir / "out");
        EXPECT_EQ(std::system((command + " >>" + out).c_str()), 0);
        EXPECT_EQ(Read("out"), "HEADER\n" + plain.out) << "appended to what the file held";
        EXPECT_EQ(InodeOf(dir / "out"), inode) << "the same file, not a new one in its place";

        EXPECT_EQ(std::system(("{ echo HEADER; " + command + "; } >" + out).c_str()), 0);
        EXPECT_EQ(Read("out"), "HEADER\n" + plain.out) << "written after the header";

        const std::string code = "'" + (dir / "code").string() + "'";
        EXPECT_EQ(std::system(("{ " + command + "; echo $? >" + code + "; } | cat >" + out).c_str()), 0);
        EXPECT_EQ(Read("out"), plain.out) << "through a pipe";
        EXPECT_EQ(Read("code"), "0\n");
    }
}

TEST_F(CliProcess, FilesItWritesAreTheUsersAlone)
{
    test::SaveHome(dir.Path(), std::nullopt);
    const CliRun run = Execute("pw\n", "export Home --format json -o '" + (dir / "dump.json").string() + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    const auto permissions = std::filesystem::status(dir / "dump.json").permissions();
    EXPECT_EQ(permissions & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
}

} // namespace
} // namespace velmora::cli
