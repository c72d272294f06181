#pragma once

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

// What every command works with. Texts on the command line and in the output are UTF-8.
struct CommandContext
{
    ProgramFolders folders;
    std::ostream& out;
    PasswordSource& passwords;
    // The date and time for the heading of a text export, as code page text.
    std::function<std::string()> exportMoment;
};

// The names of the accounts, one a line, in the order the account dialog lists them.
void ListCommand(const CommandContext& context);

struct ShowOptions
{
    std::string account{};
    std::optional<std::string> folder{}; // only the folders of this name
    bool showPasswords = false;
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

// An account name from the command line as code page bytes. Throws CommandError (usage).
std::string AccountNameFromCommandLine(std::string_view utf8);
// Asks for the account's password and opens the account with it, as show does. Throws
// CommandError: not found, wrong password, damaged file, read failure.
void OpenWithAskedPassword(const CommandContext& context, TAccount& account);

// One password. With a seed, the reproducible 32-bit generator; without, the system's
// cryptographic random source.
void GenerateCommand(const CommandContext& context, const GenerateOptions& options);

} // namespace velmora::cli
