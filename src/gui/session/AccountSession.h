#pragma once

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
#include <string_view>

namespace velmora {

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
    // Every setting back to its design default, shown. Called when the account is cleared
    // (switch, delete) and before the clearing, so the next account inherits nothing and no
    // immediate save runs during the clear.
    void ResetSettings();

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

    // Tells the windows that the account changed, and saves it at once when the settings say so.
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
    Platform m_platform;
    TAccount m_account;
    // The account file as this program last read or wrote it.
    std::optional<FileIdentity> m_accountFileIdentity;
    AccountSettings m_settings;
    ListWidthView* m_widthView = nullptr;
    IniLang m_lang;
    std::filesystem::path m_lanFile;
    // Qt's own texts (standard buttons, file, colour and font dialogs) in the same language.
    QtTranslation m_qtTranslation;
    ProgramFolders m_folders{};
    RecentFolders m_fileFolders;
};

} // namespace velmora
