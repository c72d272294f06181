#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace velmora {

class AccountLists;
class AccountSession;
class CommandTable;
class TfrmAbout;
class TfrmAccountSet;
class TfrmTray;
class TfrmUser;
class TrayIcon;

// The open account as a whole: saving it, the save question when the program closes,
// switching to another account, deleting it, locking the program behind the notification-area
// icon and unlocking it; also the account menu's name-and-password dialog, the About box and
// the help page. Wires itself to the main window's menu items.
class SessionControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionControl)

public:
    SessionControl(AccountSession& session, AccountLists& lists, CommandTable& commands, QWidget& window,
                   TfrmAccountSet& accountDialog, TrayIcon& tray);
    ~SessionControl() override;

    // What ends the program; by default the application's event loop is left.
    void SetEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }

    TfrmUser& UserDialog() { return *m_frmUser; }
    TfrmAbout& AboutBox() { return *m_frmAbout; }
    TfrmTray& UnlockDialog() { return *m_frmTray; }
    bool Locked() const;

    // True when the caller may go on: nothing to save, saved, or not to be saved.
    bool AskSaveChanges();
    // The main window's close request; true when it may close (the program then ends).
    bool FormCloseQuery();
    void mSaveAccClick();
    void butChooseUserClick();
    void SwitchAccount(bool ask);
    void mDelAccClick();
    void LockToTray();
    void ActivateFromTray();
    void RestoreFromTray();
    // A second start of the program wants it in front: a minimised window comes back, and a
    // locked program shows its unlock dialog.
    void BringToFront();
    void mChangePassClick();
    void mAboutClick();
    void mContentClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Saves and refreshes the modified mark; a failure is shown and gives false.
    bool SaveReported();
    void ClearAccount();
    // Top-level windows of the program other than the main window and the unlock dialog.
    std::vector<QWidget*> OtherVisibleWindows() const;
    void Relock();
    void ExitFromTray();

    AccountSession& m_session;
    AccountLists& m_lists;
    // The main window: hidden by a lock, closed by Exit.
    QWidget& m_window;
    TfrmAccountSet& m_accountDialog;
    TrayIcon& m_tray;
    std::unique_ptr<TfrmUser> m_frmUser;
    std::unique_ptr<TfrmAbout> m_frmAbout;
    std::unique_ptr<TfrmTray> m_frmTray;
    std::function<void()> m_endProgram;
    // The windows a lock hid, shown again by the restore.
    std::vector<QPointer<QWidget>> m_hiddenByLock;
};

// The notification area holds a tooltip of at most this many characters.
inline constexpr int kMaxTrayTooltip = 63;

} // namespace velmora
