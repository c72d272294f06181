#include "cli/SealCommands.h"

#include "cli/CliApp.h"
#include "cli/CliTestSupport.h"
#include "cli/ReadingCommands.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

namespace velmora::cli {
namespace {

using test::ExitCodeOf;
using test::UsersFile;
using ::testing::HasSubstr;

class SealCommandsTest : public ::testing::Test
{
protected:
    SealCommandsTest()
    {
        settings.L_Width = 333;
        test::SaveHome(dir.Path(), settings);
        plainAccount = ReadWholeFile(UsersFile(dir.Path(), "Home.vmk"));
        plainSettings = ReadWholeFile(UsersFile(dir.Path(), "Home.int"));
    }
    CommandContext Context(test::FixedPassword& passwords)
    {
        return {PortableFolders(dir.Path()), out, passwords, [] { return std::string("01.02.2026 10:00:00"); }};
    }
    // A small cost, so the tests stay quick; the tool measures its own.
    static SealOptions Home() { return {.account = "Home", .cost = kSmallestReadableSealCost}; }
    std::string AccountFile() const { return ReadWholeFile(UsersFile(dir.Path(), "Home.vmk")); }
    std::string SettingsFile() const { return ReadWholeFile(UsersFile(dir.Path(), "Home.int")); }

    velmora::test::TempDir dir;
    AccountSettings settings;
    test::FixedPassword password{"pw"};
    std::ostringstream out;
    std::string plainAccount;
    std::string plainSettings;
};

TEST_F(SealCommandsTest, EveryCommandWorksOnASealedAccountAndUnsealGivesThePlainFilesBack)
{
    SealCommand(Context(password), Home());
    EXPECT_THAT(out.str(), HasSubstr("is sealed"));
    EXPECT_TRUE(IsSealedText(AccountFile()));
    EXPECT_TRUE(IsSealedText(SettingsFile()));

    out.str("");
    ShowCommand(Context(password), {.account = "Home", .showPasswords = true});
    EXPECT_THAT(out.str(), HasSubstr("x1"));
    out.str("");
    ExportCommand(Context(password), {.account = "Home"});
    EXPECT_THAT(out.str(), HasSubstr("\"L_Width\": 333"));

    const std::string json = out.str();
    out.str("");
    InfoCommand(Context(password), {.account = "Home"});
    EXPECT_THAT(out.str(), HasSubstr("Sealed: yes\n"));
    UnsealCommand(Context(password), Home());
    EXPECT_EQ(AccountFile(), plainAccount);
    EXPECT_EQ(SettingsFile(), plainSettings);
    out.str("");
    InfoCommand(Context(password), {.account = "Home"});
    EXPECT_THAT(out.str(), HasSubstr("Sealed: no\n"));

    // An import with --replace writes a new account from the file, in the plain format.
    SealCommand(Context(password), Home());
    const auto jsonFile = dir / "home.json";
    WriteFileAtomically(jsonFile, json);
    ImportCommand(Context(password), {.account = "Home", .input = jsonFile, .replace = true});
    EXPECT_FALSE(IsSealedText(AccountFile()));
    out.str("");
    ShowCommand(Context(password), {.account = "Home", .showPasswords = true});
    EXPECT_THAT(out.str(), HasSubstr("x1"));
}

TEST_F(SealCommandsTest, ASaveOfTheSealedAccountStaysSealedWithAFreshNonce)
{
    SealCommand(Context(password), Home());
    const std::string first = AccountFile();
    // Sealing again keeps the key and writes both files anew.
    SealCommand(Context(password), Home());
    const std::string second = AccountFile();
    ASSERT_TRUE(IsSealedText(second));
    EXPECT_NE(second, first);
    EXPECT_EQ(UnsealText(second, "pw").key->Salt(), UnsealText(first, "pw").key->Salt());
}

TEST_F(SealCommandsTest, APasswordChangeSealsUnderTheNewPassword)
{
    SealCommand(Context(password), Home());
    struct Answers final : PasswordSource
    {
        void Read(std::string_view, bool confirm, std::string& typed) override { typed = confirm ? "new" : "pw"; }
        void ReadLine(std::string&) override {}
        bool Confirm(std::string_view) override { return false; }
    } answers;
    ASSERT_EQ(test::RunTool(PortableFolders(dir.Path()), {"passwd", "Home"}, answers).code, 0);
    // Kept under the old password's key, the files would open under neither password.
    EXPECT_TRUE(IsSealedText(AccountFile()));
    EXPECT_EQ(UnsealText(AccountFile(), "pw").result, UnsealResult::WrongPassword);
    test::FixedPassword changed("new");
    out.str("");
    ShowCommand(Context(changed), {.account = "Home", .showPasswords = true});
    EXPECT_THAT(out.str(), HasSubstr("x1"));
    EXPECT_TRUE(IsSealedText(SettingsFile()));
}

TEST_F(SealCommandsTest, WrongPasswordAndChangedFilesAreRefusedWithoutWriting)
{
    test::FixedPassword wrong("other");
    EXPECT_EQ(ExitCodeOf([&] { SealCommand(Context(wrong), Home()); }), ExitCode::WrongPassword);
    EXPECT_EQ(AccountFile(), plainAccount);

    SealCommand(Context(password), Home());
    const std::string sealed = AccountFile();
    EXPECT_EQ(ExitCodeOf([&] { UnsealCommand(Context(wrong), Home()); }), ExitCode::WrongPassword);
    EXPECT_EQ(ExitCodeOf([&] { ShowCommand(Context(wrong), {.account = "Home"}); }), ExitCode::WrongPassword);

    std::string changed = sealed;
    changed.back() = static_cast<char>(changed.back() ^ 0x20);
    WriteFileAtomically(UsersFile(dir.Path(), "Home.vmk"), changed);
    for (const auto& command : {std::function<void()>([&] { ShowCommand(Context(password), {.account = "Home"}); }),
                                std::function<void()>([&] { UnsealCommand(Context(password), Home()); })}) {
        EXPECT_EQ(ExitCodeOf(command), ExitCode::DamagedFile);
    }
    EXPECT_EQ(AccountFile(), changed);
}

TEST_F(SealCommandsTest, TheToolKnowsBothCommands)
{
    std::ostringstream err;
    const auto run = [&](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "velmora-cli");
        const std::string programDir = dir.Path().string();
        arguments.insert(arguments.begin() + 1, {"--dir", programDir.c_str()});
        const CliEnvironment environment{PortableFolders(dir.Path()), out, err, password,
                                         [] { return std::string("now"); }};
        return RunCli(static_cast<int>(arguments.size()), arguments.data(), environment);
    };
    EXPECT_EQ(run({"seal"}), static_cast<int>(ExitCode::Usage));
    // A plain account unsealed stays as it is, without any derivation.
    EXPECT_EQ(run({"unseal", "Home"}), 0) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("is unsealed"));
    EXPECT_EQ(AccountFile(), plainAccount);
    EXPECT_EQ(run({"seal", "Nobody"}), static_cast<int>(ExitCode::NotFound));
}

} // namespace
} // namespace velmora::cli
