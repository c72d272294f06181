#pragma once

#include "core/account/AccountSeal.h"
#include "core/account/ProgramFolders.h"
#include "core/os/AtomicFile.h"
#include "core/settings/AccountSettings.h"
#include "core/settings/IniLang.h"
#include "core/vault/Account.h"
#include "gui/session/RecentFolders.h"
#include "gui/widgets/QtTranslation.h"
#include "platform/Platform.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string_view>

namespace velmora {

class AccountFilesWriter;

// A save was asked for with no account there to save.
class NoAccountError : public std::logic_error
{
public:
    NoAccountError() : std::logic_error("No account is open, so there is nothing to save.") {}
};

// The lists' widths as the window shows them: columns and the folder list the user dragged are
// settings too.
class ListWidthView
{
public:
    virtual void ReadListWidths(AccountSettings& settings) const = 0;
    virtual void SetListWidths(const AccountSettings& settings) = 0;

protected:
    ~ListWidthView() = default;
};

// The program's one open account with what belongs to it: its settings as plain data, the
// interface language, the program's folders and the platform services. Windows and commands
// work on it and learn from its signals what changed; it knows no window.
class AccountSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AccountSession)

public:
    explicit AccountSession(Platform platform, QObject* parent = nullptr);
    ~AccountSession() override;

    Platform& Services() { return m_platform; }
    TAccount& Account() { return m_account; }
    const TAccount& Account() const { return m_account; }

    const ProgramFolders& Folders() const { return m_folders; }
    void SetFolders(const ProgramFolders& folders) { m_folders = folders; }
    // Default.lng, Languages/ and Help/.
    const std::filesystem::path& ProgramFilesDir() const { return m_folders.programFiles; }
    // Users/ and DefName.lng.
    const std::filesystem::path& UserFilesDir() const { return m_folders.userFiles; }
    std::filesystem::path AccountFile(std::string_view extension) const;

    // The language document in use.
    const IniLang& Lang() const { return m_lang; }
    // A message text of the language in use, by key.
    QString Message(std::string_view key) const;
    // A message text with its "%s" markers filled in order.
    QString FormatMessage(std::string_view key, std::initializer_list<std::string_view> arguments) const;
    void ShowMessageBox(const QString& text, MessageKind kind);
    // Tells that a command failed, in the language in use: for a file, which one and why.
    void ReportFailure(const std::exception& failure);
    // Tells that a character has no place in the code page, so a text could not take it.
    void ReportRefusedCharacter(char32_t character);

    // The chosen language file, empty for Default.lng.
    const std::filesystem::path& LanFile() const { return m_lanFile; }
    // Loads `LanFile` as the document in use and says so with languageSwitched. A file that
    // cannot be read is reported with const_err_lan and leaves the previous document in use;
    // false then.
    bool ApplyLanguage();
    // Applies `path` and remembers it for the next start. A file that could not be applied is
    // neither kept nor remembered: the language in use stays the chosen one.
    void SetLanguageFile(const std::filesystem::path& path);
    // At start: Default.lng first, then the remembered file, so a remembered file that cannot
    // be read is reported in English and leaves English in use.
    void StartLanguage();

    // The account's settings, with the lists' widths as the window shows them now.
    AccountSettings Settings() const;
    // The window that shows the widths; it takes them at once, the rest with ApplySettings().
    void SetWidthView(ListWidthView* view) { m_widthView = view; }
    // Takes these settings, the list widths shown at once; ApplySettings() shows the rest.
    void SetSettings(const AccountSettings& settings);
    // Tells the windows to show the settings as they are now, in the language file as it is now.
    void ApplySettings();
    // Reads the account's settings file on top of the settings, and tells how far it got. A load
    // that stops part-way keeps the keys read before the fault.
    SettingsLoad LoadSettings();
    // Loads the settings and shows them, a partly read file included; a file that cannot be
    // read to its end is reported: where it stops, or that nothing in it could be read.
    void LoadAndApplySettings();
    // Every setting back to its design default, shown. Called when the account is closed
    // (switch, delete), so the next account inherits nothing.
    void ResetSettings();

    // Whether an account is there: only a login, a create, a switch, a lock, an unlock, a close
    // and an import that replaces the account change it.
    enum class State
    {
        NoAccount, // none was opened, a read failed, or it was closed: nothing to save
        Open,
        Locked // open underneath, behind the unlock dialog
    };
    State CurrentState() const { return m_state; }
    // True while an account is there to save, open or locked.
    bool HasAccount() const { return m_state != State::NoAccount; }
    // The account was read or created: it may be saved from now on.
    void SetOpen();
    // A lock hides the open account and an unlock shows it again; without one, nothing changes.
    void SetLocked(bool locked);
    // Closes the account: its contents and password are wiped, nothing is modified and nothing
    // is saved until the next one opens. The windows are told that it was emptied; the lists
    // are the caller's to refill.
    void CloseAccount();

    // What a save does when another program saved the account file since it was read here.
    enum class ForeignSave
    {
        Ask, // overwrite it only after Yes
        Keep // nobody is there to answer: keep it
    };
    // Writes the account file and then the settings file under the account's lock. False when
    // another program's save was kept (nothing written). Throws FileError on failure: the
    // account stays modified. Throws NoAccountError without an account.
    bool SaveAccount(ForeignSave foreignSave = ForeignSave::Ask);
    // Writes the settings file alone, under the account's lock. When another program saved the
    // account since, the account file and the settings file belong together: after Yes both are
    // written as a full save does, else nothing; false then. Throws as SaveAccount does.
    bool SaveSettingsFile();
    // The account file was just read: a later save compares the file on disk with this one.
    void RememberAccountFile();

    // Whether the open account's files are sealed; its key is kept with the account while it is
    // open, so saves derive nothing.
    bool IsSealed() const { return m_account.IsSealed(); }
    // The cost of a new seal: measured on this machine unless a test fixes a small one.
    void SetSealCost(SealCost cost) { m_sealCost = cost; }
    // Saves the account, then rewrites its files sealed (or plain) under the account's lock. Nothing
    // when another program's save was kept (nothing sealed). Throws as SaveAccount does.
    std::optional<SealChange::Result> SealAccount();
    std::optional<SealChange::Result> UnsealAccount();

    // What ending the program without anybody to answer did with the account's changes.
    enum class UnattendedEnd
    {
        NothingToSave, // no account, or nothing modified
        Saved,
        ForeignSaveKept,   // another program saved the account since: its file stays
        QuestionAnsweredNo // the program was asking whether to overwrite another program's save
    };
    // Ends the session for a termination signal: the account's unsaved changes are saved,
    // keeping another program's newer save, and from now on no save runs and every overwrite
    // question, the one open now too, is answered No. The contents stay until the program has
    // gone, as an interrupted command may still look at them. Throws FileError when the save
    // fails.
    UnattendedEnd EndUnattended();

    // Holds the immediate save while a command makes several changes: they are saved once,
    // when the outermost hold ends, so a command asks the overwrite question at most once.
    class SaveHold final
    {
    public:
        explicit SaveHold(AccountSession& session);
        ~SaveHold();
        Q_DISABLE_COPY_MOVE(SaveHold)

    private:
        AccountSession& m_session;
    };

    // Tells the windows that the account changed, and saves it at once when the settings say so
    // (during a command: when its hold ends).
    void AccountChanged();
    // Tells the windows that an account was opened (a login, a restore) or renamed.
    void AccountOpened();
    // Tells the windows that the account was emptied.
    void AccountCleared() { emit accountCleared(); }

    // Where the file dialogs start, by the kind of file they choose.
    RecentFolders& FileFolders() { return m_fileFolders; }

    // Opens a file, folder or address with the desktop (blanks around it trimmed).
    void ShellOpen(const QString& target);
    void ShowHelp();
    // Opens a record's URL as stored: an address without a scheme is a web address, not a file.
    void OpenStoredUrl(const QString& stored);

