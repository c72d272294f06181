#pragma once

#include "cli/CliApp.h"
#include "cli/Commands.h"
#include "cli/ExitCode.h"
#include "core/account/AccountDirectory.h"
#include "core/os/AtomicFile.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/Account.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace velmora::cli::test {

// Answers every password question with the same text and counts the questions.
class FixedPassword final : public PasswordSource
{
public:
    explicit FixedPassword(std::string password) : m_password(std::move(password)) {}
    void Read(std::string_view, bool confirm, std::string& password) override
    {
        ++reads;
        lastConfirm = confirm;
        password = m_password;
    }
    // The lines --password-stdin reads, in order.
    void ReadLine(std::string& secret) override
    {
        if (lines.empty()) {
            throw CommandError(ExitCode::Usage, "No password on standard input: give it as one line.");
        }
        secret = lines.front();
        lines.erase(lines.begin());
    }
    std::vector<std::string> lines;
    bool Confirm(std::string_view) override
    {
        ++questions;
        return answer;
    }
    bool answer = false;
    int questions = 0;
    int reads = 0;
    bool lastConfirm = false;

private:
    std::string m_password;
};

// The exit code a command ends with.
inline ExitCode ExitCodeOf(const std::function<void()>& command)
{
    try {
        command();
        return ExitCode::Success;
    } catch (const CommandError& error) {
        return error.Code();
    }
}

inline std::filesystem::path UsersFile(const std::filesystem::path& programDir, const std::string& fileName)
{
    return programDir / "Users" / std::filesystem::path(std::u8string(fileName.begin(), fileName.end()));
}

// Writes an account the way the desktop program does, through the core alone.
inline void SaveAccountFiles(const std::filesystem::path& programDir, TAccount& account,
                             const std::optional<AccountSettings>& settings)
{
    std::filesystem::create_directories(programDir / "Users");
    account.SaveToFile(AccountFilePath(programDir, account.Name, kAccountExtension));
    if (settings) {
        SaveSettings(AccountFilePath(programDir, account.Name, kSettingsExtension), account.Password, *settings);
    }
}

// Home, under "pw": Mail (icon 3) with one record, and Bank (icon 0) without any.
inline void SaveHome(const std::filesystem::path& programDir, const std::optional<AccountSettings>& settings)
{
    TAccount account;
    account.Name = "Home";
    account.Password = "pw";
    account.AddFolder("Mail", 3);
    account.Folder(0).AddRecord("Box", "", "ann", "ID-7", "x1", "");
    account.AddFolder("Bank", 0);
    SaveAccountFiles(programDir, account, settings);
}

// Home, under "pw", for paths: Mail (icon 3) with two records named Box and one named a/b, Bank
// with Card, and a second folder named Bank.
inline void SaveSmallAccount(const std::filesystem::path& programDir)
{
    TAccount account;
    account.Name = "Home";
    account.Password = "pw";
    account.AddFolder("Mail", 3);
    account.Folder(0).AddRecord("Box", "https://mail.example", "ann", "ID-7", "p1", "line 1\r\nline 2");
    account.Folder(0).AddRecord("a/b", "", "", "", "p2", "");
    account.Folder(0).AddRecord("Box", "", "bob", "", "p3", "");
    account.AddFolder("Bank", 0);
    account.Folder(1).AddRecord("Card", "", "carol", "", "p4", "");
    account.AddFolder("Bank", 0);
    SaveAccountFiles(programDir, account, std::nullopt);
}

struct CliRun
{
    int code;
    std::string out;
    std::string err;
};

// The tool run in this process on `arguments` (without the program's name); every password
// question is answered by `password`.
inline CliRun RunTool(const ProgramFolders& folders, std::vector<const char*> arguments, PasswordSource& password)
{
    arguments.insert(arguments.begin(), "velmora-cli");
    std::ostringstream out;
    std::ostringstream err;
    const CliEnvironment environment{folders, out, err, password, [] { return std::string("now"); }};
    const int code = RunCli(static_cast<int>(arguments.size()), arguments.data(), environment);
    return {code, out.str(), err.str()};
}

inline CliRun RunTool(const ProgramFolders& folders, std::vector<const char*> arguments)
{
    FixedPassword password("pw");
    return RunTool(folders, std::move(arguments), password);
}

} // namespace velmora::cli::test
