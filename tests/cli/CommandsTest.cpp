#include "cli/Commands.h"

#include "cli/AccountJson.h"
#include "cli/CliTestSupport.h"
#include "core/account/AccountFilesWriter.h"
#include "core/vault/AccountFile.h"
#include "support/OutputFiles.h"
#include "support/TempDir.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace velmora::cli {
namespace {

using test::ExitCodeOf;
using test::UsersFile;
using ::testing::HasSubstr;

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string Repeat(std::string_view text, int times)
{
    std::string repeated;
    for (int i = 0; i < times; ++i) {
        repeated += text;
    }
    return repeated;
}

// Every file under Users/ with its content, but the writers' empty lock files and those `left`.
std::map<std::string, std::string> UsersSnapshot(const std::filesystem::path& programDir,
                                                 const std::set<std::string>& left = {})
{
    std::map<std::string, std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(programDir / "Users", error)) {
        if (entry.path().extension() != kLockExtension && !left.contains(entry.path().filename().string())) {
            files[entry.path().filename().string()] = ReadFile(entry.path());
        }
    }
    return files;
}

class CommandsTest : public ::testing::Test
{
protected:
    CommandContext Context()
    {
        return {PortableFolders(dir.Path()), out, password, [] { return std::string("01.02.2026 10:00:00"); }};
    }
    CommandContext Context(const velmora::test::TempDir& programDir)
    {
        return {PortableFolders(programDir.Path()), out, password, [] { return std::string("01.02.2026 10:00:00"); }};
    }
    std::string Output()
    {
        std::string text = out.str();
        out.str("");
        return text;
    }

    velmora::test::TempDir dir;
    test::FixedPassword password{"pw"};
    std::ostringstream out;
};

TEST_F(CommandsTest, ListsAccountsInDescendingByteOrder)
{
    for (const char* file : {"anna.vmk", "bob.vmk", "Zed.vmk", "x.vmk.vmk", "Дом.vmk", "notes.txt", "anna.int"}) {
        WriteFile(UsersFile(dir.Path(), file), "");
    }
    ListCommand(Context());
    EXPECT_EQ(Output(), "Дом\nx.vmk\nbob\nanna\nZed\n");
    EXPECT_EQ(password.reads, 0);
}

TEST_F(CommandsTest, ListOfAMissingUsersDirectoryIsEmpty)
{
    ListCommand(Context());
    EXPECT_EQ(Output(), "");
}

TEST_F(CommandsTest, ShowsFoldersAndRecordsWithPasswordsMaskedUnlessAsked)
{
    TAccount account;
    account.Name = "Home";
    account.Password = "pw";
    account.AddFolder("Mail", 3);
    account.Folder(0).AddRecord("Box", "", "ann", "ID-7", "x1", "one\r\n\xE4\xE2\xE0"); // "два"
    account.AddFolder("Bank", 0);
    test::SaveAccountFiles(dir.Path(), account, std::nullopt);

    struct Case
    {
        ShowOptions options;
        std::string expected;
    };
    const std::string mail = "[Mail] (icon 3)\n"
                             "  Box\n"
                             "    URL:\n"
                             "    Login: ann\n"
                             "    ID number: ID-7\n";
    const std::string notes = "    Notes: one\n"
                              "           два\n";
    const Case cases[] = {
        {{.account = "Home"}, mail + "    Password: **\n" + notes + "[Bank] (icon 0)\n"},
        {{.account = "Home", .showPasswords = true}, mail + "    Password: x1\n" + notes + "[Bank] (icon 0)\n"},
        {{.account = "Home", .folder = "Bank"}, "[Bank] (icon 0)\n"},
    };
    for (const Case& c : cases) {
        ShowCommand(Context(), c.options);
        EXPECT_EQ(Output(), c.expected);
    }
    EXPECT_EQ(ExitCodeOf([&] { ShowCommand(Context(), {.account = "Home", .folder = "Shop"}); }), ExitCode::NotFound);
}

