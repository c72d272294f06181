#include "cli/WritingCommands.h"

#include "cli/AccountJson.h"
#include "cli/AccountStore.h"
#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "cli/RecordPassword.h"
#include "cli/RecordPath.h"
#include "core/account/AccountDirectory.h"
#include "core/account/AccountFiles.h"
#include "core/migrate/LineBreaks.h"
#include "core/os/AtomicFile.h"
#include "core/os/FileExists.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <memory>
#include <ostream>

namespace velmora::cli {
namespace {

// A text from the command line as code page bytes; `what` names it in the refusal.
std::string Bytes(std::string_view utf8, std::string_view what)
{
    std::optional<std::string> bytes = ToCodePage(utf8);
    if (!bytes) {
        throw CommandError(ExitCode::Usage,
                           "The " + std::string(what) + " holds a character that the code page cannot hold.");
    }
    return std::move(*bytes);
}

// A folder or record name, which the program refuses blank.
std::string NameBytes(std::string_view utf8, std::string_view what)
{
    if (utf8.find_first_not_of(' ') == std::string_view::npos) {
        throw CommandError(ExitCode::Usage, "Give the " + std::string(what) + " a name that is not blank.");
    }
    return Bytes(utf8, std::string(what) + " name");
}

std::string ReadTextFile(const std::filesystem::path& file)
{
    try {
        return ReadWholeFile(file);
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    }
}

// Notes from a file, with the CR LF line breaks notes hold.
std::string NotesFromFile(const std::filesystem::path& file)
{
    return Bytes(WithCrLf(ReadTextFile(file)), "notes file");
}

CommandError LimitReached(const VaultLimitError& limit)
{
    return CommandError(ExitCode::Usage, limit.Which() == VaultLimitError::Limit::Folders
                                             ? "The account holds as many folders as it can."
                                             : "The folder holds as many records as it can.");
}

// An existing account changed by one command: its password is asked first, then (when the
// command has asked everything else) it is read under its lock and written back.
class AccountChange
{
public:
    AccountChange(const CommandContext& context, const std::string& name)
        : m_programDir(context.folders.userFiles), m_account(AccountName(name))
    {
        RequireAccountFile(m_programDir, *m_account);
        TakePassword(context, *m_account, false);
    }
    TAccount& Open()
    {
        m_locked = std::make_unique<LockedAccount>(m_programDir, *m_account);
        return *m_account;
    }
    LockedAccount& Locked() { return *m_locked; }
    TAccount& Account() { return *m_account; }
    void Save() { m_locked->Save(); }

private:
    std::filesystem::path m_programDir;
    ScopedAccount m_account;
    std::unique_ptr<LockedAccount> m_locked;
};

// The values add and edit take; a value not given stays as it is.
struct RecordArguments
{
    std::string account{};
    std::string path{};
    std::optional<std::string> name{};
    std::optional<std::string> url{};
    std::optional<std::string> login{};
    std::optional<std::string> id{};
    std::optional<std::filesystem::path> notesFile{};
    RecordPasswordArguments password{};
};

void AddRecordOptions(CLI::App& command, RecordArguments& arguments)
{
    command.add_option("--url", arguments.url, "The record's URL");
    command.add_option("--login", arguments.login, "The record's login");
    command.add_option("--id", arguments.id, "The record's ID number");
    command.add_option("--notes-file", arguments.notesFile, "Take the record's notes from this file");
}

// The record's values: those given, else `current` (code page bytes).
struct RecordValues
{
    std::string name, url, login, id, password, notes;
    ~RecordValues() { Wipe(password); }
};

void TakeGiven(const RecordArguments& arguments, RecordValues& values)
{
    if (arguments.url) {
        values.url = Bytes(*arguments.url, "URL");
    }
    if (arguments.login) {
        values.login = Bytes(*arguments.login, "login");
    }
    if (arguments.id) {
        values.id = Bytes(*arguments.id, "ID number");
    }
    if (arguments.notesFile) {
        values.notes = NotesFromFile(*arguments.notesFile);
    }
}

void Report(const CommandContext& context, std::string_view done, const std::string& path)
{
    context.out << done << ' ' << PrintablePath(path) << ".\n";
}

void CreateCommand(const CommandContext& context, const std::string& name)
{
    ScopedAccount account(AccountName(name));
    const std::filesystem::path& programDir = context.folders.userFiles;
    RequireNewAccountName(programDir, account->Name, QuotedName(*account));
    if (FileExists(AccountFilePath(programDir, account->Name, kAccountExtension))) {
        throw CommandError(ExitCode::Usage, "The account " + QuotedName(*account) + " already exists.");
    }
    TakeNewPassword(context, *account);
    // The first folder a new account gets in the program.
    account->AddFolder("Default folder", 0);
    CreateAccountFiles(programDir, *account, std::nullopt);
    RemoveEarlierHint(programDir, account->Name);
    context.out << "Created the account " << QuotedName(*account) << ".\n";
}

void PasswdCommand(const CommandContext& context, const std::string& name,
                   const std::optional<std::filesystem::path>& hintFile)
{
    AccountChange change(context, name);
    ScopedAccount next(change.Account().Name);
    TakeNewPassword(context, *next);
    std::optional<std::string> hint;
    if (hintFile) {
        const std::string text = ReadTextFile(*hintFile);
        hint = Bytes(text.substr(0, text.find_first_of("\r\n")), "hint");
    }
    TAccount& account = change.Open();
    const std::optional<AccountSettings> settings = change.Locked().ReadSettings();
    Wipe(account.Password);
    account.Password.assign(next->Password);
    account.SealUnderPassword();
    // Both files under the new password, each written in full before either replaces its file.
    change.Locked().Save(settings);
    if (hint) {
        const std::filesystem::path file = AccountFilePath(context.folders.userFiles, account.Name, kHintExtension);
        try {
            if (hint->empty()) {
                std::filesystem::remove(file);
            } else {
                WriteAccountHint(file, *hint);
            }
        } catch (const std::exception& failure) {
            throw CommandError(ExitCode::ReadWriteFailure,
                               "The password was changed, but the hint was not: " + std::string(failure.what()));
        }
    }
    context.out << "Changed the password of the account " << QuotedName(account) << ".\n";
}

void RenameCommand(const CommandContext& context, const std::string& name, const std::string& newName)
{
    const std::filesystem::path& programDir = context.folders.userFiles;
    AccountChange change(context, name);
    const std::string oldName = change.Account().Name;
    const std::string targetName = AccountName(newName);
    {
        ScopedAccount target(targetName);
        RequireNewAccountName(programDir, targetName, QuotedName(*target), oldName);
    }
    if (targetName == oldName) {
        throw CommandError(ExitCode::Usage, "The account has that name already.");
    }
    TAccount& account = change.Open();
    const std::optional<AccountSettings> settings = change.Locked().ReadSettings();
    std::string hint;
    try {
        hint = ReadAccountHint(programDir, oldName);
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    }
    // The new files first; the old ones go only once those are written, as in the program.
    account.Name = targetName;
    try {
        CreateAccountFiles(programDir, account, settings);
        if (!hint.empty()) {
            WriteAccountHint(AccountFilePath(programDir, targetName, kHintExtension), hint);
        }
    } catch (const FileError& failure) {
        DeleteAccountFiles(programDir, targetName);
        account.Name = oldName;
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    } catch (const CommandError&) {
        account.Name = oldName;
        throw;
    }
    const std::vector<std::filesystem::path> left = DeleteAccountFiles(programDir, oldName);
    if (!left.empty()) {
        throw CommandError(ExitCode::ReadWriteFailure, "The account was written under its new name, but " +
                                                           PathText(left.front()) + " could not be removed.");
    }
    context.out << "Renamed the account to " << QuotedName(account) << ".\n";
}

void DeleteCommand(const CommandContext& context, const std::string& name, bool yes)
{
    AccountChange change(context, name);
    {
        // The password is checked before the question, which is asked without the lock held.
        ScopedAccount check(change.Account().Name);
        check->Password = change.Account().Password;
        OpenAccount(context.folders.userFiles, *check);
    }
    if (!yes &&
        !context.passwords.Confirm("Delete the account " + QuotedName(change.Account()) + " and all its files?")) {
        throw CommandError(ExitCode::Usage, "Nothing was deleted.");
    }
    TAccount& account = change.Open();
    change.Locked().DeleteFiles();
    context.out << "Deleted the account " << QuotedName(account) << ".\n";
}

void MergeFolder(const TFolderType& from, TAccount& into, std::size_t& folders, std::size_t& records,
                 const CommandContext& context)
{
    std::size_t target = into.FolderCount();
    for (std::size_t i = 0; i < into.FolderCount(); ++i) {
        if (into.Folder(i).Name == from.Name) {
            target = i;
            break;
        }
    }
    if (target == into.FolderCount()) {
        into.AddFolder(from.Name, from.ImageIndex);
        ++folders;
        Report(context, "New folder", PathOf(into, target));
    }
    TFolderType& folder = into.Folder(target);
    for (std::size_t position = 0; position < from.Count(); ++position) {
        const TRecType& record = from.RecordAt(position);
        bool known = false;
        for (std::size_t mine = 0; mine < folder.Count() && !known; ++mine) {
            known = folder.RecordAt(mine).Name() == record.Name() && folder.RecordAt(mine).Login() == record.Login();
        }
        if (!known) {
            folder.AddRecord(record.Name(), record.URL(), record.Login(), record.IDNumber(), record.Password(),
                             record.Notes());
            ++records;
            Report(context, "New record", PathOf(into, target, folder.Count() - 1u));
        }
    }
}

void MergeCommand(const CommandContext& context, const std::string& name, const std::filesystem::path& file)
{
    AccountChange change(context, name);
    ScopedAccount other("");
    std::string text = ReadTextFile(file);
    WipeOnExit wipeText(text);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && text[first] == '{') {
        AccountFromJson(ParseAccountJson(text), *other);
    } else {
        std::string typed;
        WipeOnExit wipeTyped(typed);
        context.passwords.Read("Password of " + PathText(file) + ": ", false, typed);
        other->Password = Bytes(typed, "password");
        switch (other->LoadFromFile(file)) {
        case ReadResult::Ok:
            break;
        case ReadResult::BadCheckLine:
            throw CommandError(ExitCode::WrongPassword,
                               "Wrong password for " + PathText(file) + " (or it is no account file or JSON export).");
        default:
            throw CommandError(ExitCode::DamagedFile, "The account file " + PathText(file) + " is damaged.");
        }
        if (other->LastLoadDamage().Any()) {
            throw CommandError(ExitCode::DamagedFile, "The account file " + PathText(file) + " is damaged.");
        }
    }
    TAccount& account = change.Open();
    std::size_t folders = 0;
    std::size_t records = 0;
    try {
        for (std::size_t i = 0; i < other->FolderCount(); ++i) {
            MergeFolder(other->Folder(i), account, folders, records, context);
        }
    } catch (const VaultLimitError& limit) {
        throw LimitReached(limit);
    }
    if (folders + records > 0) {
        change.Save();
    }
    context.out << folders << (folders == 1 ? " folder and " : " folders and ") << records
                << (records == 1 ? " record came in.\n" : " records came in.\n");
}

} // namespace

