#include "gui/account/BackupCommands.h"

#include "core/account/AccountBackup.h"
#include "core/account/AccountDirectory.h"
#include "core/os/FileExists.h"
#include "core/vault/FolderCopy.h"
#include "gui/browser/AccountLists.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"

#include <QAction>
#include <QTableView>
#include <exception>

namespace velmora {
namespace {

std::filesystem::path ToPath(const QString& file)
{
    return std::filesystem::path(file.toStdU16String());
}

} // namespace

BackupCommands::BackupCommands(AccountSession& session, AccountLists& lists, CommandTable& commands, QObject* parent)
    : QObject(parent), m_session(session), m_lists(lists)
{
    commands.Bind("mSaveAccDisk", *this, [this] { mSaveAccDiskClick(); });
    commands.Bind("mSaveFolder", *this, [this] { mSaveFolderClick(); });
    commands.Bind("mAcc", *this, [this] { mAccClick(); });
    commands.Bind("mFol", *this, [this] { mFolClick(); });
}

void BackupCommands::ShowError(const char* key)
{
    m_session.ShowMessageBox(m_session.Message(key), MessageKind::Error);
}

void BackupCommands::RefillLists()
{
    m_lists.FillFolderList(false);
    m_lists.FillRecordList(false);
}

void BackupCommands::mSaveAccDiskClick()
{
    TAccount& account = m_session.Account();
    RecentFolders& folders = m_session.FileFolders();
    const std::optional<QString> chosen = m_session.Services().files.BrowseFolder(
        m_session.FormatMessage("const_choose_folder", {account.Name}), folders.StartFolder(FileKind::AccountCopy));
    if (!chosen) {
        return;
    }
    folders.RememberFolder(FileKind::AccountCopy, *chosen);
    try {
        // Kept another program's save instead: nothing of ours to copy.
        if (!m_session.SaveAccount()) {
            return;
        }
        CopyAccountFiles(m_session.UserFilesDir(), account.Name, ToPath(*chosen));
    } catch (const std::exception&) {
        ShowError("const_err_save");
    }
}

void BackupCommands::mSaveFolderClick()
{
    const int row = m_lists.SelectedRow(m_lists.FolderList());
    if (row < 0) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_folder"), MessageKind::Information);
        return;
    }
    TAccount& account = m_session.Account();
    const auto index = static_cast<std::size_t>(row);
    RecentFolders& folders = m_session.FileFolders();
    const std::optional<QString> chosen = m_session.Services().files.SaveFile(
        m_session.FormatMessage("const_exp_folder", {account.Folder(index).Name}),
        folders.StartFolder(FileKind::FolderFile), QString(), m_session.Message("const_exp_folder_filter"));
    if (!chosen) {
        return;
    }
    folders.RememberFile(FileKind::FolderFile, *chosen);
    std::filesystem::path file = ToPath(*chosen);
    if (!file.has_extension()) {
        file += ".vmf";
    }
    if (FileExists(file) && m_session.Services().messages.AskYesNoWarning(
                                QLatin1Char('\r') + m_session.Message("const_overwrite")) != Answer::Yes) {
        return;
    }
    try {
        WriteFolderCopy(account, index, file);
    } catch (const std::exception&) {
        ShowError("const_err_save");
        return;
    }
    // The folder file is the plain format the Windows program reads, whatever the account is.
    if (m_session.IsSealed()) {
        m_session.ShowMessageBox(m_session.Message("const_folder_not_sealed"), MessageKind::Information);
    }
}

void BackupCommands::mAccClick()
{
    const QString caption = m_session.Message("const_imp_acc");
    const QString filter = m_session.Message("const_imp_acc_filter");
    try {
        // The import replaces what is open: not without our changes saved first.
        if (!m_session.SaveAccount()) {
            return;
        }
    } catch (const std::exception&) {
        ShowError("const_err_imp");
        return;
    }
    RecentFolders& folders = m_session.FileFolders();
    const std::optional<QString> chosen =
        m_session.Services().files.OpenFile(caption, folders.StartFolder(FileKind::AccountCopy), filter);
    if (!chosen || !FileExists(ToPath(*chosen))) {
        return;
    }
    folders.RememberFile(FileKind::AccountCopy, *chosen);
    const std::filesystem::path imported = ToPath(*chosen);
    std::error_code notSame;
    if (std::filesystem::equivalent(imported, m_session.AccountFile(kAccountExtension), notSame)) {
        // Its backup would take the very file away before it is read.
        m_session.ShowMessageBox(m_session.Message("const_imp_own"), MessageKind::Warning);
        return;
    }
    if (m_session.Services().messages.AskYesNoWarning(QLatin1Char('\r') + m_session.Message("const_war")) !=
        Answer::Yes) {
        return;
    }
    // Without an exact backup the previous account could not be brought back: touch nothing.
    try {
        MakeImportBackup(m_session.UserFilesDir(), m_session.Account().Name);
    } catch (const std::exception&) {
        ShowError("const_err_imp");
        return;
    }
    const ReadResult result = m_session.Account().LoadFromFile(imported);
    m_session.AccountCleared(); // nothing found in the account before still stands
    switch (result) {
    case ReadResult::Ok:
        RefillLists();
        KeepOrRestore(imported);
        return;
    case ReadResult::NoFile:
        PutBackPrevious("const_do_restore");
        return;
    case ReadResult::BadCheckLine:
        PutBackPrevious("const_do_pass");
        return;
    case ReadResult::SealChanged:
        PutBackPrevious("const_sealed_changed");
        return;
    case ReadResult::BadFolderBlock:
    case ReadResult::Failed:
        PutBackPrevious("const_do_u");
        return;
    }
}