// A name that sets the terminal's colours or breaks the line is shown escaped; what is no regular
// file is no account.
TEST_F(CommandsTest, ListAndShowEscapeControlCharactersInNames)
{
    for (const char* file : {"red\x1B[31m.vmk", "two\nlines.vmk", "back\\slash.vmk", "plain.vmk"}) {
        WriteFile(UsersFile(dir.Path(), file), "");
    }
    std::filesystem::create_directories(UsersFile(dir.Path(), "folder.vmk"));
    ASSERT_EQ(mkfifo(UsersFile(dir.Path(), "fifo.vmk").c_str(), 0600), 0);
    ListCommand(Context());
    EXPECT_EQ(Output(), "two\\nlines\nred\\u001b[31m\nplain\nback\\\\slash\n");

    TAccount account;
    account.Name = "Home";
    account.Password = "pw";
    account.AddFolder("Mail\x1B]0;title\x07", 0);
    account.Folder(0).AddRecord("Box\r", "u\x1B[2J", "tab\there", "", "",
                                "C:\\notes\r\nline\x98"); // 0x98 is U+0098, a C1 control
    test::SaveAccountFiles(dir.Path(), account, std::nullopt);
    ShowCommand(Context(), {.account = "Home"});
    EXPECT_EQ(Output(), "[Mail\\u001b]0;title\\u0007] (icon 0)\n"
                        "  Box\\r\n"
                        "    URL: u\\u001b[2J\n"
                        "    Login: tab\there\n"
                        "    ID number:\n"
                        "    Password:\n"
                        "    Notes: C:\\notes\n"
                        "           line\\u0098\n");
}

TEST_F(CommandsTest, OpeningFailuresHaveTheirExitCodes)
{
    test::SaveHome(dir.Path(), std::nullopt);
    StringCipher cipher;
    AccountFileWriter badFolder;
    badFolder.Add(kAccountCheckLine);
    badFolder.AddNumber(1);
    badFolder.Add("not a folder");
    WriteFile(UsersFile(dir.Path(), "BadFolder.vmk"), badFolder.Finish(cipher, "pw"));
    AccountFileWriter badCount;
    badCount.Add(kAccountCheckLine);
    badCount.Add("many");
    WriteFile(UsersFile(dir.Path(), "BadCount.vmk"), badCount.Finish(cipher, "pw"));
    // A settings value that does not decipher: its text is no multiple of 4 characters long.
    std::string settings = SettingsFileText(AccountSettings{}, "pw");
    const std::size_t value = settings.find('=', settings.find('\n'));
    settings.replace(value + 1, settings.find('\r', value) - value - 1, "abc");
    test::SaveHome(dir.Path() / "withBadSettings", std::nullopt);
    WriteFile(UsersFile(dir.Path() / "withBadSettings", "Home.int"), settings);

    struct Case
    {
        const char* what;
        std::filesystem::path programDir;
        std::string account;
        std::string password;
        ExitCode expected;
    };
    const Case cases[] = {
        {"wrong password", dir.Path(), "Home", "PW", ExitCode::WrongPassword},
        {"no such account", dir.Path(), "Work", "pw", ExitCode::NotFound},
        {"damaged folder block", dir.Path(), "BadFolder", "pw", ExitCode::DamagedFile},
        {"damaged folder count", dir.Path(), "BadCount", "pw", ExitCode::DamagedFile},
        {"damaged settings file", dir.Path() / "withBadSettings", "Home", "pw", ExitCode::DamagedFile},
    };
    for (const Case& c : cases) {
        test::FixedPassword typed(c.password);
        const CommandContext context{PortableFolders(c.programDir), out, typed, [] { return std::string(); }};
        EXPECT_EQ(ExitCodeOf([&] { ExportCommand(context, {.account = c.account}); }), c.expected) << c.what;
        EXPECT_EQ(Output(), "") << c.what;
    }
}

