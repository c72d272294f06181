#include "gui/program/DesktopProgram.h"

#include "gui/account/BackupCommands.h"
#include "gui/account/ForeignImportCommand.h"
#include "gui/account/SealCommands.h"
#include "gui/account/SessionControl.h"
#include "gui/account/TfrmAccountSet.h"
#include "gui/browser/AccountLists.h"
#include "gui/browser/EditingCommands.h"
#include "gui/browser/TfrmFind.h"
#include "gui/browser/TfrmFolder.h"
#include "gui/browser/TfrmHealth.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/commands/CommandTable.h"
#include "gui/export/ExportCommands.h"
#include "gui/generator/TfrmPassGen.h"
#include "gui/main/TfrmMain.h"
#include "gui/session/AccountSession.h"

namespace velmora {

DesktopProgram::DesktopProgram(Platform platform, AutomationService& automation, TrayIcon& tray)
    : m_session(std::make_unique<AccountSession>(platform)), m_main(std::make_unique<TfrmMain>(*m_session))
{
    AccountSession& session = *m_session;
    AccountLists& lists = m_main->Lists();
    CommandTable& commands = m_main->Commands();
    m_accountSet = std::make_unique<TfrmAccountSet>(session, lists, *m_main);
    m_main->SetAccountDialog(m_accountSet.get());
    m_passGen = std::make_unique<TfrmPassGen>(session, *m_main);
    m_folder = std::make_unique<TfrmFolder>(session, lists, *m_main);
    m_record = std::make_unique<TfrmRecord>(session, lists, *m_main, *m_passGen);
    m_editing = std::make_unique<EditingCommands>(session, lists, commands, *m_folder, *m_record, *m_passGen);
    m_backups = std::make_unique<BackupCommands>(session, lists, commands, m_main.get());
    m_seals = std::make_unique<SealCommands>(session, commands, m_main.get());
    m_foreignImport = std::make_unique<ForeignImportCommand>(session, lists, commands);
    m_exports = std::make_unique<ExportCommands>(session, commands, automation);
    m_sessionControl = std::make_unique<SessionControl>(session, lists, commands, *m_main, *m_accountSet, tray);
    m_find = std::make_unique<TfrmFind>(session, lists, commands, *m_main, *m_record);
    m_health = std::make_unique<TfrmHealth>(session, lists, commands, *m_main, *m_record);
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::BringToFront()
{
    m_sessionControl->BringToFront();
}

} // namespace velmora
