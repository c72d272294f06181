#include "cli/AccountStore.h"

#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "core/account/AccountDirectory.h"
#include "core/account/AccountFiles.h"
#include "core/os/AtomicFile.h"
#include "core/os/FileExists.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <fstream>
#include <system_error>

namespace velmora::cli {
namespace {

// Whether a file of the account is there; anything else in its place fails the command as a read
// failure, never as a missing file.
bool AccountFileThere(const std::filesystem::path& path)
{
    try {
        return RegularFileExists(path);
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, failure.what());
    }
}

std::string LineCount(std::size_t count, std::string_view what)
{
    return std::to_string(count) + (count == 1 ? " line " : " lines ") + std::string(what);
}

// The account and settings readers report a file they cannot open like a damaged one; telling
// the two apart first gives scripts the right exit code.
void RequireReadable(const std::filesystem::path& path)
{
    if (!std::ifstream(path, std::ios::binary)) {
        throw CommandError(ExitCode::ReadWriteFailure, "Cannot open the file " + PathText(path) + " for reading.");
    }
}

CommandError NoSuchAccount(const std::filesystem::path& programDir, const TAccount& account)
{
    return CommandError(ExitCode::NotFound, "There is no account " + QuotedName(account) + " in " +
                                                PathText(UsersDirectory(programDir)) + ".");
}

} // namespace

std::optional<std::string> ToCodePage(std::string_view utf8)
{
    CodePageText text = Utf8ToCodePage(utf8);
    if (text.unmappable) {
        return std::nullopt;
    }
    return std::move(text.bytes);
}

ScopedAccount::ScopedAccount(std::string name)
{
    m_account.Name = std::move(name);
}

ScopedAccount::~ScopedAccount()
{
    m_account.Clear();
    Wipe(m_account.Password);
}

std::string QuotedName(const TAccount& account)
{
    // Appended piece by piece: g++ 12 at -O3 reports a false overlap for the chained form.
    std::string quoted = "\"";
    quoted += PrintableText(CodePageToUtf8(account.Name));
    quoted += '"';
    return quoted;
}

void RequireAccountFile(const std::filesystem::path& programDir, const TAccount& account)
{
    if (!AccountFileThere(AccountFilePath(programDir, account.Name, kAccountExtension))) {
        throw NoSuchAccount(programDir, account);
    }
}

void OpenAccount(const std::filesystem::path& programDir, TAccount& account)
{
    const std::filesystem::path file = AccountFilePath(programDir, account.Name, kAccountExtension);
    RequireAccountFile(programDir, account);
    RequireReadable(file);
    switch (account.LoadFromFile(file)) {
    case ReadResult::Ok:
        return;
    case ReadResult::NoFile:
        throw NoSuchAccount(programDir, account);
    case ReadResult::BadCheckLine:
        throw CommandError(ExitCode::WrongPassword, "Wrong password for account " + QuotedName(account) + " (or " +
                                                        PathText(file) + " is no account file).");
    case ReadResult::SealChanged:
        throw CommandError(ExitCode::DamagedFile, "The sealed account file " + PathText(file) +
                                                      " was changed outside the program; nothing of it was read.");
    case ReadResult::BadFolderBlock:
    case ReadResult::Failed:
        break;
    }
    throw CommandError(ExitCode::DamagedFile, "The account file " + PathText(file) + " is damaged.");
}

void RequireUndamaged(const std::filesystem::path& programDir, const TAccount& account)
{
    const ReadDamage& damage = account.LastLoadDamage();
    if (!damage.Any()) {
        return;
    }
    std::string what;
    if (damage.missingLines > 0) {
        what = LineCount(damage.missingLines, "missing at its end");
    }
    if (damage.undecipheredLines > 0) {
        what += (what.empty() ? "" : ", ") + LineCount(damage.undecipheredLines, "that could not be deciphered");
    }
    throw CommandError(ExitCode::DamagedFile,
                       "Warning: the account file " +
                           PathText(AccountFilePath(programDir, account.Name, kAccountExtension)) + " is damaged (" +
                           what + "); those values were read as empty.");
}