// A settings file damaged part-way is told from one that nothing can be read of: the first names
// the setting where it stops. Both stop the command before any output.
TEST_F(CommandsTest, SettingsFileDamagedPartWayNamesWhereItStops)
{
    test::SaveHome(dir.Path(), AccountSettings{});
    const std::filesystem::path file = UsersFile(dir.Path(), "Home.int");
    const std::string whole = ReadFile(file);
    std::size_t cut = 0;
    for (int line = 0; line < 1 + 16; ++line) { // the section and the first 16 keys
        cut = whole.find('\n', cut) + 1;
    }
    struct Case
    {
        const char* what;
        std::string content;
        std::string message;
    };
    const Case cases[] = {
        {"cut after the 16th key", whole.substr(0, cut), "is damaged from the setting \"SaveMod\" on"},
        {"under another password", SettingsFileText(AccountSettings{}, "other"),
         "cannot be read under the account's password"},
    };
    for (const Case& c : cases) {
        WriteFile(file, c.content);
        try {
            ExportCommand(Context(), {.account = "Home"});
            ADD_FAILURE() << c.what;
        } catch (const CommandError& error) {
            EXPECT_EQ(error.Code(), ExitCode::DamagedFile) << c.what;
            EXPECT_THAT(error.what(), HasSubstr(c.message)) << c.what;
        }
        EXPECT_EQ(Output(), "") << c.what;
    }
}

// Something else than a file where a file of an account belongs is no missing account and no
// missing settings: the command fails, before any output.
TEST_F(CommandsTest, WhatCannotBeReadIsAReadFailure)
{
    test::SaveHome(dir.Path(), std::nullopt);
    velmora::test::TempDir usersIsAFile;
    WriteFile(usersIsAFile / "Users", "");
    velmora::test::TempDir accountIsADirectory;
    std::filesystem::create_directories(UsersFile(accountIsADirectory.Path(), "Home.vmk"));
    std::filesystem::create_directories(UsersFile(dir.Path(), "Home.int"));

    struct Case
    {
        const char* what;
        std::function<void()> command;
    };
    const Case cases[] = {
        {"list of a Users that is no directory", [&] { ListCommand(Context(usersIsAFile)); }},
        {"show of an account file that is a directory",
         [&] { ShowCommand(Context(accountIsADirectory), {.account = "Home"}); }},
        {"export with a settings file that is a directory", [&] { ExportCommand(Context(), {.account = "Home"}); }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExitCodeOf(c.command), ExitCode::ReadWriteFailure) << c.what;
        EXPECT_EQ(Output(), "") << c.what;
    }
    EXPECT_EQ(password.reads, 1) << "only the export asks, for the account file is read first";
}

// Like the program, the tool reads what a cut or damaged file still holds, but tells so.
TEST_F(CommandsTest, ADamagedAccountFileIsReadAsTheProgramReadsItAndReported)
{
    TAccount account;
    account.Name = "Home";
    account.Password = "pw";
    account.AddFolder("Mail", 0);
    for (int i = 0; i < 200; ++i) {
        account.Folder(0).AddRecord("record " + std::to_string(i), "", "", "", "secret", "");
    }
    test::SaveAccountFiles(dir.Path(), account, std::nullopt);
    const std::filesystem::path file = UsersFile(dir.Path(), "Home.vmk");
    const std::string whole = ReadFile(file);
    WriteFile(file, whole.substr(0, whole.size() * 95 / 100));

    TAccount asTheProgramReadsIt;
    asTheProgramReadsIt.Password = "pw";
    ASSERT_EQ(asTheProgramReadsIt.LoadFromFile(file), ReadResult::Ok);

    EXPECT_EQ(ExitCodeOf([&] { ExportCommand(Context(), {.account = "Home"}); }), ExitCode::DamagedFile);
    EXPECT_EQ(Output(), AccountToJson(asTheProgramReadsIt, std::nullopt).dump(2) + "\n");
    EXPECT_EQ(ExitCodeOf([&] { ShowCommand(Context(), {.account = "Home"}); }), ExitCode::DamagedFile);
    EXPECT_THAT(Output(), HasSubstr("  record 0\n"));
}

