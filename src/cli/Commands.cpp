#include "cli/Commands.h"

#include "cli/AccountJson.h"
#include "cli/AccountStore.h"
#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "core/account/AccountDirectory.h"
#include "core/export/ExportFile.h"
#include "core/export/TextExport.h"
#include "core/generator/PasswordGenerator.h"
#include "core/migrate/KeePassCsv.h"
#include "core/migrate/KeePassXmlWriter.h"
#include "core/os/AtomicFile.h"
#include "core/os/FileExists.h"
#include "core/settings/IniLang.h"
#include "core/settings/LanguageChoice.h"
#include "core/vault/CodePage.h"
#include "core/vault/ListRows.h"
#include "core/vault/Secret.h"

#include <string_view>

namespace velmora::cli {
namespace {

std::string AccountName(std::string_view utf8)
{
    // Every account lies directly in Users/: a slash would reach files elsewhere.
    if (utf8.find('/') != std::string_view::npos) {
        throw CommandError(ExitCode::Usage, "An account name cannot contain \"/\".");
    }
    std::optional<std::string> name = ToCodePage(utf8);
    if (!name) {
        throw CommandError(ExitCode::Usage, "The account name \"" + PrintableText(utf8) +
                                                "\" holds a character that account names cannot hold.");
    }
    return std::move(*name);
}

// Asks for the password and gives it to the account as code page bytes.
void TakePassword(const CommandContext& context, TAccount& account, bool newPassword)
{
    std::string typed;
    WipeOnExit wipeTyped(typed);
    const std::string prompt =
        (newPassword ? "New password for account " : "Password for account ") + QuotedName(account) + ": ";
    context.passwords.Read(prompt, newPassword, typed);
    CodePageText converted = Utf8ToCodePage(typed);
    WipeOnExit wipeConverted(converted.bytes);
    if (converted.unmappable) {
        throw CommandError(ExitCode::Usage, "The password holds a character that the code page cannot hold.");
    }
    account.Password.assign(converted.bytes);
}

void OpenWithPassword(const CommandContext& context, TAccount& account)
{
    RequireAccountFile(context.folders.userFiles, account);
    TakePassword(context, account, false);
    OpenAccount(context.folders.userFiles, account);
}

// A value's line as the terminal may show it: its tabs and backslashes as they are, other control
// characters escaped.
std::string PrintableValue(std::string_view line)
{
    return PrintableText(line, "\t\\");
}

// Writes a value that may span lines (notes hold CR LF) with its later lines under the first.
void PrintField(std::ostream& out, std::string_view label, std::string_view value)
{
    out << "    " << label << ':';
    if (!value.empty()) {
        const std::string indent(label.size() + 6, ' ');
        std::string text = CodePageToUtf8(value);
        std::string_view rest = text;
        out << ' ';
        for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos; rest.remove_prefix(end + 1)) {
            std::string_view line = rest.substr(0, end);
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            out << PrintableValue(line) << '\n' << indent;
        }
        out << PrintableValue(rest);
    }
    out << '\n';
}

void PrintFolder(std::ostream& out, const TFolderType& folder, bool showPasswords)
{
    out << '[' << PrintableText(CodePageToUtf8(folder.Name)) << "] (icon " << folder.ImageIndex << ")\n";
    for (std::size_t position = 0; position < folder.Count(); ++position) {
        const TRecType& record = folder.RecordAt(position);
        out << "  " << PrintableText(CodePageToUtf8(record.Name())) << '\n';
        PrintField(out, "URL", record.URL());
        PrintField(out, "Login", record.Login());
        PrintField(out, "ID number", record.IDNumber());
        PrintField(out, "Password", MaskText(record.Password(), !showPasswords));
        PrintField(out, "Notes", record.Notes());
    }
}

TextExportTexts LoadExportTexts(const CommandContext& context, const std::optional<std::filesystem::path>& file)
{
    const std::filesystem::path path = file ? *file : context.folders.programFiles / kDefaultLanguageFileName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        throw CommandError(ExitCode::ReadWriteFailure,
                           "There is no language file " + PathText(path) + "; name one with --language.");
    }
    IniLang language;
    try {
        language.SetDocument(OpenLanguageFile(context.folders.programFiles, path));
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    }
    return ExportTexts(language);
}

// Whether the output file names this process's own standard output. Opened by that name, a
// redirected output would be replaced (what `>>` had put there lost) and a pipe not found.
bool NamesStandardOutput(const std::filesystem::path& file)
{
    return file == "-" || file == "/dev/stdout" || file == "/dev/fd/1";
}

