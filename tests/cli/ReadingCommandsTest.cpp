#include "cli/CliTestSupport.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Home, under "pw": Mail with two records named Box and one named a/b, and two folders named Bank.
class ReadingCommands : public ::testing::Test
{
protected:
    ReadingCommands() { test::SaveSmallAccount(dir.Path()); }
    test::CliRun Run(std::vector<const char*> arguments)
    {
        return test::RunTool(PortableFolders(dir.Path()), arguments);
    }

    velmora::test::TempDir dir;
};

TEST_F(ReadingCommands, EachPathIsFoundMissingAmbiguousOrEscaped)
{
    struct Case
    {
        std::vector<const char*> arguments;
        int code;
        std::string out;
    };
    const Case cases[] = {
        {{"ls", "Home"}, 0, "Mail\nBank#2\nBank#3\n"},
        {{"ls", "Home", "Mail"}, 0, "Mail/Box#1\nMail/a\\/b\nMail/Box#3\n"},
        {{"ls", "Home", "Bank"}, 1, ""},
        {{"ls", "Home", "Bank#2"}, 0, "Bank#2/Card\n"},
        {{"ls", "Home", "Post"}, 5, ""},
        {{"ls", "Nobody"}, 5, ""},
        {{"show", "Home", "Mail/a\\/b", "-a", "password"}, 0, "**\n"},
        {{"show", "Home", "Mail/a\\/b", "-a", "password", "--show-password"}, 0, "p2\n"},
        {{"show", "Home", "Mail/Box#3", "-a", "login", "-a", "name"}, 0, "bob\nBox\n"},
        {{"show", "Home", "Mail/Box"}, 1, ""},
        {{"show", "Home", "Mail/Box#2"}, 5, ""},
        {{"show", "Home", "Mail/Nope"}, 5, ""},
        {{"show", "Home", "Mail"}, 1, ""},
        {{"show", "Home", "Mail/Box#1", "-a", "colour"}, 1, ""},
        {{"search", "Home", "BO"}, 0, "Mail/Box#1\nMail/Box#3\n"},
        {{"search", "Home", "bo", "--field", "login"}, 0, "Mail/Box#3\n"},
        {{"search", "Home", "bo", "--case-sensitive"}, 0, "Mail/Box#3\n"},
        {{"search", "Home", "car", "--folder", "Bank#2"}, 0, "Bank#2/Card\n"},
        {{"search", "Home", "car", "--folder", "Mail"}, 5, ""},
        {{"search", "Home", "line", "--field", "notes"}, 1, ""},
    };
    for (const Case& c : cases) {
        const test::CliRun run = Run(c.arguments);
        const std::string command = std::string(c.arguments[0]) + " " + c.arguments.back();
        EXPECT_EQ(run.code, c.code) << command << ": " << run.err;
        EXPECT_EQ(run.out, c.out) << command;
    }
}

TEST_F(ReadingCommands, ARecordShowsItsPasswordOnlyWhenAskedFor)
{
    const test::CliRun masked = Run({"show", "Home", "Mail/Box#1"});
    EXPECT_EQ(masked.code, 0) << masked.err;
    EXPECT_EQ(masked.out, "Mail/Box#1\n    URL: https://mail.example\n    Login: ann\n    ID number: ID-7\n"
                          "    Password: **\n    Notes: line 1\n           line 2\n");
    EXPECT_THAT(Run({"show", "Home", "Mail/Box#1", "--show-password"}).out, HasSubstr("Password: p1\n"));
    // The account as a whole, as before paths.
    EXPECT_THAT(Run({"show", "Home"}).out, HasSubstr("[Bank] (icon 0)\n  Card\n"));
}