TEST_F(CommandsTest, AccountsAreFoundInUsersOnlyAndBeforeThePasswordIsAsked)
{
    test::SaveHome(dir.Path() / "Users", std::nullopt); // Users/Users/Home.vmk
    EXPECT_EQ(ExitCodeOf([&] { ShowCommand(Context(), {.account = "Nobody"}); }), ExitCode::NotFound);
    EXPECT_EQ(ExitCodeOf([&] { ShowCommand(Context(), {.account = "Users/Home"}); }), ExitCode::Usage);
    EXPECT_EQ(password.reads, 0);
}

TEST_F(CommandsTest, JsonExportImportExportGivesTheSameJsonAndTheSameFiles)
{
    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte) {
        everyByte += static_cast<char>(byte);
    }
    AccountSettings settings;
    settings.cbHat = false;
    settings.rbFull = false;
    settings.FontName = "\xC0\xF0\xE8\xE0\xEB";
    settings.R_Column2 = -1;
    struct Case
    {
        const char* what;
        std::optional<AccountSettings> settings;
    };
    for (const Case& c : {Case{"with settings", settings}, Case{"without settings", std::nullopt}}) {
        velmora::test::TempDir source;
        TAccount account;
        account.Name = "\xC4\xEE\xEC \xE8 \xF0\xE0\xE1\xEE\xF2\xE0"; // "Дом и работа"
        account.Password = "pw";
        account.AddFolder("\xCF\xEE\xF7\xF2\xE0", 3);
        account.Folder(0).AddRecord("Box", "http://mail", "ann", "ID-7", "x1", everyByte);
        account.Folder(0).AddRecord("", "", "", "", "", "");
        account.AddFolder("Empty", 0);
        test::SaveAccountFiles(source.Path(), account, c.settings);
        const std::filesystem::path jsonFile = dir / "dump.json";

        ExportCommand(Context(source), {.account = "Дом и работа", .output = jsonFile});
        velmora::test::TempDir target;
        ImportCommand(Context(target), {.account = "Дом и работа", .input = jsonFile});
        ExportCommand(Context(target), {.account = "Дом и работа"});

        EXPECT_EQ(Output(), ReadFile(jsonFile)) << c.what;
        EXPECT_EQ(UsersSnapshot(target.Path()), UsersSnapshot(source.Path())) << c.what;
    }
}

TEST_F(CommandsTest, TextExportFollowsTheSettingsAndTheLanguageFile)
{
    const std::filesystem::path russian = std::filesystem::path(VELMORA_RUNTIME_DIR) / "Languages" / "Russian.lng";
    std::filesystem::copy_file(std::filesystem::path(VELMORA_RUNTIME_DIR) / "Default.lng", dir / "Default.lng");
    test::SaveHome(dir.Path(), std::nullopt);
    ExportCommand(Context(), {.account = "Home", .format = ExportFormat::Text, .languageFile = russian});
    EXPECT_EQ(Output(), "Аккаунт: Home      Дата: 01.02.2026 10:00:00\r\n"
                        "\r\n"
                        "[Mail]\r\n"
                        "Название: Box\r\n"
                        "Логин: ann\r\n"
                        "Пароль: x1\r\n"
                        "\r\n"
                        "[Bank]\r\n");

    AccountSettings noHeadingAllFields;
    noHeadingAllFields.cbHat = false;
    noHeadingAllFields.cbSkipEmpty = false;
    test::SaveHome(dir.Path(), noHeadingAllFields);
    ExportCommand(Context(), {.account = "Home", .format = ExportFormat::Text});
    EXPECT_EQ(Output(), "\r\n"
                        "[Mail]\r\n"
                        "Name: Box\r\n"
                        "URL: \r\n"
                        "Login: ann\r\n"
                        "Password: x1\r\n"
                        "Notes: \r\n"
                        "\r\n"
                        "[Bank]\r\n");

    EXPECT_EQ(ExitCodeOf([&] {
                  ExportCommand(Context(),
                                {.account = "Home", .format = ExportFormat::Text, .languageFile = dir / "no.lng"});
              }),
              ExitCode::ReadWriteFailure);
}