CommandAction DefineCreate(CLI::App& command)
{
    auto name = std::make_shared<std::string>();
    AddAccountArgument(command, *name);
    return [name](const CommandContext& context) { CreateCommand(context, *name); };
}

CommandAction DefinePasswd(CLI::App& command)
{
    auto name = std::make_shared<std::string>();
    auto hintFile = std::make_shared<std::optional<std::filesystem::path>>();
    AddAccountArgument(command, *name);
    command.add_option("--hint-file", *hintFile,
                       "Replace the password hint with the first line of this file (an empty line removes it)");
    return [name, hintFile](const CommandContext& context) { PasswdCommand(context, *name, *hintFile); };
}

CommandAction DefineRename(CLI::App& command)
{
    auto names = std::make_shared<std::pair<std::string, std::string>>();
    AddAccountArgument(command, names->first);
    command.add_option("new-name", names->second, "The account's new name")->required();
    return [names](const CommandContext& context) { RenameCommand(context, names->first, names->second); };
}

CommandAction DefineDelete(CLI::App& command)
{
    auto name = std::make_shared<std::string>();
    auto yes = std::make_shared<bool>(false);
    AddAccountArgument(command, *name);
    command.add_flag("--yes", *yes, "Do not ask whether to delete (the password is still asked)");
    return [name, yes](const CommandContext& context) { DeleteCommand(context, *name, *yes); };
}