void BackupCommands::KeepOrRestore(const std::filesystem::path& imported)
{
    try {
        m_session.SaveAccount();
    } catch (const std::exception&) {
        PutBackPrevious("const_err_imp");
        return;
    }
    if (m_session.Account().FolderCount() > 0) {
        m_lists.FocusRow(m_lists.FolderList(), 0);
        m_lists.SelectRow(m_lists.FolderList(), 0);
    }
    if (m_session.Services().messages.AskYesNo(m_session.Message("const_restore")) == Answer::No) {
        KeepImport(imported);
    } else {
        RestoreBackup();
    }
}

void BackupCommands::KeepImport(const std::filesystem::path& imported)
{
    try {
        RemoveImportBackup(m_session.UserFilesDir(), m_session.Account().Name);
        if (BringImportCompanions(imported, m_session.UserFilesDir(), m_session.Account().Name)) {
            m_session.LoadAndApplySettings();
            m_lists.FillFolderList(true);
            m_lists.FillRecordList(true);
        }
    } catch (const std::exception&) {
        ShowError("const_err_imp");
        return;
    }
    if (m_session.Services().messages.AskYesNoWarning(QLatin1Char('\r') + m_session.Message("const_delete_files")) ==
        Answer::Yes) {
        DeleteImportSources(imported);
    }
}

void BackupCommands::RestoreBackup()
{
    TAccount& account = m_session.Account();
    // A backup that cannot be read back is kept and nothing is saved over the account's file.
    const ReadResult result = account.LoadFromFile(ImportBackupPath(m_session.UserFilesDir(), account.Name));
    if (result != ReadResult::Ok) {
        m_session.CloseAccount();
        RefillLists();
        ShowError("const_err_imp");
        return;
    }
    try {
        m_session.SaveAccount();
    } catch (const std::exception&) {
        RefillLists();
        ShowError("const_err_imp");
        return;
    }
    RefillLists();
    try {
        RemoveImportBackup(m_session.UserFilesDir(), account.Name);
    } catch (const std::exception&) {
        ShowError("const_err_imp");
        return;
    }
    m_session.ShowMessageBox(m_session.Message("const_acc_restored"), MessageKind::Warning);
}

void BackupCommands::PutBackPrevious(const char* errorKey)
{
    TAccount& account = m_session.Account();
    bool putBack = true;
    try {
        PutBackImportBackup(m_session.UserFilesDir(), account.Name);
    } catch (const std::exception&) {
        putBack = false; // the next start puts it back
    }
    // The previous contents show either way, unmodified: they are what the account file holds.
    m_session.RememberAccountFile();
    const ReadResult result = account.LoadFromFile(putBack ? m_session.AccountFile(kAccountExtension)
                                                           : ImportBackupPath(m_session.UserFilesDir(), account.Name));
    if (result != ReadResult::Ok) {
        m_session.CloseAccount(); // what cannot be read is left on the disk as it is
    }
    RefillLists();
    ShowError(errorKey);
    if (!m_session.HasAccount()) {
        ShowError("const_err_imp");
    } else if (putBack) {
        m_session.ShowMessageBox(m_session.Message("const_acc_restored"), MessageKind::Warning);
    }
}

void BackupCommands::mFolClick()
{
    TAccount& account = m_session.Account();
    // One folder more would not fit the account file's folder index.
    if (account.FolderCount() >= kMaxFolders) {
        m_session.ShowMessageBox(m_session.Message("const_many_folders"), MessageKind::Warning);
        return;
    }
    RecentFolders& folders = m_session.FileFolders();
    const std::optional<QString> chosen =
        m_session.Services().files.OpenFile(m_session.Message("const_imp_f"), folders.StartFolder(FileKind::FolderFile),
                                            m_session.Message("const_imp_f_filter"));
    if (!chosen) {
        return;
    }
    folders.RememberFile(FileKind::FolderFile, *chosen);
    try {
        switch (ReadFolderCopy(account, ToPath(*chosen))) {
        case ReadResult::BadCheckLine:
            ShowError("const_err_f_pass");
            break;
        case ReadResult::Ok:
            break;
        default:
            ShowError("const_err_imp_f");
            break;
        }
    } catch (const std::exception&) {
        ShowError("const_err_imp_f");
    }
    m_lists.FillFolderList(true);
}

} // namespace velmora