TEST_F(CommandsTest, RefusedImportsWriteNothing)
{
    test::SaveHome(dir.Path(), AccountSettings{});
    const std::filesystem::path good = dir / "good.json";
    WriteFile(good, R"({"format": "velmora-account", "version": 1, "folders": [], "settings": null})");
    const std::filesystem::path bad = dir / "bad.json";
    WriteFile(bad, R"({"format": "velmora-account", "version": 1, "folders": [{}], "settings": null})");
    const auto before = UsersSnapshot(dir.Path());

    struct Case
    {
        std::string account;
        std::filesystem::path input;
        std::string password;
        ExitCode expected;
    };
    const Case cases[] = {
        {"Home", good, "pw", ExitCode::Usage}, // exists, and no --replace
        {"a:b", good, "pw", ExitCode::Usage},
        {"a/b", good, "pw", ExitCode::Usage},
        {"a|b", good, "pw", ExitCode::Usage},
        {"   ", good, "pw", ExitCode::Usage},
        {std::string(247, 'n'), good, "pw", ExitCode::Usage}, // "N.hint.tmp" would be 256 bytes
        {Repeat("ж", 124), good, "pw", ExitCode::Usage},      // 248 bytes, and "Users/N.hint.tmp" passes 255
        {"line\nbreak", good, "pw", ExitCode::Usage},
        {"tab\there", good, "pw", ExitCode::Usage},
        {"CON", good, "pw", ExitCode::Usage},
        {"nul.txt", good, "pw", ExitCode::Usage},
        {"Lpt9", good, "pw", ExitCode::Usage},
        {"home", good, "pw", ExitCode::Usage}, // "Home" in other letter case
        {"New", good, "   ", ExitCode::Usage},
        {"New", good, "中", ExitCode::Usage},
        {"New", good, std::string(kMaxAccountPasswordLength + 1, 'p'), ExitCode::Usage},
        {"New", bad, "pw", ExitCode::DamagedFile},
        {"New", dir / "missing.json", "pw", ExitCode::ReadWriteFailure},
    };
    for (const Case& c : cases) {
        test::FixedPassword typed(c.password);
        const CommandContext context{PortableFolders(dir.Path()), out, typed, [] { return std::string(); }};
        EXPECT_EQ(ExitCodeOf([&] { ImportCommand(context, {.account = c.account, .input = c.input}); }), c.expected)
            << c.account;
        EXPECT_EQ(UsersSnapshot(dir.Path()), before) << c.account;
    }
}

TEST_F(CommandsTest, ImportAcceptsNamesTheDesktopProgramAccepts)
{
    const std::filesystem::path empty = dir / "empty.json";
    WriteFile(empty, R"({"format": "velmora-account", "version": 1, "folders": [], "settings": null})");
    for (const std::string& name :
         {std::string("my bank"), std::string("a*b"), Repeat("ж", 123), std::string("console.nul"), std::string("dot."),
          std::string("blank "), std::string(". .")}) {
        ImportCommand(Context(), {.account = name, .input = empty});
        ShowCommand(Context(), {.account = name});
    }
    EXPECT_EQ(UsersSnapshot(dir.Path()).size(), 7u);

    test::FixedPassword longest(std::string(kMaxAccountPasswordLength, 'p'));
    const CommandContext context{PortableFolders(dir.Path()), out, longest, [] { return std::string(); }};
    ImportCommand(context, {.account = "Longest password", .input = empty});
    ShowCommand(context, {.account = "Longest password"});
}