CommandAction DefineMkdir(CLI::App& command)
{
    struct Options
    {
        std::string account, folder;
        int icon = 0;
    };
    auto options = std::make_shared<Options>();
    AddAccountArgument(command, options->account);
    command.add_option("folder", options->folder, "The new folder's name")->required();
    command.add_option("--icon", options->icon, "The folder's icon (default 0)")->check(CLI::NonNegativeNumber);
    return [options](const CommandContext& context) {
        const std::string folderName = NameBytes(options->folder, "folder");
        AccountChange change(context, options->account);
        TAccount& account = change.Open();
        try {
            account.AddFolder(folderName, options->icon);
        } catch (const VaultLimitError& limit) {
            throw LimitReached(limit);
        }
        change.Save();
        Report(context, "Added the folder", PathOf(account, account.FolderCount() - 1));
    };
}

CommandAction DefineRmdir(CLI::App& command)
{
    struct Options
    {
        std::string account, folder;
        bool force = false;
    };
    auto options = std::make_shared<Options>();
    AddAccountArgument(command, options->account);
    command.add_option("folder", options->folder, "The folder to remove")->required();
    command.add_flag("--force", options->force, "Remove the folder also when it holds records");
    return [options](const CommandContext& context) {
        const RecordPath path = ParseRecordPath(options->folder);
        if (path.record) {
            throw CommandError(ExitCode::Usage, "rmdir takes a folder, not a record.");
        }
        AccountChange change(context, options->account);
        TAccount& account = change.Open();
        const std::size_t index = FindFolder(account, path.folder);
        const std::string removed = PathOf(account, index);
        if (account.Folder(index).Count() > 0 && !options->force) {
            throw CommandError(ExitCode::Usage, "The folder " + PrintablePath(removed) +
                                                    " holds records; give --force to remove it with them.");
        }
        account.DeleteFolder(static_cast<int>(index));
        change.Save();
        Report(context, "Removed the folder", removed);
    };
}

