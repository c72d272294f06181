#include "cli/RecordPath.h"

#include "cli/CliTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

using ::testing::HasSubstr;

TEST(RecordPath, EscapesAndPositionsAreReadFromTheTypedPath)
{
    struct Case
    {
        std::string typed;
        std::string folder;
        std::optional<std::size_t> folderPosition;
        std::optional<std::string> record;
        std::optional<std::size_t> recordPosition;
    };
    const Case cases[] = {
        {"Mail", "Mail", {}, {}, {}},
        {"Mail/Box", "Mail", {}, "Box", {}},
        {"Mail/Box#2", "Mail", {}, "Box", 2},
        {"Mail#3/Box", "Mail", 3, "Box", {}},
        {"a\\/b/c\\/d", "a/b", {}, "c/d", {}},
        {"Mail/C#", "Mail", {}, "C#", {}},
        {"Mail/No\\#5", "Mail", {}, "No#5", {}},
        {"Mail/back\\\\#5", "Mail", {}, "back\\", 5},
        {"Mail/C:\\dir", "Mail", {}, "C:\\dir", {}},
        {"Mail/a/b", "Mail", {}, "a/b", {}},
    };
    for (const Case& c : cases) {
        const RecordPath path = ParseRecordPath(c.typed);
        EXPECT_EQ(path.folder.name, c.folder) << c.typed;
        EXPECT_EQ(path.folder.position, c.folderPosition) << c.typed;
        EXPECT_EQ(path.record.has_value(), c.record.has_value()) << c.typed;
        if (path.record && c.record) {
            EXPECT_EQ(path.record->name, *c.record) << c.typed;
            EXPECT_EQ(path.record->position, c.recordPosition) << c.typed;
        }
    }
    for (const char* refused : {"", "/Box", "Mail/", "Mail/Box#0", "#2"}) {
        EXPECT_EQ(test::ExitCodeOf([&] { ParseRecordPath(refused); }), ExitCode::Usage) << refused;
    }
}

TEST(RecordPath, PrintedNamesAreReadBackAsTheSameName)
{
    for (const char* name : {"plain", "a/b", "back\\", "No#5", "C#", "x\\/y"}) {
        const RecordPath path = ParseRecordPath("F/" + PathName(name));
        ASSERT_TRUE(path.record) << name;
        EXPECT_EQ(path.record->name, name);
        EXPECT_FALSE(path.record->position) << name;
    }
}

class RecordLookup : public ::testing::Test
{
protected:
    RecordLookup()
    {
        account.Name = "Home";
        account.AddFolder("Mail", 0);
        account.Folder(0).AddRecord("Box", "", "ann", "", "p1", "");
        account.Folder(0).AddRecord("a/b", "", "", "", "p2", "");
        account.Folder(0).AddRecord("Box", "", "bob", "", "p3", "");
        account.AddFolder("Bank", 0);
        account.AddFolder("Bank", 0);
    }
    ExitCode Find(const std::string& typed)
    {
        return test::ExitCodeOf([&] { found = FindRecordPlace(account, ParseRecordPath(typed)); });
    }
    TAccount account;
    RecordPlace found;
};

TEST_F(RecordLookup, EachPathIsFoundMissingOrAmbiguous)
{
    struct Case
    {
        std::string typed;
        ExitCode code;
        std::size_t folder;
        std::size_t position;
    };
    const Case cases[] = {
        {"Mail/a\\/b", ExitCode::Success, 0, 1},  {"Mail/Box#1", ExitCode::Success, 0, 0},
        {"Mail/Box#3", ExitCode::Success, 0, 2},  {"Mail/Box", ExitCode::Usage, 0, 0},
        {"Mail/Box#2", ExitCode::NotFound, 0, 0}, {"Mail/Nope", ExitCode::NotFound, 0, 0},
        {"Mail/a/b", ExitCode::Success, 0, 1},    {"Post/Box", ExitCode::NotFound, 0, 0},
        {"Bank/X", ExitCode::Usage, 0, 0},        {"Bank#3/X", ExitCode::NotFound, 0, 0},
        {"Mail", ExitCode::Usage, 0, 0},
    };
    for (const Case& c : cases) {
        found = {};
        EXPECT_EQ(Find(c.typed), c.code) << c.typed;
        if (c.code == ExitCode::Success) {
            EXPECT_EQ(found.folder, c.folder) << c.typed;
            EXPECT_EQ(found.position, c.position) << c.typed;
        }
    }
}

TEST_F(RecordLookup, AnAmbiguousNameIsRefusedWithTheCandidatesAndTheirPositions)
{
    try {
        FindRecordPlace(account, ParseRecordPath("Mail/Box"));
        FAIL() << "an ambiguous name was taken";
    } catch (const CommandError& error) {
        EXPECT_THAT(error.what(), HasSubstr("Box#1 (login ann)"));
        EXPECT_THAT(error.what(), HasSubstr("Box#3 (login bob)"));
    }
    EXPECT_EQ(PathOf(account, 0, 0), "Mail/Box#1");
    EXPECT_EQ(PathOf(account, 0, 1), "Mail/a\\/b");
    EXPECT_EQ(PathOf(account, 2), "Bank#3");
}

} // namespace
} // namespace velmora::cli
