#include "gui/session/AccountSession.h"

#include "core/account/AccountDirectory.h"
#include "core/account/AccountFilesWriter.h"
#include "core/os/UrlToOpen.h"
#include "core/settings/LanguageChoice.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/DesktopLook.h"

#include <QScopeGuard>
#include <QStringList>

namespace velmora {

AccountSession::AccountSession(Platform platform, QObject* parent) : QObject(parent), m_platform(platform)
{
    m_account.OnChange = [this] { AccountChanged(); };
}

AccountSession::~AccountSession()
{
    m_account.OnChange = nullptr;
}

std::filesystem::path AccountSession::AccountFile(std::string_view extension) const
{
    return AccountFilePath(m_folders.userFiles, m_account.Name, extension);
}

QString AccountSession::Message(std::string_view key) const
{
    return FromCodePage(m_lang.GetMessageText(key));
}

QString AccountSession::FormatMessage(std::string_view key, std::initializer_list<std::string_view> arguments) const
{
    return FromCodePage(m_lang.FormatMessage(key, arguments));
}

void AccountSession::ShowMessageBox(const QString& text, MessageKind kind)
{
    // A one-line message stands below an empty first line.
    m_platform.messages.ShowMessage(kind, text.contains(QLatin1Char('\r')) ? text : QLatin1Char('\r') + text);
}

void AccountSession::ReportFailure(const std::exception& failure)
{
    // The language file's sentence, with the file and the system's reason as they came.
    const auto* fileError = dynamic_cast<const FileError*>(&failure);
    const auto* halfSaved = dynamic_cast<const SettingsNotReplacedError*>(&failure);
    QString text;
    QStringList arguments;
    if (halfSaved != nullptr) {
        text = Message("const_settings_not_written");
        arguments = {QString::fromStdString(halfSaved->AccountFileText()),
                     QString::fromStdString(halfSaved->FileText()), QString::fromStdString(halfSaved->Reason())};
    } else if (fileError != nullptr && !fileError->FileText().empty()) {
        text = Message("const_file_failed");
        arguments = {QString::fromStdString(fileError->FileText()), QString::fromStdString(fileError->Reason())};
    } else {
        text = Message("const_command_failed");
        arguments = {QString::fromUtf8(failure.what())};
    }
    for (const QString& argument : arguments) {
        const qsizetype at = text.indexOf(QLatin1String("%s"));
        if (at < 0) {
            break;
        }
        text.replace(at, 2, argument);
    }
    ShowMessageBox(text, MessageKind::Error);
}

void AccountSession::ReportRefusedCharacter(char32_t character)
{
    ShowMessageBox(Message("const_bad_char") + CharacterText(character), MessageKind::Warning);
}

bool AccountSession::ApplyLanguage()
{
    try {
        // A chosen file that was deleted since falls back to Default.lng, and a text the chosen
        // file lacks comes from the English one, so no message is ever shown without its text.
        m_lang.Open(m_folders.programFiles, m_lanFile);
    } catch (const std::exception&) {
        ShowMessageBox(Message("const_err_lan"), MessageKind::Error);
        return false;
    }
    m_qtTranslation.Apply(m_lang);
    emit languageSwitched();
    return true;
}

void AccountSession::SetLanguageFile(const std::filesystem::path& path)
{
    const std::filesystem::path previous = m_lanFile;
    m_lanFile = path;
    if (!ApplyLanguage()) {
        m_lanFile = previous;
        return;
    }
    WriteLanguageChoice(m_folders.userFiles, m_lanFile); // a failed write keeps the earlier choice
}

void AccountSession::StartLanguage()
{
    m_lanFile.clear();
    ApplyLanguage();
    m_lanFile = ReadLanguageChoice(m_folders.userFiles, m_lanFile);
    ApplyLanguage();
}

AccountSettings AccountSession::Settings() const
{
    AccountSettings settings = m_settings;
    if (m_widthView != nullptr) {
        m_widthView->ReadListWidths(settings);
    }
    return settings;
}

void AccountSession::SetSettings(const AccountSettings& settings)
{
    m_settings = settings;
    if (m_widthView != nullptr) {
        m_widthView->SetListWidths(settings);
    }
}

void AccountSession::ApplySettings()
{
    // The language file is read again, so an edited file shows without a restart; before the
    // start-up sequence there is none to read.
    if (!m_folders.programFiles.empty()) {
        ApplyLanguage();
    }
    emit settingsApplied();
}

SettingsLoad AccountSession::LoadSettings()
{
    AccountSettings settings = Settings();
    const SettingsLoad load =
        ::velmora::LoadSettings(AccountFile(kSettingsExtension), m_account.Password, settings, m_account.Seal());
    if (load.result == SettingsLoad::Result::Missing) {
        return load;
    }
    // A font the lists cannot take leaves that part of the font as it was.
    if (settings.FontName.empty()) {
        settings.FontName = m_settings.FontName;
    }
    if (settings.FontSize < kMinFontPoints || settings.FontSize > kMaxFontPoints) {
        settings.FontSize = m_settings.FontSize;
    }
    SetSettings(settings);
    return load;
}

void AccountSession::LoadAndApplySettings()
{
    const SettingsLoad load = LoadSettings();
    if (load.result == SettingsLoad::Result::Missing) {
        return;
    }
    ApplySettings();
    // Silently using other values than the file's would hide that it no longer matches the
    // account; a file read part-way says where it stops, so the values before it are known.
    if (load.result == SettingsLoad::Result::Damaged) {
        ShowMessageBox(FormatMessage("const_settings_damaged", {load.stoppedAt}), MessageKind::Warning);
    } else if (load.result == SettingsLoad::Result::Unreadable) {
        ShowMessageBox(Message("const_settings_unreadable"), MessageKind::Warning);
    } else if (load.result == SettingsLoad::Result::SealChanged) {
        ShowMessageBox(Message("const_sealed_settings_changed"), MessageKind::Warning);
    }
}

void AccountSession::ResetSettings()
{
    SetSettings(AccountSettings{});
    ApplySettings();
}

void AccountSession::SetOpen()
{
    m_state = State::Open;
}

void AccountSession::SetLocked(bool locked)
{
    if (HasAccount()) {
        m_state = locked ? State::Locked : State::Open;
    }
}

void AccountSession::CloseAccount()
{
    m_state = State::NoAccount;
    m_accountFileIdentity.reset();
    m_account.Close();
    m_account.Modified = false;
    AccountCleared();
}

void AccountSession::RequireAccount() const
{
    if (!HasAccount()) {
        throw NoAccountError();
    }
}

bool AccountSession::AnotherProgramSaved(const AccountFilesWriter& writer) const
{
    const std::optional<FileIdentity> onDisk = writer.AccountFileIdentity();
    return onDisk && m_accountFileIdentity && *onDisk != *m_accountFileIdentity;
}

bool AccountSession::MayOverwrite(ForeignSave foreignSave)
{
    if (foreignSave == ForeignSave::Keep || m_unattended) {
        return false;
    }
    // One command asks once: a No holds for the rest of it.
    if (m_saveHolds > 0 && m_keptWhileHeld) {
        return false;
    }
    m_asking = true;
    const auto asked = qScopeGuard([this] { m_asking = false; });
    // A termination while the question is open answers it: nobody was there to say Yes.
    const bool yes = m_platform.messages.AskYesNoWarning(Message("const_file_changed")) == Answer::Yes && !m_unattended;
    if (m_saveHolds > 0) {
        m_keptWhileHeld = !yes;
    }
    return yes;
}

void AccountSession::WriteAccountFiles(AccountFilesWriter& writer)
{
    writer.SealWith(m_account.Seal());
    writer.StageAccount(m_account.FileContent());
    writer.StageSettings(SettingsFileText(Settings(), m_account.Password));
    try {
        m_accountFileIdentity = writer.Commit();
    } catch (const SettingsNotReplacedError&) {
        // The account file on disk is this program's new one: the next save, which writes both
        // files again, must not take it for another program's.
        m_accountFileIdentity = writer.AccountFileIdentity();
        throw;
    }
    m_account.MarkSaved();
}

bool AccountSession::SaveAccount(ForeignSave foreignSave)
{
    RequireAccount();
    AccountFilesWriter writer(m_folders.userFiles, m_account.Name);
    if (AnotherProgramSaved(writer) && !MayOverwrite(foreignSave)) {
        return false;
    }
    WriteAccountFiles(writer);
    return true;
}

bool AccountSession::SaveSettingsFile()
{
    RequireAccount();
    AccountFilesWriter writer(m_folders.userFiles, m_account.Name);
    if (AnotherProgramSaved(writer)) {
        // Its account file may be under another password: settings written under this one beside
        // it would not read. Both files are this program's again, or neither.
        if (!MayOverwrite(ForeignSave::Ask)) {
            return false;
        }
        WriteAccountFiles(writer);
        return true;
    }
    writer.SealWith(m_account.Seal());
    writer.StageSettings(SettingsFileText(Settings(), m_account.Password));
    writer.Commit();
    return true;
}

std::optional<SealChange::Result> AccountSession::SealAccount()
{
    RequireAccount();
    // About half a second of Argon2id for each open: slow for a guesser, unnoticed by the user.
    const SealCost cost = m_sealCost.value_or(ChooseSealCost(std::chrono::milliseconds(500)));
    return ChangeSeal(SealKey::Derive(m_account.Password, cost));
}

std::optional<SealChange::Result> AccountSession::UnsealAccount()
{
    RequireAccount();
    return ChangeSeal(std::nullopt);
}

std::optional<SealChange::Result> AccountSession::ChangeSeal(std::optional<SealKey> sealUnder)
{
    // The files then hold what is shown, under the password in use.
    if (!SaveAccount()) {
        return std::nullopt;
    }
    const SealChange change =
        sealUnder ? SealAccountFiles(m_folders.userFiles, m_account.Name, m_account.Password, *sealUnder)
                  : UnsealAccountFiles(m_folders.userFiles, m_account.Name, m_account.Password, m_account.Seal());
    if (change.result == SealChange::Result::Done) {
        m_account.SetSeal(std::move(sealUnder));
        m_accountFileIdentity = change.accountFile;
        AccountOpened(); // the caption tells whether it is sealed
    }
    return change.result;
}

void AccountSession::RememberAccountFile()
{
    m_accountFileIdentity = IdentityOf(AccountFile(kAccountExtension));
}

AccountSession::UnattendedEnd AccountSession::EndUnattended()
{
    m_unattended = true;
    // Whatever happens below, nothing is saved after the end.
    const auto ended = qScopeGuard([this] { m_state = State::NoAccount; });
    if (m_asking) {
        // The save on its way holds the account's lock and takes the answer No when the
        // question returns; a second save here would only wait for that lock.
        return UnattendedEnd::QuestionAnsweredNo;
    }
    if (!HasAccount() || !m_account.Modified) {
        return UnattendedEnd::NothingToSave;
    }
    return SaveAccount(ForeignSave::Keep) ? UnattendedEnd::Saved : UnattendedEnd::ForeignSaveKept;
}

AccountSession::SaveHold::SaveHold(AccountSession& session) : m_session(session)
{
    ++m_session.m_saveHolds;
}

AccountSession::SaveHold::~SaveHold()
{
    if (m_session.m_saveHolds == 1 && m_session.m_changedWhileHeld) {
        m_session.SaveAtOnceIfAsked();
    }
    if (--m_session.m_saveHolds == 0) {
        m_session.m_changedWhileHeld = false;
        m_session.m_keptWhileHeld = false;
    }
}

void AccountSession::SaveAtOnceIfAsked()
{
    if (!m_account.Modified || !m_settings.cbSaveMod || m_account.IsReading() || m_state != State::Open) {
        return;
    }
    // A failed save is reported here, so the command that made the change still finishes
    // refilling its lists; the account stays modified and marked.
    try {
        SaveAccount();
    } catch (const std::exception& error) {
        ReportFailure(error);
    }
}

void AccountSession::AccountChanged()
{
    emit accountChanged();
    if (!m_account.Modified) {
        return;
    }
    if (m_saveHolds > 0) {
        m_changedWhileHeld = true;
        return;
    }
    SaveAtOnceIfAsked();
}

void AccountSession::AccountOpened()
{
    emit accountOpened();
}

void AccountSession::ShellOpen(const QString& target)
{
    m_platform.shell.Open(target.trimmed());
}

void AccountSession::OpenStoredUrl(const QString& stored)
{
    const QUrl url = UrlToOpen(stored);
    if (!url.isEmpty()) {
        m_platform.shell.Open(url.toString());
    }
}

void AccountSession::ShowHelp()
{
    ShellOpen(QString::fromStdU16String((m_folders.programFiles / "Help" / "Help.eng.htm").u16string()));
}

} // namespace velmora