CommandAction DefineAdd(CLI::App& command)
{
    auto arguments = std::make_shared<RecordArguments>();
    AddAccountArgument(command, arguments->account);
    command.add_option("path", arguments->path, "FOLDER/RECORD: the folder and the new record's name")->required();
    AddRecordOptions(command, *arguments);
    AddRecordPasswordOptions(command, arguments->password, false);
    return [arguments](const CommandContext& context) {
        const RecordPath path = ParseRecordPath(arguments->path);
        if (!path.record || path.record->position) {
            throw CommandError(ExitCode::Usage, "Name the new record as FOLDER/RECORD.");
        }
        RecordValues values;
        values.name = NameBytes(path.record->name, "record");
        TakeGiven(*arguments, values);
        AccountChange change(context, arguments->account);
        std::optional<std::string> password = ObtainRecordPassword(context, arguments->password, true);
        values.password = std::move(password).value_or(std::string());
        TAccount& account = change.Open();
        const std::size_t folder = FindFolder(account, path.folder);
        TFolderType& records = account.Folder(folder);
        try {
            records.AddRecord(values.name, values.url, values.login, values.id, values.password, values.notes);
        } catch (const VaultLimitError& limit) {
            throw LimitReached(limit);
        }
        change.Save();
        Report(context, "Added", PathOf(account, folder, records.Count() - 1u));
    };
}