std::optional<AccountSettings> ReadAccountSettings(const std::filesystem::path& programDir, const TAccount& account)
{
    const std::filesystem::path file = AccountFilePath(programDir, account.Name, kSettingsExtension);
    if (!AccountFileThere(file)) {
        return std::nullopt;
    }
    RequireReadable(file);
    AccountSettings settings;
    const SettingsLoad load = LoadSettings(file, account.Password, settings, account.Seal());
    if (load.result == SettingsLoad::Result::Damaged) {
        throw CommandError(ExitCode::DamagedFile, "The settings file " + PathText(file) +
                                                      " is damaged from the setting \"" + std::string(load.stoppedAt) +
                                                      "\" on; the settings before it can be read.");
    }
    if (load.result == SettingsLoad::Result::SealChanged) {
        throw CommandError(ExitCode::DamagedFile, "The sealed settings file " + PathText(file) +
                                                      " was changed outside the program; nothing of it was read.");
    }
    if (!load) {
        throw CommandError(
            ExitCode::DamagedFile,
            "The settings file " + PathText(file) +
                " cannot be read under the account's password: it is damaged or belongs to another password.");
    }
    return settings;
}

namespace {

std::unique_ptr<AccountFilesWriter> LockAccountFiles(const std::filesystem::path& programDir, const TAccount& account)
{
    try {
        return std::make_unique<AccountFilesWriter>(programDir, account.Name);
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, "The account was not written: " + std::string(failure.what()));
    }
}

void CommitAccountFiles(AccountFilesWriter& writer, TAccount& account, const std::optional<AccountSettings>* settings)
{
    try {
        writer.SealWith(account.Seal());
        writer.StageAccount(account.FileContent());
        if (settings && settings->has_value()) {
            writer.StageSettings(SettingsFileText(**settings, account.Password));
        } else if (settings) {
            writer.RemoveSettingsAtCommit();
        }
        writer.Commit();
        account.MarkSaved();
    } catch (const SettingsNotReplacedError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure,
                           "The account file \"" + failure.AccountFileText() +
                               "\" was written, but the settings file \"" + failure.FileText() +
                               "\" was not and is still the previous one: " + failure.Reason() + ".");
    } catch (const FileError& failure) {
        throw CommandError(ExitCode::ReadWriteFailure, "The account was not written: " + std::string(failure.what()));
    }
}

} // namespace

void WriteAccountFiles(const std::filesystem::path& programDir, TAccount& account,
                       const std::optional<AccountSettings>& settings)
{
    const std::unique_ptr<AccountFilesWriter> writer = LockAccountFiles(programDir, account);
    CommitAccountFiles(*writer, account, &settings);
}

void CreateAccountFiles(const std::filesystem::path& programDir, TAccount& account,
                        const std::optional<AccountSettings>& settings)
{
    const std::unique_ptr<AccountFilesWriter> writer = LockAccountFiles(programDir, account);
    if (AccountFileThere(AccountFilePath(programDir, account.Name, kAccountExtension))) {
        throw CommandError(ExitCode::Usage, "The account " + QuotedName(account) + " already exists.");
    }
    CommitAccountFiles(*writer, account, &settings);
}

LockedAccount::LockedAccount(const std::filesystem::path& programDir, TAccount& account)
    : m_programDir(programDir), m_account(account)
{
    RequireAccountFile(programDir, account);
    m_writer = LockAccountFiles(programDir, account);
    OpenAccount(programDir, account);
    RequireUndamaged(programDir, account);
}

std::optional<AccountSettings> LockedAccount::ReadSettings() const
{
    return ReadAccountSettings(m_programDir, m_account);
}

void LockedAccount::Save()
{
    CommitAccountFiles(*m_writer, m_account, nullptr);
}

void LockedAccount::Save(const std::optional<AccountSettings>& settings)
{
    CommitAccountFiles(*m_writer, m_account, &settings);
}

void LockedAccount::DeleteFiles()
{
    const std::vector<std::filesystem::path> left = DeleteAccountFiles(m_programDir, m_account.Name);
    if (!left.empty()) {
        std::string names;
        for (const std::filesystem::path& file : left) {
            names += "\n  " + PathText(file);
        }
        throw CommandError(ExitCode::ReadWriteFailure, "These files of the account could not be removed:" + names);
    }
}

} // namespace velmora::cli
