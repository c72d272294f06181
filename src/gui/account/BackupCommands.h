#pragma once

#include <QObject>
#include <filesystem>

namespace velmora {

class TfrmMain;

// The account menu's copies and imports: a copy of the account into a folder the user picks, a
// copy of the selected folder into a folder copy file, and importing either back. The account
// import keeps the account's file as its backup N.vm# until the import has been kept or undone.
class BackupCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BackupCommands)

public:
    // Connects and enables the menu items mSaveAccDisk, mSaveFolder, mAcc and mFol.
    explicit BackupCommands(TfrmMain& main);

    void mSaveAccDiskClick();
    void mSaveFolderClick();
    void mAccClick();
    void mFolClick();

signals:
    // An import read another file into the open account: what showed its records (the search
    // results, a record open for viewing) must forget them.
    void AccountReplaced();

private:
    // After a successful read of the imported file: save it, then keep it or put the backup back.
    void KeepOrRestore(const std::filesystem::path& imported);
    void KeepImport(const std::filesystem::path& imported);
    void RestoreBackup();
    // The save of the imported contents failed: the kept account file goes back and is shown.
    void PutBackPrevious();
    void RefillLists();
    void ShowError(const char* key);

    TfrmMain& m_main;
};

} // namespace velmora