signals:
    void accountOpened();
    // The account was emptied for a switch or a delete: windows that show parts of it forget them.
    void accountCleared();
    void accountChanged();
    void settingsApplied();
    void languageSwitched();

private:
    // The account file on disk is not the one this program last read or wrote.
    bool AnotherProgramSaved(const AccountFilesWriter& writer) const;
    // Whether another program's save on disk may be overwritten: asked at most once while held.
    bool MayOverwrite(ForeignSave foreignSave);
    // Writes the account and settings files with the writer that holds the lock.
    void WriteAccountFiles(AccountFilesWriter& writer);
    void RequireAccount() const;
    // The immediate save the settings ask for, a failure reported.
    void SaveAtOnceIfAsked();
    // Seals under a new key from the password, or unseals when there is none.
    std::optional<SealChange::Result> ChangeSeal(std::optional<SealKey> sealUnder);

    Platform m_platform;
    TAccount m_account;
    State m_state = State::NoAccount;
    // The overwrite question is open: a save is on its way under the account's lock.
    bool m_asking = false;
    bool m_unattended = false;
    int m_saveHolds = 0;
    bool m_changedWhileHeld = false;
    bool m_keptWhileHeld = false; // the overwrite question of the held command was answered No
    // The account file as this program last read or wrote it.
    std::optional<FileIdentity> m_accountFileIdentity;
    AccountSettings m_settings;
    std::optional<SealCost> m_sealCost;
    ListWidthView* m_widthView = nullptr;
    IniLang m_lang;
    std::filesystem::path m_lanFile;
    // Qt's own texts (standard buttons, file, colour and font dialogs) in the same language.
    QtTranslation m_qtTranslation;
    ProgramFolders m_folders{};
    RecentFolders m_fileFolders;
};

} // namespace velmora
