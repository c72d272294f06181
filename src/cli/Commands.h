#pragma once

#include "cli/Clipboard.h"
#include "cli/ForeignImport.h"
#include "cli/PasswordSource.h"
#include "core/account/ProgramFolders.h"
#include "core/generator/PasswordGenerator.h"
#include "core/vault/Account.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace velmora::cli {

struct CliEnvironment;

// What every command works with. Texts on the command line and in the output are UTF-8.
struct CommandContext
{
    ProgramFolders folders;
    std::ostream& out;
    PasswordSource& passwords;
    // The date and time for the heading of a text export, as code page text.
    std::function<std::string()> exportMoment;
    Clipboard* clipboard = nullptr;
    const std::string* accountPassword = nullptr; // see CliEnvironment
    const CliEnvironment* environment = nullptr;  // for a command that runs others (open)
};

// The account name as code page bytes; throws CommandError (usage) for a name no account can have.
std::string AccountName(std::string_view utf8);

// Asks for the password and gives it to the account as code page bytes; a new one is asked twice.
void TakePassword(const CommandContext& context, TAccount& account, bool newPassword);

// Asks twice for the password of a new account; refuses (usage) one that is blank or longer than
// the program's password fields take.
void TakeNewPassword(const CommandContext& context, TAccount& account);

// Removes the hint file an earlier account of the name left: it would hint at a password the
// account no longer has. Throws CommandError (read or write failure).
void RemoveEarlierHint(const std::filesystem::path& programDir, const std::string& name);

// Asks for the password of an existing account and reads its file.
void OpenWithPassword(const CommandContext& context, TAccount& account);

// Refuses (usage error) a name the program refuses for a new account. `quoted` is the name for
// messages; `renamedFrom` as FindNameTrouble takes it.
void RequireNewAccountName(const std::filesystem::path& programDir, const std::string& name, const std::string& quoted,
                           std::optional<std::string_view> renamedFrom = std::nullopt);

// Writes "    label: value", a value of several lines (notes hold CR LF) with its later lines
// under the first, control characters escaped.
void PrintField(std::ostream& out, std::string_view label, std::string_view value);

// The names of the accounts, one a line, in the order the account dialog lists them.
// With `json`, one JSON array of the names.
void ListCommand(const CommandContext& context, bool json = false);

struct ShowOptions
{
    std::string account{};
    std::optional<std::string> folder{}; // only the folders of this name
    bool showPasswords = false;
    bool json = false; // the folders as the JSON dump writes them, passwords masked unless asked for
};

// The folders and records of an account, passwords as asterisks unless asked for.
void ShowCommand(const CommandContext& context, const ShowOptions& options);

enum class ExportFormat
{
    Json,
    Text,
    KeePassXml,
    Csv
};

struct ExportOptions
{
    std::string account{};
    ExportFormat format = ExportFormat::Json;
    std::optional<std::filesystem::path> output{};       // standard output when not given
    std::optional<std::filesystem::path> languageFile{}; // Default.lng when not given
};

// The account as a JSON dump (see AccountJson.h), as the text export, shaped by the account's
// settings and labelled from the language file, or as KeePass XML or KeePassXC's CSV.
void ExportCommand(const CommandContext& context, const ExportOptions& options);

struct ImportOptions
{
    std::string account{};
    std::filesystem::path input{};
    bool replace = false;
    std::optional<ForeignFormat> from{}; // a JSON dump when not given
    bool replaceUnmappable = false;
};

// Writes the account (and its settings file) from a JSON dump, or the account alone from another
// password manager's file with a report of what was left out, under a password asked for here.
// Everything is checked before the first file is written.
void ImportCommand(const CommandContext& context, const ImportOptions& options);

struct GenerateOptions
{
    int length = 8;
    bool lowerCase = true;
    bool upperCase = true;
    bool digits = true;
    bool special = true;
    std::string specialCharacters{kDefaultSpecialCharacters}; // plain ASCII, so UTF-8 as it is
    std::optional<std::uint32_t> seed{};
};

// A password as code page bytes (the caller wipes it); throws CommandError (usage) when the
// options leave nothing to draw from.
std::string GenerateCodePagePassword(const GenerateOptions& options);

// One password. With a seed, the reproducible 32-bit generator; without, the system's
// cryptographic random source.
void GenerateCommand(const CommandContext& context, const GenerateOptions& options);

} // namespace velmora::cli