// A refused name is refused for what it holds, in so many words.
TEST_F(CommandsTest, ARefusedNameSaysWhy)
{
    const std::filesystem::path empty = dir / "empty.json";
    WriteFile(empty, R"({"format": "velmora-account", "version": 1, "folders": [], "settings": null})");
    const struct
    {
        std::string name;
        std::string reason;
    } cases[] = {
        {"a:b", "must not contain the characters"}, {"line\nbreak", "control character"},
        {"esc\x1B[31m", "control character"},       {"CON", "name of a device"},
        {"com1.tar.gz", "name of a device"},
    };
    for (const auto& c : cases) {
        try {
            ImportCommand(Context(), {.account = c.name, .input = empty});
            ADD_FAILURE() << c.name << " was taken";
        } catch (const CommandError& error) {
            EXPECT_EQ(error.Code(), ExitCode::Usage);
            EXPECT_THAT(error.what(), HasSubstr(c.reason)) << c.name;
        }
    }
    EXPECT_EQ(password.reads, 0);
}

TEST_F(CommandsTest, ReplaceWritesOverTheAccountAndDropsTheOldHint)
{
    test::SaveHome(dir.Path(), AccountSettings{});
    WriteFile(UsersFile(dir.Path(), "Home.hint"), "my hint\r\n");
    const std::filesystem::path dump = dir / "dump.json";
    WriteFile(dump, R"({"format": "velmora-account", "version": 1, "settings": null,
                        "folders": [{"name": "Only", "icon": 1, "records": []}]})");

    test::FixedPassword newPassword("new");
    const CommandContext context{PortableFolders(dir.Path()), out, newPassword, [] { return std::string(); }};
    ImportCommand(context, {.account = "Home", .input = dump, .replace = true});
    EXPECT_TRUE(newPassword.lastConfirm); // a password being set is asked twice at a terminal

    ShowCommand(context, {.account = "Home"});
    EXPECT_EQ(Output(), "[Only] (icon 1)\n");
    EXPECT_FALSE(std::filesystem::exists(UsersFile(dir.Path(), "Home.int")));
    EXPECT_FALSE(std::filesystem::exists(UsersFile(dir.Path(), "Home.hint"))) << "a hint at the old password";
}

TEST_F(CommandsTest, AnImportWhoseAccountFileCannotBeWrittenLeavesBothFilesAsTheyWere)
{
    AccountSettings old;
    old.cbHat = false;
    test::SaveHome(dir.Path(), old);
    WriteFile(UsersFile(dir.Path(), "Home.hint"), "still the hint\r\n"); // the account keeps its password
    const auto before = UsersSnapshot(dir.Path());
    const std::filesystem::path dump = dir / "dump.json";
    WriteFile(dump, R"({"format": "velmora-account", "version": 1, "folders": [], "settings": null})");
    const std::filesystem::path withSettings = dir / "settings.json";
    ExportCommand(Context(), {.account = "Home", .output = withSettings});

    struct Case
    {
        std::filesystem::path input;
        int accountFileCreate; // the settings file is written first, or only removed
    };
    for (const Case& c : {Case{withSettings, 2}, Case{dump, 1}}) {
        int creates = 0;
        SetWriteFaultHook(
            [&](WriteStep step) { return step == WriteStep::Create && ++creates == c.accountFileCreate; });
        EXPECT_EQ(ExitCodeOf([&] { ImportCommand(Context(), {.account = "Home", .input = c.input, .replace = true}); }),
                  ExitCode::ReadWriteFailure);
        SetWriteFaultHook(nullptr);
        EXPECT_EQ(UsersSnapshot(dir.Path()), before) << c.input;
    }
}

