#pragma once

#include "platform/Platform.h"

#include <memory>

namespace velmora {

class AccountSession;
class AutomationService;
class BackupCommands;
class SealCommands;
class EditingCommands;
class ExportCommands;
class ForeignImportCommand;
class SessionControl;
class TfrmAccountSet;
class TfrmFind;
class TfrmHealth;
class TfrmFolder;
class TfrmMain;
class TfrmPassGen;
class TfrmRecord;
class TrayIcon;

// The desktop program's windows and commands, wired together once: what the executable runs
// and what a test checks whole.
class DesktopProgram final
{
public:
    DesktopProgram(Platform platform, AutomationService& automation, TrayIcon& tray);
    ~DesktopProgram();
    DesktopProgram(const DesktopProgram&) = delete;
    DesktopProgram& operator=(const DesktopProgram&) = delete;

    AccountSession& Session() { return *m_session; }
    TfrmMain& Main() { return *m_main; }
    TfrmAccountSet& AccountDialog() { return *m_accountSet; }
    TfrmFind& SearchWindow() { return *m_find; }
    TfrmHealth& HealthWindow() { return *m_health; }
    // A second start wants the program in front: see SessionControl::BringToFront.
    void BringToFront();

private:
    // Declared in the order of construction: the session outlives every window, and the windows
    // and commands go before the main window their commands are bound to.
    std::unique_ptr<AccountSession> m_session;
    std::unique_ptr<TfrmMain> m_main;
    std::unique_ptr<TfrmAccountSet> m_accountSet;
    std::unique_ptr<TfrmPassGen> m_passGen;
    std::unique_ptr<TfrmFolder> m_folder;
    std::unique_ptr<TfrmRecord> m_record;
    std::unique_ptr<EditingCommands> m_editing;
    std::unique_ptr<BackupCommands> m_backups;
    std::unique_ptr<SealCommands> m_seals;
    std::unique_ptr<ForeignImportCommand> m_foreignImport;
    std::unique_ptr<ExportCommands> m_exports;
    std::unique_ptr<SessionControl> m_sessionControl;
    std::unique_ptr<TfrmFind> m_find;
    std::unique_ptr<TfrmHealth> m_health;
};

} // namespace velmora