// Writes the export as `produce` makes it, to the file or else to standard output, which is
// written as it is: appended to where it stands, never replaced or truncated.
void WriteOutput(const CommandContext& context, const std::optional<std::filesystem::path>& file,
                 const OutputProducer& produce)
{
    if (!file || NamesStandardOutput(*file)) {
        produce([&context](std::string_view piece) {
            context.out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
        return;
    }
    try {
        WriteExportFile(*file, produce, UsersDirectory(context.folders.userFiles));
    } catch (const ExportRefused& refused) {
        throw CommandError(ExitCode::Usage, refused.what());
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    }
}

// Refuses (usage error) a name the program refuses for a new account. `quoted` is the name for
// messages.
void RequireNewAccountName(const std::filesystem::path& programDir, const std::string& name, const std::string& quoted)
{
    if (name.find_first_not_of(' ') == std::string::npos) {
        throw CommandError(ExitCode::Usage, "Give the account a name that is not empty.");
    }
    if (!CheckAccountName(name, kRefusedNameCharacters)) {
        throw CommandError(ExitCode::Usage, "The account name " + quoted + " must not contain the characters " +
                                                std::string(kRefusedNameCharacters));
    }
    switch (FindNameTrouble(programDir, name)) {
    case NameTrouble::ControlCharacter:
        throw CommandError(ExitCode::Usage, "The account name " + quoted +
                                                " holds a control character such as a line break or a tab, which a "
                                                "file name on Windows cannot hold.");
    case NameTrouble::DeviceName:
        throw CommandError(ExitCode::Usage, "The account name " + quoted +
                                                " is the name of a device such as CON, PRN, AUX, NUL, COM1 or LPT1 "
                                                "(also before a dot), which on Windows opens the device, not a file.");
    case NameTrouble::OtherCase:
        throw CommandError(ExitCode::Usage, "Another account has the name " + quoted +
                                                " in other letter case; a disk that ignores letter case could not "
                                                "hold both.");
    case NameTrouble::None:
        break;
    }
    if (!AccountNameFits(name)) {
        throw CommandError(ExitCode::Usage, "The account name " + quoted + " is too long for a file name.");
    }
}

// A hint file left from an earlier account of the name would hint at a password it no longer has.
void RemoveEarlierHint(const std::filesystem::path& programDir, const std::string& name)
{
    const std::filesystem::path hint = AccountFilePath(programDir, name, kHintExtension);
    std::error_code error;
    std::filesystem::remove(hint, error);
    if (error) {
        throw CommandError(ExitCode::ReadWriteFailure, "The account was written, but the earlier password hint " +
                                                           PathText(hint) +
                                                           " could not be removed: " + error.message() + ".");
    }
}

// The caption of the ID number column in the language the program shows, as UTF-8; empty when
// there is none to read.
std::string IdNumberCaption(const ProgramFolders& folders)
{
    IniLang language;
    try {
        language.SetDocument(OpenChosenLanguageFile(folders.programFiles, ReadLanguageChoice(folders.userFiles, {})));
    } catch (const FileError&) {
        return {};
    }
    return CodePageToUtf8(language.GetMessageText("const_cap3"));
}

} // namespace

void ListCommand(const CommandContext& context)
{
    std::error_code error;
    const std::vector<std::string> names = ListAccounts(context.folders.userFiles, error);
    if (error) {
        throw CommandError(ExitCode::ReadWriteFailure, "Cannot read the directory " +
                                                           PathText(UsersDirectory(context.folders.userFiles)) + ": " +
                                                           error.message() + ".");
    }
    for (const std::string& name : names) {
        context.out << PrintableText(CodePageToUtf8(name)) << '\n';
    }
}

void ShowCommand(const CommandContext& context, const ShowOptions& options)
{
    ScopedAccount account(AccountName(options.account));
    OpenWithPassword(context, *account);
    const std::optional<std::string> folderName =
        options.folder ? ToCodePage(*options.folder) : std::optional<std::string>();
    bool shown = false;
    for (std::size_t i = 0; i < account->FolderCount(); ++i) {
        const TFolderType& folder = account->Folder(i);
        if (options.folder && folder.Name != folderName) {
            continue;
        }
        PrintFolder(context.out, folder, options.showPasswords);
        shown = true;
    }
    if (options.folder && !shown) {
        throw CommandError(ExitCode::NotFound, "Account " + QuotedName(*account) + " has no folder \"" +
                                                   PrintableText(*options.folder) + "\".");
    }
    RequireUndamaged(context.folders.userFiles, *account);
}

void ExportCommand(const CommandContext& context, const ExportOptions& options)
{
    ScopedAccount account(AccountName(options.account));
    RequireAccountFile(context.folders.userFiles, *account);
    const std::optional<TextExportTexts> texts = options.format == ExportFormat::Text
                                                     ? std::optional(LoadExportTexts(context, options.languageFile))
                                                     : std::nullopt;
    OpenWithPassword(context, *account);
    // Other password managers take no settings: a settings file that cannot be read does not stop
    // an export to them.
    const bool foreign = options.format == ExportFormat::KeePassXml || options.format == ExportFormat::Csv;
    const std::optional<AccountSettings> settings =
        foreign ? std::nullopt : ReadAccountSettings(context.folders.userFiles, *account);

    if (options.format == ExportFormat::KeePassXml) {
        try {
            WriteOutput(context, options.output, [&](const PieceWriter& write) { WriteKeePassXml(*account, write); });
        } catch (const XmlUnfitError& unfit) {
            throw CommandError(ExitCode::Usage, unfit.what());
        }
    } else if (options.format == ExportFormat::Csv) {
        WriteOutput(context, options.output, [&](const PieceWriter& write) { WriteKeePassCsv(*account, write); });
    } else if (texts) {
        const AccountSettings shape = settings.value_or(AccountSettings{});
        const TextExportOptions exportOptions{
            .Heading = shape.cbHat, .FieldLabels = shape.cbExpHeaders, .SkipEmpty = shape.cbSkipEmpty};
        const std::string moment = context.exportMoment();
        WriteOutput(context, options.output, [&](const PieceWriter& write) {
            ExportBuffer out(write);
            WriteTextExport(*account, exportOptions, *texts, moment, Utf8Bytes(), out);
            out.Flush();
        });
    } else {
        WriteOutput(context, options.output,
                    [&](const PieceWriter& write) { WriteAccountJson(*account, settings, write); });
    }
    RequireUndamaged(context.folders.userFiles, *account);
}

void ImportCommand(const CommandContext& context, const ImportOptions& options)
{
    ScopedAccount account(AccountName(options.account));
    const std::string quoted = QuotedName(*account);
    RequireNewAccountName(context.folders.userFiles, account->Name, quoted);
    // Before the password is asked: a directory, device or FIFO where a file of the account
    // belongs is no account to write over, and is never replaced.
    for (const std::string_view extension : {kAccountExtension, kSettingsExtension}) {
        try {
            RequireReplaceableFile(AccountFilePath(context.folders.userFiles, account->Name, extension));
        } catch (const FileError& failure) {
            throw CommandError(ExitCode::ReadWriteFailure, failure.what());
        }
    }
    if (!options.replace && FileExists(AccountFilePath(context.folders.userFiles, account->Name, kAccountExtension))) {
        throw CommandError(ExitCode::Usage,
                           "The account " + quoted + " already exists; give --replace to write over it.");
    }

    std::string text;
    WipeOnExit wipeText(text);
    try {
        text = ReadWholeFile(options.input);
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    }
    std::optional<AccountSettings> settings;
    std::string report;
    if (options.from) {
        const ForeignImportOptions foreign{.format = *options.from,
                                           .input = options.input,
                                           .idNumberCaption = IdNumberCaption(context.folders),
                                           .replaceUnmappable = options.replaceUnmappable};
        report = ImportForeignFile(text, foreign, *account);
    } else {
        settings = AccountFromJson(ParseAccountJson(text), *account);
    }

    TakePassword(context, *account, true);
    if (account->Password.find_first_not_of(' ') == std::string::npos) {
        throw CommandError(ExitCode::Usage, "The password must not be empty or only blanks.");
    }
    // The program could never open the account: its password fields take no more.
    if (account->Password.size() > kMaxAccountPasswordLength) {
        throw CommandError(ExitCode::Usage,
                           "The password is longer than " + std::to_string(kMaxAccountPasswordLength) + " characters.");
    }
    WriteAccountFiles(context.folders.userFiles, *account, settings);
    RemoveEarlierHint(context.folders.userFiles, account->Name);
    context.out << report;
}

void GenerateCommand(const CommandContext& context, const GenerateOptions& options)
{
    PasswordOptions password{.LowerCase = options.lowerCase,
                             .UpperCase = options.upperCase,
                             .Digits = options.digits,
                             .Special = options.special,
                             .Length = options.length};
    std::optional<std::string> set = ToCodePage(options.specialCharacters);
    if (!set) {
        throw CommandError(ExitCode::Usage, "The special set holds a character that the code page cannot hold.");
    }
    password.SpecialCharacters = std::move(*set); // of any length, as in the program's generator

    SystemRandom systemRandom;
    SeededRandom seededRandom(options.seed.value_or(0));
    RandomSource& random = options.seed ? static_cast<RandomSource&>(seededRandom) : systemRandom;
    std::optional<std::string> generated = GeneratePassword(password, random);
    if (!generated) {
        throw CommandError(ExitCode::Usage, "There is nothing to draw from: every character class is off, or the "
                                            "special set is empty.");
    }
    WipeOnExit wipeGenerated(*generated);
    context.out << CodePageToUtf8(*generated) << '\n';
}

std::string AccountNameFromCommandLine(std::string_view utf8)
{
    return AccountName(utf8);
}

void OpenWithAskedPassword(const CommandContext& context, TAccount& account)
{
    OpenWithPassword(context, account);
}

} // namespace velmora::cli
