#include "gui/program/DesktopProgram.h"

#include "gui/account/BackupCommands.h"
#include "gui/account/ForeignImportCommand.h"
#include "gui/account/SessionControl.h"
#include "gui/account/TfrmAccountSet.h"
#include "gui/browser/EditingCommands.h"
#include "gui/browser/TfrmFind.h"
#include "gui/browser/TfrmFolder.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/export/ExportCommands.h"
#include "gui/generator/TfrmPassGen.h"
#include "gui/main/TfrmMain.h"

namespace velmora {

DesktopProgram::DesktopProgram(Platform platform, AutomationService& automation, TrayIcon& tray)
    : m_main(std::make_unique<TfrmMain>(platform))
{
    m_accountSet = std::make_unique<TfrmAccountSet>(*m_main);
    m_main->SetAccountDialog(m_accountSet.get());
    m_passGen = std::make_unique<TfrmPassGen>(*m_main);
    m_folder = std::make_unique<TfrmFolder>(*m_main);
    m_record = std::make_unique<TfrmRecord>(*m_main, *m_passGen);
    m_editing = std::make_unique<EditingCommands>(*m_main, *m_folder, *m_record, *m_passGen);
    m_backups = std::make_unique<BackupCommands>(*m_main);
    m_foreignImport = std::make_unique<ForeignImportCommand>(*m_main);
    m_exports = std::make_unique<ExportCommands>(*m_main, automation);
    m_session = std::make_unique<SessionControl>(*m_main, *m_accountSet, tray);
    m_find = std::make_unique<TfrmFind>(*m_main, *m_record);
    // Search results name records of the account they were found in.
    QObject::connect(m_session.get(), &SessionControl::AccountCleared, m_find.get(), &TfrmFind::ForgetResults);
    QObject::connect(m_backups.get(), &BackupCommands::AccountReplaced, m_find.get(), &TfrmFind::ForgetResults);
}

DesktopProgram::~DesktopProgram() = default;

} // namespace velmora