// A link from a file of the account to a FIFO or a device elsewhere: the import refuses before it
// asks for the password, and the link and what it points to stay.
TEST_F(CommandsTest, AnImportNeverReplacesAFifoOrDeviceBehindAFileOfTheAccount)
{
    const std::filesystem::path dump = dir / "dump.json";
    WriteFile(dump, R"({"format": "velmora-account", "version": 1, "folders": [], "settings": {}})");
    velmora::test::TempDir elsewhere;
    const std::filesystem::path fifo = elsewhere / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::filesystem::path null = velmora::test::CharacterDevice(elsewhere, "null", 3);
    for (const char* file : {"Home.vmk", "Home.int"}) {
        for (const std::filesystem::path& target : {fifo, null}) {
            SCOPED_TRACE(std::string(file) + " -> " + target.string());
            test::SaveHome(dir.Path(), AccountSettings{});
            std::filesystem::remove(UsersFile(dir.Path(), file));
            std::filesystem::create_symlink(target, UsersFile(dir.Path(), file));
            const auto type = std::filesystem::status(target).type();
            const auto before = UsersSnapshot(dir.Path(), {file});

            EXPECT_EQ(
                ExitCodeOf([&] { ImportCommand(Context(), {.account = "Home", .input = dump, .replace = true}); }),
                ExitCode::ReadWriteFailure);
            EXPECT_EQ(password.reads, 0);
            EXPECT_TRUE(std::filesystem::is_symlink(UsersFile(dir.Path(), file)));
            EXPECT_EQ(std::filesystem::status(target).type(), type);
            EXPECT_EQ(UsersSnapshot(dir.Path(), {file}), before);
            std::filesystem::remove(UsersFile(dir.Path(), file));
        }
    }
    // A directory is no account that exists, with --replace or without.
    std::filesystem::remove(UsersFile(dir.Path(), "Home.vmk"));
    std::filesystem::create_directory(UsersFile(dir.Path(), "Home.vmk"));
    for (const bool replace : {false, true}) {
        EXPECT_EQ(ExitCodeOf([&] { ImportCommand(Context(), {.account = "Home", .input = dump, .replace = replace}); }),
                  ExitCode::ReadWriteFailure);
    }
    EXPECT_TRUE(std::filesystem::is_directory(UsersFile(dir.Path(), "Home.vmk")));
}

TEST_F(CommandsTest, SeededPasswordsFollowTheGeneratorDefinition)
{
    struct Case
    {
        GenerateOptions options;
        std::string expected;
    };
    // Seed 5, small letters and digits: S = 673879066 gives the letter 4 ("e"), S = 771902595 the
    // digit 1, S = 2442594960 picks the second candidate of the pool "e1": "1".
    const Case cases[] = {
        {{.length = 1, .upperCase = false, .special = false, .seed = 5}, "1\n"},
        {{.length = 3, .upperCase = false, .special = false, .seed = 5}, "122\n"},
        // Only one candidate each time: the pool's pick draws below 1 and changes nothing.
        {{.length = 2, .lowerCase = false, .upperCase = false, .digits = false, .specialCharacters = "№", .seed = 9},
         "№№\n"},
        {{.length = 0, .seed = 1}, "\n"},
        // A special set of any length, as in the program's generator.
        {{.length = 5,
          .lowerCase = false,
          .upperCase = false,
          .digits = false,
          .specialCharacters = std::string(300, '#'),
          .seed = 3},
         "#####\n"},
    };
    for (const Case& c : cases) {
        GenerateCommand(Context(), c.options);
        EXPECT_EQ(Output(), c.expected);
    }
}

TEST_F(CommandsTest, UnseededPasswordsDifferAndImpossibleOnesAreRefused)
{
    GenerateCommand(Context(), {.length = 24});
    const std::string first = Output();
    GenerateCommand(Context(), {.length = 24});
    EXPECT_EQ(first.size(), 25u);
    EXPECT_NE(Output(), first);

    const GenerateOptions refused[] = {
        {.lowerCase = false, .upperCase = false, .digits = false, .special = false},
        {.lowerCase = false, .upperCase = false, .digits = false, .specialCharacters = ""},
        {.specialCharacters = "中"},
    };
    for (const GenerateOptions& options : refused) {
        EXPECT_EQ(ExitCodeOf([&] { GenerateCommand(Context(), options); }), ExitCode::Usage);
    }
    EXPECT_EQ(Output(), "");
}

} // namespace
} // namespace velmora::cli