TEST_F(ReadingCommands, JsonOutputIsParsedBack)
{
    using Json = nlohmann::json;
    const Json folders = Json::parse(Run({"ls", "Home", "--json"}).out);
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_EQ(folders[0], (Json{{"path", "Mail"}, {"name", "Mail"}, {"icon", 3}, {"records", 3}}));
    const Json records = Json::parse(Run({"ls", "Home", "Mail", "--json"}).out);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1]["path"], "Mail/a\\/b");
    EXPECT_EQ(records[1]["name"], "a/b");

    const Json record = Json::parse(Run({"show", "Home", "Mail/Box#1", "--json"}).out);
    EXPECT_EQ(record["notes"], "line 1\r\nline 2");
    EXPECT_EQ(record["password"], "**");
    EXPECT_EQ(Json::parse(Run({"show", "Home", "Mail/Box#1", "--json", "--show-password"}).out)["password"], "p1");
    EXPECT_EQ(Json::parse(Run({"show", "Home", "Mail/Box#3", "--json", "-a", "login"}).out),
              (Json{{"path", "Mail/Box#3"}, {"login", "bob"}}));

    const Json hits = Json::parse(Run({"search", "Home", "o", "--field", "login", "--json"}).out);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[1], (Json{{"path", "Bank#2/Card"}, {"folder", "Bank"}, {"name", "Card"}, {"login", "carol"}}));

    EXPECT_EQ(Json::parse(Run({"list", "--json"}).out), Json::array({"Home"}));
    const Json whole = Json::parse(Run({"show", "Home", "--json", "--folder", "Mail"}).out);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(whole[0]["records"][2]["login"], "bob");
    EXPECT_EQ(whole[0]["records"][2]["password"], "**");

    const Json info = Json::parse(Run({"info", "Home", "--json"}).out);
    EXPECT_EQ(info["folders"], 3);
    EXPECT_EQ(info["records"], 4);
    EXPECT_EQ(info["settingsFile"], "none");
    EXPECT_EQ(info["accountFileSize"], std::filesystem::file_size(test::UsersFile(dir.Path(), "Home.vmk")));
    EXPECT_EQ(info["passwordHint"], false);
}

TEST_F(ReadingCommands, InfoTellsTheSettingsFilesState)
{
    EXPECT_THAT(Run({"info", "Home"}).out, HasSubstr("Settings file: none\n"));
    SaveSettings(AccountFilePath(dir.Path(), "Home", kSettingsExtension), "pw", AccountSettings{});
    const test::CliRun run = Run({"info", "Home"});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("Settings file: readable ("));
    EXPECT_THAT(run.out, HasSubstr("Folders: 3\nRecords: 4\n"));
    std::filesystem::resize_file(AccountFilePath(dir.Path(), "Home", kSettingsExtension), 40);
    EXPECT_THAT(Run({"info", "Home"}).out, Not(HasSubstr("readable")));
}

// Records what clip asks of the clipboard.
class RecordingClipboard final : public Clipboard
{
public:
    bool Hold(std::string_view utf8, std::chrono::seconds duration) override
    {
        held = utf8;
        seconds = duration;
        return true;
    }
    std::string held;
    std::chrono::seconds seconds{0};
};

TEST_F(ReadingCommands, ClipHoldsTheChosenFieldForTheGivenTime)
{
    RecordingClipboard clipboard;
    test::FixedPassword password("pw");
    const auto clip = [&](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "velmora-cli");
        std::ostringstream out;
        std::ostringstream err;
        const CliEnvironment environment{PortableFolders(dir.Path()),  out,       err, password,
                                         [] { return std::string(); }, &clipboard};
        return RunCli(static_cast<int>(arguments.size()), arguments.data(), environment);
    };
    EXPECT_EQ(clip({"clip", "Home", "Mail/Box#3"}), 0);
    EXPECT_EQ(clipboard.held, "p3");
    EXPECT_EQ(clipboard.seconds, std::chrono::seconds(10));
    EXPECT_EQ(clip({"clip", "Home", "Mail/a\\/b", "-a", "name", "3"}), 0);
    EXPECT_EQ(clipboard.held, "a/b");
    EXPECT_EQ(clipboard.seconds, std::chrono::seconds(3));
    EXPECT_EQ(clip({"clip", "Home", "Mail/Box"}), 1);
    EXPECT_EQ(clip({"clip", "Home", "Mail/Box#1", "0"}), 1);
    // Without a clipboard (no display), a clear failure.
    const test::CliRun none = Run({"clip", "Home", "Mail/Box#1"});
    EXPECT_EQ(none.code, 4);
    EXPECT_THAT(none.err, HasSubstr("clipboard"));
}

} // namespace
} // namespace velmora::cli
