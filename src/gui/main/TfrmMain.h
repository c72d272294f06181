#pragma once

#include "core/account/ProgramFolders.h"
#include "core/os/AtomicFile.h"
#include "core/settings/AccountSettings.h"
#include "core/settings/IniLang.h"
#include "core/vault/Account.h"
#include "core/vault/ListRows.h"
#include "platform/Platform.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTableView;
class QToolBar;
class QToolButton;

namespace velmora {

class CommandTable;
class InterfaceLanguage;
class ListRowModel;
class TfrmOptions;

// The main window: the folder list on the left, the records of the current folder on the
// right, the tool bar, the quick-jump boxes and the status bar. It owns the one account of the
// run, the program's folders, the language document in use and the account's settings.
class TfrmMain final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmMain)

public:
    explicit TfrmMain(Platform platform, QWidget* parent = nullptr);
    ~TfrmMain() override;

    Platform& Services() { return m_platform; }
    // The window's commands: every menu item, tool bar button and shortcut.
    CommandTable& Commands() { return *m_commands; }
    TAccount& Account() { return m_account; }
    IniLang& Lang() { return m_lang; }
    // The settings dialog, which edits a copy of the settings.
    TfrmOptions& Options() { return *m_options; }
    // The account's settings, with the lists' widths as they are now.
    AccountSettings Settings() const;
    // Takes these settings, the list widths included; ApplySettings() shows the rest.
    void SetSettings(const AccountSettings& settings);
    // The interface language: the chosen language file and its application to the forms.
    InterfaceLanguage& Language() { return *m_language; }
    const ProgramFolders& Folders() const { return m_folders; }
    // Default.lng, Languages/ and Help/.
    const std::filesystem::path& ProgramFilesDir() const { return m_folders.programFiles; }
    // Users/ and DefName.lng.
    const std::filesystem::path& UserFilesDir() const { return m_folders.userFiles; }
    std::filesystem::path AccountFile(std::string_view extension) const;

    // The form shown modally by the start-up sequence (and again by switching account).
    void SetAccountDialog(QDialog* dialog) { m_accountDialog = dialog; }

    // The start-up sequence: the program's folders, the interface language, then the account
    // dialog, modally.
    void FormShow(const ProgramFolders& folders);

    // A message text of the language in use, by key.
    QString Message(std::string_view key) const;
    // A message text with its "%s" markers filled in order.
    QString FormatMessage(std::string_view key, std::initializer_list<std::string_view> arguments) const;

    void ShowMessageBox(const QString& text, MessageKind kind);
    // Tells that a command failed, in the language in use: for a file, which one and why.
    void ReportFailure(const std::exception& failure);
    // Tells that a character has no place in the code page, so a text could not take it.
    void ReportRefusedCharacter(char32_t character);
    void FillFolderList(bool keepSelection);
    void FillRecordList(bool keepSelection);
    void AccountChanged();
    // The counts and the modified mark in the status bar, in the language in use.
    void UpdateStatusBar();
    void EnsureListSelection(QTableView* list);
    void AlignToFolderList();
    void BuildPopupMenus();
    // What a save does when another program saved the account file since it was read here.
    enum class ForeignSave
    {
        Ask, // overwrite it only after Yes
        Keep // nobody is there to answer: keep it
    };
    // Writes the account file and then the settings file under the account's lock. False when
    // another program's save was kept (nothing written). Throws FileError on failure: the
    // account stays modified.
    bool SaveAccount(ForeignSave foreignSave = ForeignSave::Ask);
    // Writes the settings file alone, under the account's lock. Throws FileError.
    void SaveSettingsFile();
    // The account file was just read: a later save compares the file on disk with this one.
    void RememberAccountFile();
    void UpdateMainCaption();
    // Reads the account's settings file on top of the settings; true when it existed and was
    // read to its end. A load that stops part-way keeps the keys read before the fault.
    bool LoadSettings();
    // Loads the settings and shows the lists as they say, a partly read file included; a file
    // that cannot be read to its end is reported.
    void LoadAndApplySettings();
    // Every setting and the list widths back to their design defaults, shown on the lists.
    // Called when the account is cleared (switch, delete) and before the clearing, so the next
    // account inherits nothing and no immediate save runs during the clear.
    void ResetSettings();
    // Shows the settings on the lists and the quick-jump panel.
    void ApplySettings();
    // The widths the settings file keeps: the lists' columns and the folder list.
    void ReadListWidths(AccountSettings& settings) const;
    void SetListWidths(const AccountSettings& settings);
    void mOptionsClick();
    void CentreOnScreen();
    // Opens a file, folder or address with the desktop (blanks around it trimmed).
    void ShellOpen(const QString& target);
    void ShowHelp();
    void MoveOffScreen();

    // Event handlers of the lists, the splitter and the window.
    void lstFoldersChanging(int row);
    void lstFoldersSelectItem(int row, bool selected);
    void lstRecordsSelectItem(int row, bool selected);
    void Splitter1Moved();
    void FormKeyUp();

    // -1 when no row is selected or focused.
    int SelectedRow(const QTableView* list) const;
    int FocusedRow(const QTableView* list) const;
    void SelectRow(QTableView* list, int row);
    void FocusRow(QTableView* list, int row);

    // The record of the selected record row in the folder of the selected folder row.
    const TRecType* SelectedRecord() const;
    QString PanelText(int panel) const;

    QTableView* FolderList() const { return m_lstFolders; }
    QTableView* RecordList() const { return m_lstRecords; }
    const ListRowModel& FolderRows() const { return *m_folderModel; }
    const ListRowModel& RecordRows() const { return *m_recordModel; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildLists();
    void BuildFindPanel();
    void BuildStatusBar();
    void SetPanel(int panel, const QString& text);
    QAction* Action(const char* name) const;
    RecordRowLayout Layout() const;

    Platform m_platform;
    std::unique_ptr<CommandTable> m_commands;
    TAccount m_account;
    // The account file as this program last read or wrote it.
    std::optional<FileIdentity> m_accountFileIdentity;
    AccountSettings m_settings;
    std::unique_ptr<TfrmOptions> m_options;
    // L_Column1, R_Column1 to R_Column4 and L_Width as last set: hidden columns and a window
    // not laid out yet have no width of their own to read.
    std::array<std::int32_t, 6> m_listWidths{};
    IniLang m_lang;
    ProgramFolders m_folders{};
    QDialog* m_accountDialog = nullptr;
    int ChangingFolderIndex = -1;
    // The record list shows a folder's records (its count is in the status bar).
    bool m_recordListShowsFolder = false;
    bool m_splitterDragged = false;
    std::unique_ptr<InterfaceLanguage> m_language;

    QList<QIcon> m_imgLst;
    QList<QIcon> m_lstImg2;
    QToolBar* m_toolBar = nullptr;
    QSplitter* m_splitter = nullptr;
    QTableView* m_lstFolders = nullptr;
    QTableView* m_lstRecords = nullptr;
    ListRowModel* m_folderModel = nullptr;
    ListRowModel* m_recordModel = nullptr;
    QWidget* m_panFind = nullptr;
    QWidget* m_panFindLeft = nullptr;
    QLineEdit* m_edFolderFind = nullptr;
    QLineEdit* m_edRecFind = nullptr;
    QList<QLabel*> m_panels;
    QMenu* m_cmFolder = nullptr;
    QMenu* m_cmRecord = nullptr;
    QMenu* m_cmCopy = nullptr;
};

// "Velmora 3.1": the application title and the start of the main window's caption.
QString ApplicationTitle();

} // namespace velmora
