#include "cli/HealthCommands.h"

#include "cli/CliTestSupport.h"
#include "core/health/BreachList.h"
#include "support/TempDir.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace velmora::cli {
namespace {

using test::ExitCodeOf;
using ::testing::HasSubstr;
using ::testing::Not;

class HealthCommandsTest : public ::testing::Test
{
protected:
    HealthCommandsTest()
    {
        TAccount account;
        account.Name = "Home";
        account.Password = "pw";
        account.AddFolder("Mail", 0);
        account.Folder(0).AddRecord("Inbox", "", "ann", "", "x7#Kq9!vR2$mW4pZ", "");
        account.Folder(0).AddRecord("Work", "", "ann", "", "", "");
        account.Folder(0).AddRecord("Forum", "", "Ziggurat77", "", "ziggurat77", "");
        account.AddFolder("Shops", 1);
        account.Folder(1).AddRecord("Books", "", "ann", "", "Qm3$vTz8!pLw", "");
        account.Folder(1).AddRecord("Music", "", "ann", "", "Qm3$vTz8!pLw", "");
        account.Folder(1).AddRecord("Games", "", "ann", "", "password1", "");
        test::SaveAccountFiles(dir.Path(), account, std::nullopt);
    }

    CommandContext Context(test::FixedPassword& password)
    {
        return {PortableFolders(dir.Path()), out, password, [] { return std::string(); }};
    }

    velmora::test::TempDir dir;
    test::FixedPassword password{"pw"};
    std::ostringstream out;
};

TEST_F(HealthCommandsTest, AnalyzeListsEachTroubledRecordWorstFirst)
{
    AnalyzeCommand(Context(password), {.account = "Home"});
    const std::string text = out.str();
    EXPECT_THAT(text, HasSubstr("Account \"Home\": 5 of 6 records need attention.\n"));
    EXPECT_THAT(text, HasSubstr("Mail / Work: empty\n"));
    EXPECT_THAT(text, HasSubstr("Mail / Forum: same as the login, weak ("));
    EXPECT_THAT(text, HasSubstr("Shops / Books: used by 1 other record\n"));
    EXPECT_THAT(text, HasSubstr("Shops / Games: weak ("));
    EXPECT_THAT(text, Not(HasSubstr("Inbox")));
    EXPECT_LT(text.find("Work"), text.find("Forum"));
    EXPECT_LT(text.find("Games"), text.find("Books"));
    // No password is ever printed.
    EXPECT_THAT(text, Not(HasSubstr("password1")));
    EXPECT_THAT(text, Not(HasSubstr("Qm3$")));
}

TEST_F(HealthCommandsTest, AnalyzeWithABreachListGivesTheCountsAsJson)
{
    std::ofstream(dir / "breaches.txt") << "0000000000000000000000000000000000000001:5\n"
                                        << "E38AD214943DAAD1D64C102FAEC29DE4AFE9DA3D:2413945\n";
    AnalyzeCommand(Context(password), {.account = "Home", .breached = dir / "breaches.txt", .json = true});
    const nlohmann::json report = nlohmann::json::parse(out.str());
    EXPECT_EQ(report["account"], "Home");
    EXPECT_EQ(report["records"], 6);
    EXPECT_EQ(report["breachChecked"], true);
    const nlohmann::json& findings = report["findings"];
    ASSERT_EQ(findings.size(), 5U);
    EXPECT_EQ(findings[0]["record"], "Work");
    EXPECT_EQ(findings[0]["empty"], true);
    for (const nlohmann::json& finding : findings) {
        if (finding["record"] == "Games") {
            EXPECT_EQ(finding["timesBreached"], 2413945);
            EXPECT_EQ(finding["weak"], true);
        } else {
            EXPECT_EQ(finding["timesBreached"], 0) << finding["record"];
        }
        if (finding["record"] == "Music") {
            EXPECT_EQ(finding["reusedBy"], 1);
            EXPECT_EQ(finding["folder"], "Shops");
            EXPECT_EQ(finding["position"], 2);
        }
    }
}

TEST_F(HealthCommandsTest, AnalyzeFailsByExitCode)
{
    // A breach list that cannot be read is told before the password is asked for.
    EXPECT_EQ(ExitCodeOf([&] { AnalyzeCommand(Context(password), {.account = "Home", .breached = dir / "none"}); }),
              ExitCode::ReadWriteFailure);
    EXPECT_EQ(password.reads, 0);

    test::FixedPassword wrong("nope");
    EXPECT_EQ(ExitCodeOf([&] { AnalyzeCommand(Context(wrong), {.account = "Home"}); }), ExitCode::WrongPassword);
    EXPECT_EQ(ExitCodeOf([&] { AnalyzeCommand(Context(password), {.account = "Away"}); }), ExitCode::NotFound);
    EXPECT_EQ(out.str(), "");
}

TEST_F(HealthCommandsTest, EstimateRatesThePasswordItIsGiven)
{
    struct Case
    {
        const char* password;
        const char* rating;
        const char* time;
    };
    const Case cases[] = {
        {"password", "Rating: weak\n", "less than a second"},
        {"Xk9q2!a", "Rating: fair", ""},
        {"x7#Kq9!vR2$mW4pZ", "Rating: strong\n", "centuries"},
    };
    for (const Case& c : cases) {
        test::FixedPassword typed(c.password);
        out.str("");
        EstimateCommand(Context(typed), {});
        EXPECT_EQ(typed.reads, 1);
        EXPECT_FALSE(typed.lastConfirm);
        EXPECT_THAT(out.str(), HasSubstr(c.rating)) << c.password;
        EXPECT_THAT(out.str(), HasSubstr(c.time)) << c.password;
        EXPECT_THAT(out.str(), Not(HasSubstr(c.password)));
    }
}

TEST_F(HealthCommandsTest, EstimateAsJson)
{
    test::FixedPassword typed("Xk9q2!a");
    EstimateCommand(Context(typed), {.json = true});
    const nlohmann::json report = nlohmann::json::parse(out.str());
    EXPECT_EQ(report["weak"], false);
    EXPECT_EQ(report["confirmAsAccountPassword"], true);
    EXPECT_EQ(report["guessesPerSecond"], 1e10);
    EXPECT_GE(report["log10Guesses"].get<double>(), 10);
    EXPECT_LT(report["log10Guesses"].get<double>(), 12);
    EXPECT_DOUBLE_EQ(report["secondsToGuess"].get<double>(),
                     std::pow(10.0, report["log10Guesses"].get<double>()) / 2 / 1e10);
}

TEST_F(HealthCommandsTest, EstimateRefusesWhatTheCodePageCannotHold)
{
    test::FixedPassword typed("\xE2\x82\xAC\xE4\xB8\xAD"); // "€中": 中 has no place in the code page
    EXPECT_EQ(ExitCodeOf([&] { EstimateCommand(Context(typed), {}); }), ExitCode::Usage);
}

} // namespace
} // namespace velmora::cli
