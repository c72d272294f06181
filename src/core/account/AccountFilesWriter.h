#pragma once

#include "core/os/AtomicFile.h"
#include "core/os/FileLock.h"
#include "core/vault/SealedText.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// How long a writer waits for another program to finish saving the same account.
inline constexpr std::chrono::milliseconds kAccountLockPatience{3000};

// Users/N.lock: the file whose lock makes writers of the account's files take turns.
inline constexpr std::string_view kLockExtension = ".lock";

// A two-file save that went half way: the account file was replaced, the settings file could not
// be, and the previous account file could not be put back. The account file on disk is the new
// one and the settings file the previous one. FileText() and Reason() are the settings file's.
class SettingsNotReplacedError : public FileError
{
public:
    SettingsNotReplacedError(const FileError& settingsFailure, const std::filesystem::path& accountFile);

    // The account file that was written, as UTF-8.
    const std::string& AccountFileText() const { return m_accountFile; }

private:
    std::string m_accountFile;
};

// The one way an account's files are written, by the program and the command-line tool alike:
// one writer at a time per account, and each new file written completely before any is
// replaced, the account file first and the settings file after it, so a crash between them
// leaves a new account file that the next start can read.
class AccountFilesWriter
{
public:
    // Takes the account's lock, creates Users/ (owner only) and removes temporary files that an
    // interrupted save of this account left. Throws FileBusyError when another program keeps
    // writing the account, FileError when Users/ cannot be made or the lock file opened.
    AccountFilesWriter(const std::filesystem::path& programDir, std::string_view name,
                       std::chrono::milliseconds patience = kAccountLockPatience);
    ~AccountFilesWriter();
    AccountFilesWriter(const AccountFilesWriter&) = delete;
    AccountFilesWriter& operator=(const AccountFilesWriter&) = delete;

    // The account file on disk as it is now; nothing when there is none. Under the lock, so a
    // writer can tell whether another program saved the account since it was read.
    std::optional<FileIdentity> AccountFileIdentity() const;

    // What is staged from here on is sealed under this key (a sealed account's), each file with a
    // fresh nonce; without a key it is staged as it is.
    void SealWith(const std::optional<SealKey>& key) { m_seal = key; }

    // Each throws FileError; nothing has been replaced then.
    void StageAccount(std::string_view content);
    void StageAccount(const OutputProducer& content);
    void StageSettings(std::string_view content);
    // The settings file goes at Commit(), after the account file was replaced.
    void RemoveSettingsAtCommit();

    // Replaces the account file, then the settings file (or removes it), and returns the new
    // account file's identity. Throws FileError: both files are then as they were (a new account
    // file that had no previous one is removed again). Throws SettingsNotReplacedError when the
    // previous account file cannot be put back (no hard links on the file system, or the rename
    // back fails).
    std::optional<FileIdentity> Commit();

private:
    void CommitSettings();

    std::filesystem::path m_accountFile;
    std::filesystem::path m_accountTarget; // the file a link named m_accountFile points to
    std::filesystem::path m_settingsFile;
    std::unique_ptr<FileLock> m_lock;
    std::unique_ptr<StagedFile> m_account;
    std::unique_ptr<StagedFile> m_settings;
    bool m_removeSettings = false;
    std::optional<SealKey> m_seal;
};

// Creates Users/ readable by its owner only. Throws FileError.
void CreateUsersDirectory(const std::filesystem::path& programDir);

} // namespace velmora