CommandAction DefineEdit(CLI::App& command)
{
    auto arguments = std::make_shared<RecordArguments>();
    AddAccountArgument(command, arguments->account);
    command.add_option("path", arguments->path, "FOLDER/RECORD")->required();
    command.add_option("--name", arguments->name, "The record's new name");
    AddRecordOptions(command, *arguments);
    AddRecordPasswordOptions(command, arguments->password, true);
    return [arguments](const CommandContext& context) {
        const RecordPath path = ParseRecordPath(arguments->path);
        RecordValues given;
        TakeGiven(*arguments, given);
        const std::optional<std::string> newName =
            arguments->name ? std::optional(NameBytes(*arguments->name, "record")) : std::nullopt;
        AccountChange change(context, arguments->account);
        std::optional<std::string> password = ObtainRecordPassword(context, arguments->password, false);
        TAccount& account = change.Open();
        const RecordPlace place = FindRecordPlace(account, path);
        TFolderType& folder = account.Folder(place.folder);
        const TRecType& record = folder.RecordAt(place.position);
        RecordValues values{.name = newName.value_or(std::string(record.Name())),
                            .url = arguments->url ? given.url : std::string(record.URL()),
                            .login = arguments->login ? given.login : std::string(record.Login()),
                            .id = arguments->id ? given.id : std::string(record.IDNumber()),
                            .password = password ? *password : std::string(record.Password()),
                            .notes = arguments->notesFile ? given.notes : std::string(record.Notes())};
        if (password) {
            Wipe(*password);
        }
        const std::string key = record.Key;
        folder.EditRecord(key, values.name, values.url, values.login, values.id, values.password, values.notes);
        change.Save();
        Report(context, "Changed", PathOf(account, place.folder, place.position));
    };
}

CommandAction DefineRm(CLI::App& command)
{
    auto options = std::make_shared<std::pair<std::string, std::string>>();
    AddAccountArgument(command, options->first);
    command.add_option("path", options->second, "FOLDER/RECORD")->required();
    return [options](const CommandContext& context) {
        const RecordPath path = ParseRecordPath(options->second);
        AccountChange change(context, options->first);
        TAccount& account = change.Open();
        const RecordPlace place = FindRecordPlace(account, path);
        const std::string removed = PathOf(account, place.folder, place.position);
        TFolderType& folder = account.Folder(place.folder);
        const std::string key = folder.RecordAt(place.position).Key;
        folder.DeleteRecord(key);
        change.Save();
        Report(context, "Removed", removed);
    };
}

CommandAction DefineMv(CLI::App& command)
{
    struct Options
    {
        std::string account, path, folder;
    };
    auto options = std::make_shared<Options>();
    AddAccountArgument(command, options->account);
    command.add_option("path", options->path, "FOLDER/RECORD")->required();
    command.add_option("folder", options->folder, "The folder to move the record to")->required();
    return [options](const CommandContext& context) {
        const RecordPath path = ParseRecordPath(options->path);
        const RecordPath target = ParseRecordPath(options->folder);
        if (target.record) {
            throw CommandError(ExitCode::Usage, "Move a record to a folder, not to a record.");
        }
        AccountChange change(context, options->account);
        TAccount& account = change.Open();
        const RecordPlace place = FindRecordPlace(account, path);
        const std::size_t folder = FindFolder(account, target.folder);
        if (folder == place.folder) {
            throw CommandError(ExitCode::Usage, "The record is in that folder already.");
        }
        const std::string key = account.Folder(place.folder).RecordAt(place.position).Key;
        try {
            account.Folder(place.folder).MoveRecordToFolder(account, key, static_cast<std::int32_t>(folder));
        } catch (const VaultLimitError& limit) {
            throw LimitReached(limit);
        }
        change.Save();
        Report(context, "Moved to", PathOf(account, folder, account.Folder(folder).Count() - 1u));
    };
}

CommandAction DefineMerge(CLI::App& command)
{
    auto options = std::make_shared<std::pair<std::string, std::filesystem::path>>();
    AddAccountArgument(command, options->first);
    command.add_option("file", options->second, "Another account file, or a JSON file written by export")->required();
    return [options](const CommandContext& context) { MergeCommand(context, options->first, options->second); };
}

} // namespace velmora::cli
