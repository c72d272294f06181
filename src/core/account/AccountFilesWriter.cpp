#include "core/account/AccountFilesWriter.h"

#include "core/account/AccountDirectory.h"
#include "core/vault/CodePage.h"
#include "core/vault/SealedFile.h"

#include <system_error>

namespace velmora {
namespace {

std::unique_ptr<FileLock> LockAccount(const std::filesystem::path& programDir, std::string_view name,
                                      std::chrono::milliseconds patience)
{
    try {
        return std::make_unique<FileLock>(AccountFilePath(programDir, name, kLockExtension), patience);
    } catch (const FileBusyError&) {
        throw FileBusyError("Another program is saving the account \"" + CodePageToUtf8(name) +
                            "\" right now; nothing was written.");
    }
}

// Every writer holds the lock while its temporary files exist, so under the lock any that are
// left came from a save that was killed. Links are left alone.
void RemoveLeftTemporaryFiles(const std::filesystem::path& directory,
                              std::initializer_list<std::filesystem::path> files)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) {
            continue;
        }
        for (const std::filesystem::path& file : files) {
            if (IsTemporaryPathOf(it->path(), file)) {
                std::filesystem::remove(it->path(), ignored);
                break;
            }
        }
    }
}

// One of the file's temporary names, so that a copy a killed save left goes with the others.
std::filesystem::path PreviousPathOf(const std::filesystem::path& file)
{
    std::string name = TemporaryPathTemplate(file).filename().string();
    name.replace(name.size() - 6, 6, "before");
    return file.parent_path() / name;
}

// A second name for a file that is about to be replaced, removed again when it goes.
class PreviousFile
{
public:
    explicit PreviousFile(const std::filesystem::path& file) : m_file(file)
    {
        std::error_code error;
        if (file.empty()) {
            return;
        }
        m_existed = std::filesystem::exists(std::filesystem::symlink_status(file, error));
        if (!std::filesystem::is_regular_file(file, error)) {
            return;
        }
        m_keep = PreviousPathOf(file);
        std::filesystem::remove(m_keep, error);
        std::filesystem::create_hard_link(file, m_keep, error);
        if (error) {
            m_keep.clear();
        }
    }
    ~PreviousFile()
    {
        if (!m_keep.empty()) {
            std::error_code ignored;
            std::filesystem::remove(m_keep, ignored);
        }
    }
    PreviousFile(const PreviousFile&) = delete;
    PreviousFile& operator=(const PreviousFile&) = delete;

    // Puts the previous file back in place, or removes the new one where there was none; false
    // when the file cannot be made what it was.
    bool PutBack()
    {
        if (!m_existed) {
            std::error_code error;
            std::filesystem::remove(m_file, error);
            return !error;
        }
        if (m_keep.empty()) {
            return false; // no second name: the file system has no hard links
        }
        try {
            RenameFile(m_keep, m_file);
        } catch (const FileError&) {
            return false;
        }
        m_keep.clear();
        return true;
    }

private:
    std::filesystem::path m_file;
    std::filesystem::path m_keep;
    bool m_existed = false;
};

} // namespace

SettingsNotReplacedError::SettingsNotReplacedError(const FileError& settingsFailure,
                                                   const std::filesystem::path& accountFile)
    : FileError(settingsFailure), m_accountFile(PathText(accountFile))
{}

void CreateUsersDirectory(const std::filesystem::path& programDir)
{
    const std::filesystem::path users = UsersDirectory(programDir);
    std::error_code error;
    if (std::filesystem::is_directory(users, error)) {
        return;
    }
    if (!programDir.empty()) {
        std::filesystem::create_directories(programDir, error);
    }
    if (!std::filesystem::create_directory(users, error) && error) {
        ThrowFileError("Cannot create the directory", users, error.message());
    }
    // The accounts are nobody else's business, not even their names.
    std::filesystem::permissions(users, std::filesystem::perms::owner_all, error);
}

AccountFilesWriter::AccountFilesWriter(const std::filesystem::path& programDir, std::string_view name,
                                       std::chrono::milliseconds patience)
    : m_accountFile(AccountFilePath(programDir, name, kAccountExtension)), m_accountTarget(ResolveLinks(m_accountFile)),
      m_settingsFile(AccountFilePath(programDir, name, kSettingsExtension))
{
    CreateUsersDirectory(programDir);
    m_lock = LockAccount(programDir, name, patience);
    RemoveLeftTemporaryFiles(UsersDirectory(programDir),
                             {m_accountFile, m_settingsFile, AccountFilePath(programDir, name, kHintExtension)});
}

AccountFilesWriter::~AccountFilesWriter() = default;

std::optional<FileIdentity> AccountFilesWriter::AccountFileIdentity() const
{
    return IdentityOf(m_accountFile);
}

void AccountFilesWriter::StageAccount(std::string_view content)
{
    m_account = m_seal ? std::make_unique<StagedFile>(m_accountFile, SealText(*m_seal, content))
                       : std::make_unique<StagedFile>(m_accountFile, content);
}

void AccountFilesWriter::StageAccount(const OutputProducer& content)
{
    m_account = std::make_unique<StagedFile>(m_accountFile, m_seal ? SealedOutput(*m_seal, content) : content);
}

void AccountFilesWriter::StageSettings(std::string_view content)
{
    m_settings = m_seal ? std::make_unique<StagedFile>(m_settingsFile, SealText(*m_seal, content))
                        : std::make_unique<StagedFile>(m_settingsFile, content);
    m_removeSettings = false;
}

void AccountFilesWriter::RemoveSettingsAtCommit()
{
    m_settings.reset();
    m_removeSettings = true;
}

std::optional<FileIdentity> AccountFilesWriter::Commit()
{
    // The previous account file stays reachable under a second name until the settings file is
    // in place too, so a settings file that cannot be replaced takes the account file back with
    // it: a password change never leaves the two files under different passwords. Where the
    // file system has no hard links there is no way back, and the failure is still reported.
    const bool twoFiles = m_account && (m_settings || m_removeSettings);
    PreviousFile previous(twoFiles ? m_accountTarget : std::filesystem::path());
    if (m_account) {
        m_account->Commit();
    }
    try {
        CommitSettings();
    } catch (const FileError& failure) {
        if (!twoFiles || previous.PutBack()) {
            throw;
        }
        throw SettingsNotReplacedError(failure, m_accountFile);
    }
    return AccountFileIdentity();
}

void AccountFilesWriter::CommitSettings()
{
    if (m_settings) {
        m_settings->Commit();
    } else if (m_removeSettings) {
        std::error_code error;
        std::filesystem::remove(m_settingsFile, error);
        if (error) {
            ThrowFileError("Cannot remove the file", m_settingsFile, error.message());
        }
    }
}

} // namespace velmora
