#pragma once

#include "core/account/AccountFilesWriter.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/Account.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::cli {

// A command-line text (UTF-8) as code page bytes; nothing when the code page cannot hold it.
std::optional<std::string> ToCodePage(std::string_view utf8);

// An account for the length of one command: its password and cipher key are wiped when it goes.
class ScopedAccount
{
public:
    explicit ScopedAccount(std::string name);
    ~ScopedAccount();
    ScopedAccount(const ScopedAccount&) = delete;
    ScopedAccount& operator=(const ScopedAccount&) = delete;

    TAccount& operator*() { return m_account; }
    TAccount* operator->() { return &m_account; }

private:
    TAccount m_account;
};

// The account's name in quotes, as UTF-8, for messages.
std::string QuotedName(const TAccount& account);

// Throws CommandError: not found when Users/ holds no account file of that name, read failure
// when something else than a file is in its place.
void RequireAccountFile(const std::filesystem::path& programDir, const TAccount& account);

// Reads the account file under the account's password. Throws CommandError: not found, wrong
// password, damaged file, or read failure (a file that cannot even be opened). Like the program,
// it reads a file with lines missing or undeciphered, with empty values in their place.
void OpenAccount(const std::filesystem::path& programDir, TAccount& account);

// Throws CommandError (damaged file) with a warning naming the lines that the open read as empty
// values; nothing when it read every line. For the end of a command whose output is complete.
void RequireUndamaged(const std::filesystem::path& programDir, const TAccount& account);

// The account's settings; nothing when it has no settings file. Throws CommandError when the
// file exists but cannot be read (also when it is no regular file), or cannot be read completely
// (damaged).
std::optional<AccountSettings> ReadAccountSettings(const std::filesystem::path& programDir, const TAccount& account);

// Writes the account file and the settings file, or removes the settings file when there are no
// settings, under the account's lock (as the program saves). Both are written in full before
// either replaces its file; a failure throws CommandError (read or write failure), also when
// another program keeps saving the account. Creates Users/ when needed.
void WriteAccountFiles(const std::filesystem::path& programDir, TAccount& account,
                       const std::optional<AccountSettings>& settings);

// Writes the files of a new account under its lock, as WriteAccountFiles does. Throws
// CommandError: usage when an account file of the name is there already.
void CreateAccountFiles(const std::filesystem::path& programDir, TAccount& account,
                        const std::optional<AccountSettings>& settings);

// An account read under its lock and written back before the lock is let go, so that no other
// program's save can fall between the read and the write: a writer that comes in between waits,
// and the desktop program's check for a file saved by someone else sees the new file.
class LockedAccount
{
public:
    // Takes the lock, then reads the account file under the account's password (as OpenAccount,
    // also refusing a damaged file, whose empty values a save would make final). Throws
    // CommandError; a lock kept by another program is a read or write failure.
    LockedAccount(const std::filesystem::path& programDir, TAccount& account);

    // The settings as ReadAccountSettings reads them, under the lock.
    std::optional<AccountSettings> ReadSettings() const;

    // Writes the account file; the settings file stays as it is.
    void Save();
    // Writes both files, as WriteAccountFiles does.
    void Save(const std::optional<AccountSettings>& settings);
    // Removes every file of the account, as the program deletes one. Throws CommandError (read or
    // write failure) naming the files that are still there.
    void DeleteFiles();

private:
    std::filesystem::path m_programDir;
    TAccount& m_account;
    std::unique_ptr<AccountFilesWriter> m_writer;
};

} // namespace velmora::cli
