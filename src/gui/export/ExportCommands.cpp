#include "gui/export/ExportCommands.h"

#include "core/account/AccountDirectory.h"
#include "core/export/ExportFile.h"
#include "core/export/OfficeExport.h"
#include "core/os/FileExists.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"

#include <QAction>
#include <openssl/crypto.h>

namespace velmora {
namespace {

std::filesystem::path LocalPath(const QString& file)
{
    return std::filesystem::path(file.toStdU16String());
}

} // namespace

ExportCommands::ExportCommands(AccountSession& session, CommandTable& commands, AutomationService& automation,
                               std::function<std::string()> moment)
    : m_session(session), m_automation(automation), m_moment(std::move(moment))
{
    commands.Bind("mText", *this, [this] { mTextClick(); });
    commands.Bind("MicrosoftExcel1", *this, [this] { MicrosoftExcel1Click(); });
    commands.Bind("MicrosoftWord1", *this, [this] { MicrosoftWord1Click(); });
}

TextExportOptions ExportCommands::Options() const
{
    const AccountSettings settings = m_session.Settings();
    return {.Heading = settings.cbHat, .FieldLabels = settings.cbExpHeaders, .SkipEmpty = settings.cbSkipEmpty};
}

void ExportCommands::mTextClick()
{
    Platform& platform = m_session.Services();
    RecentFolders& folders = m_session.FileFolders();
    const std::optional<QString> chosen =
        platform.files.SaveFile(m_session.Message("const_exp_text"), folders.StartFolder(FileKind::TextExport),
                                QString(), m_session.Message("const_exp_txt_filter"));
    if (!chosen) {
        return;
    }
    folders.RememberFile(FileKind::TextExport, *chosen);
    std::filesystem::path file = LocalPath(*chosen);
    if (!file.has_extension()) {
        file += ".txt";
    }
    if (FileExists(file) &&
        platform.messages.AskYesNoWarning(QLatin1Char('\r') + m_session.Message("const_overwrite")) != Answer::Yes) {
        return;
    }
    std::string text;
    try {
        text = TextExport(m_session.Account(), Options(), ExportTexts(m_session.Lang()), m_moment());
        WriteExportFile(file, text, UsersDirectory(m_session.UserFilesDir()));
    } catch (const ExportRefused&) {
        m_session.ShowMessageBox(m_session.Message("const_exp_users"), MessageKind::Error);
    } catch (const std::exception&) {
        m_session.ShowMessageBox(m_session.Message("const_err_exp"), MessageKind::Error);
    }
    OPENSSL_cleanse(text.data(), text.size());
}

void ExportCommands::OfficeExport(const char* errorKey,
                                  void (*exportTo)(AutomationService&, const TAccount&, const TextExportOptions&,
                                                   const TextExportTexts&, const std::string&))
{
    try {
        exportTo(m_automation, m_session.Account(), Options(), ExportTexts(m_session.Lang()), m_moment());
    } catch (const std::exception&) {
        m_session.ShowMessageBox(m_session.Message(errorKey), MessageKind::Error);
    }
}

void ExportCommands::MicrosoftExcel1Click()
{
    OfficeExport("const_err_exp_excel", ExportToSpreadsheet);
}

void ExportCommands::MicrosoftWord1Click()
{
    OfficeExport("const_err_exp_word", ExportToDocument);
}

} // namespace velmora
