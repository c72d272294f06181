#pragma once

#include <QObject>
#include <filesystem>

namespace velmora {

class AccountLists;
class AccountSession;
class CommandTable;

// The account menu's copies and imports: a copy of the account into a folder the user picks, a
// copy of the selected folder into a folder copy file, and importing either back. The account
// import keeps the account's file as its backup N.vm# until the import has been kept or undone.
class BackupCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackupCommands)

public:
    // Connects and enables the menu items mSaveAccDisk, mSaveFolder, mAcc and mFol.
    BackupCommands(AccountSession& session, AccountLists& lists, CommandTable& commands, QObject* parent);

    void mSaveAccDiskClick();
    void mSaveFolderClick();
    void mAccClick();
    void mFolClick();

private:
    // After a successful read of the imported file: save it, then keep it or put the backup back.
    void KeepOrRestore(const std::filesystem::path& imported);
    void KeepImport(const std::filesystem::path& imported);
    void RestoreBackup();
    // The imported file could not be read or its contents saved: the kept account file goes
    // back as it was and is shown, before the error `errorKey` is; nothing is saved over it.
    void PutBackPrevious(const char* errorKey);
    void RefillLists();
    void ShowError(const char* key);

    AccountSession& m_session;
    AccountLists& m_lists;
};

} // namespace velmora
