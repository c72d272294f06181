#include "cli/Shell.h"

#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

#include <deque>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;

TEST(ShellWords, BlanksSeparateAndOnlyBlanksQuotesAndBackslashesAreEscaped)
{
    struct Case
    {
        std::string line;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"  ls   Mail ", {"ls", "Mail"}},
        {"show Mail/a\\/b", {"show", "Mail/a\\/b"}},
        {"add \"My Mail/Box one\" --login 'a b'", {"add", "My Mail/Box one", "--login", "a b"}},
        {"mkdir New\\ Folder", {"mkdir", "New Folder"}},
        {"show Mail/x\\\\", {"show", "Mail/x\\"}},
        {"ls ''", {"ls", ""}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShellWords(c.line), c.words) << c.line;
    }
    EXPECT_EQ(test::ExitCodeOf([] { ShellWords("ls \"Mail"); }), ExitCode::Usage);
}

// Lines and idle pauses in the order a person gives them.
class ScriptedInput final : public ShellInput
{
public:
    explicit ScriptedInput(std::deque<std::optional<std::string>> script) : m_script(std::move(script)) {}
    Result Next(std::chrono::milliseconds, std::string& line) override
    {
        if (m_script.empty()) {
            return Result::End;
        }
        std::optional<std::string> next = std::move(m_script.front());
        m_script.pop_front();
        if (!next) {
            return Result::Idle;
        }
        line = std::move(*next);
        return Result::Line;
    }

private:
    std::deque<std::optional<std::string>> m_script; // nothing: an idle pause
};

class ShellTest : public ::testing::Test
{
protected:
    ShellTest() { test::SaveHome(dir.Path(), std::nullopt); }
    void Run(std::deque<std::optional<std::string>> script)
    {
        ScriptedInput input(std::move(script));
        const CliEnvironment environment{PortableFolders(dir.Path()), out, err, password, [] { return std::string(); }};
        RunShell(environment, "Home", input, password, std::chrono::minutes(5));
    }
    velmora::test::TempDir dir;
    test::FixedPassword password{"pw"};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ShellTest, CommandsRunWithoutTheAccountNameAndThePasswordAskedOnce)
{
    Run({"ls", "show Mail/Box -a password --show-password", "mkdir \"New one\"", "nonsense", "create Other", "ls",
         "exit", "ls"});
    EXPECT_EQ(password.reads, 1);
    EXPECT_EQ(out.str(), "Mail\nBank\nx1\nAdded the folder New one.\nMail\nBank\nNew one\n");
    EXPECT_THAT(err.str(), HasSubstr("There is no shell command \"nonsense\""));
    EXPECT_THAT(err.str(), HasSubstr("There is no shell command \"create\""));
}

TEST_F(ShellTest, AfterAnIdlePauseThePasswordIsAskedAgain)
{
    Run({"ls", std::nullopt, "ls Bank"});
    EXPECT_EQ(password.reads, 2);
    EXPECT_THAT(err.str(), HasSubstr("Locked after 300 seconds"));
    EXPECT_EQ(out.str(), "Mail\nBank\n");
}

TEST_F(ShellTest, AWrongPasswordEndsTheShell)
{
    test::FixedPassword wrong("nope");
    ScriptedInput input({"ls"});
    const CliEnvironment environment{PortableFolders(dir.Path()), out, err, wrong, [] { return std::string(); }};
    EXPECT_EQ(test::ExitCodeOf([&] { RunShell(environment, "Home", input, wrong, std::chrono::minutes(5)); }),
              ExitCode::WrongPassword);
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace velmora::cli
