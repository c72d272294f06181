#include "gui/account/SessionControl.h"

#include "core/account/AccountFiles.h"
#include "gui/account/ReportFilesLeft.h"
#include "gui/account/TfrmAbout.h"
#include "gui/account/TfrmAccountSet.h"
#include "gui/account/TfrmTray.h"
#include "gui/account/TfrmUser.h"
#include "gui/browser/AccountLists.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"
#include "gui/settings/TfrmOptions.h"
#include "gui/widgets/CodePageText.h"
#include "platform/TrayIcon.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>

namespace velmora {

SessionControl::SessionControl(AccountSession& session, AccountLists& lists, CommandTable& commands, QWidget& window,
                               TfrmAccountSet& accountDialog, TrayIcon& tray)
    : m_session(session), m_lists(lists), m_window(window), m_accountDialog(accountDialog), m_tray(tray),
      m_endProgram([] { QCoreApplication::exit(0); })
{
    m_frmUser = std::make_unique<TfrmUser>(session, window);
    m_frmAbout = std::make_unique<TfrmAbout>(session, *accountDialog.findChild<QLabel*>(QStringLiteral("Image1")));
    m_frmTray = std::make_unique<TfrmTray>(
        session, TfrmTray::Actions{[this] { RestoreFromTray(); }, [this] { Relock(); }, [this] { ExitFromTray(); }});

    commands.Bind("mChangeUser", *this, [this] { butChooseUserClick(); });
    commands.Bind("mSaveAcc", *this, [this] { mSaveAccClick(); });
    commands.Bind("mDelAcc", *this, [this] { mDelAccClick(); });
    commands.Bind("mTray", *this, [this] { LockToTray(); });
    commands.Bind("mChangePass", *this, [this] { mChangePassClick(); });
    commands.Bind("mAbout", *this, [this] { mAboutClick(); });
    commands.Bind("mContent", *this, [this] { mContentClick(); });
    commands.Bind("mExit", *this, [this] { m_window.close(); });

    m_window.installEventFilter(this);
    m_tray.SetUsedHandler([this] { ActivateFromTray(); });
}

SessionControl::~SessionControl()
{
    m_tray.SetUsedHandler({});
    m_tray.RemoveIcon();
}

bool SessionControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Close) {
        if (!FormCloseQuery()) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool SessionControl::SaveReported()
{
    try {
        if (!m_session.SaveAccount()) {
            return false; // the user kept another program's changes on disk
        }
    } catch (const std::exception& failure) {
        m_session.ReportFailure(failure);
        return false;
    }
    m_session.AccountChanged(); // the modified mark goes
    return true;
}

bool SessionControl::Locked() const
{
    return m_session.CurrentState() == AccountSession::State::Locked;
}

bool SessionControl::AskSaveChanges()
{
    if (!m_session.HasAccount() || !m_session.Account().Modified) {
        return true;
    }
    switch (m_session.Services().messages.AskYesNoCancel(QLatin1Char('\r') + m_session.Message("const_do_save"))) {
    case Answer::Yes:
        return SaveReported();
    case Answer::No:
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

bool SessionControl::FormCloseQuery()
{
    if (!AskSaveChanges()) {
        return false;
    }
    m_endProgram();
    return true;
}

void SessionControl::mSaveAccClick()
{
    SaveReported();
}

void SessionControl::butChooseUserClick()
{
    SwitchAccount(true);
}

void SessionControl::SwitchAccount(bool ask)
{
    // A failed save stops here, with the account open and still modified.
    if (ask && !AskSaveChanges()) {
        return;
    }
    try {
        ClearAccount();
        m_window.hide();
        m_session.Services().dialogs.RunModal(m_accountDialog);
    } catch (const std::exception&) {
        m_session.ShowMessageBox(m_session.Message("const_err_user"), MessageKind::Error);
        m_endProgram();
    }
}

void SessionControl::ClearAccount()
{
    // Nothing of this account, and none of its person's options, may reach the next one.
    for (QWidget* window : OtherVisibleWindows()) {
        window->close();
    }
    m_session.CloseAccount();
    m_session.ResetSettings();
    m_lists.FillFolderList(false);
    m_lists.FillRecordList(false);
    m_session.AccountChanged();
}

void SessionControl::mDelAccClick()
{
    TAccount& account = m_session.Account();
    const std::string name = account.Name;
    if (m_session.Services().messages.AskYesNoWarning(m_session.Message("const_delete_account")) != Answer::Yes) {
        return;
    }
    // Masked, and as long as a password can be.
    const std::optional<QString> typed =
        m_session.Services().input.InputBox(m_session.Message("const_account") + FromCodePage(name),
                                            m_session.Message("const_enter_pass"), QString(), true);
    if (!typed) {
        m_session.ShowMessageBox(m_session.Message("const_break_user"), MessageKind::Information);
        return;
    }
    const CodePageBytes password = ToCodePage(*typed);
    if (password.refused || password.bytes != account.Password) {
        m_session.ShowMessageBox(m_session.Message("const_acc_wrong_pass") + QLatin1Char('\r') +
                                     m_session.Message("const_cancelled"),
                                 MessageKind::Warning);
        return;
    }
    const std::vector<std::filesystem::path> left = DeleteAccountFiles(m_session.UserFilesDir(), name);
    if (!left.empty()) {
        ReportFilesLeft(m_session, left);
        return;
    }
    m_session.ShowMessageBox(m_session.FormatMessage("const_acc_deleted", {name}), MessageKind::Information);
    SwitchAccount(false);
}

std::vector<QWidget*> SessionControl::OtherVisibleWindows() const
{
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = widget->windowType();
        if (widget != &m_window && widget != m_frmTray.get() && widget->isVisible() && type != Qt::ToolTip &&
            type != Qt::Popup) {
            windows.push_back(widget);
        }
    }
    return windows;
}

void SessionControl::LockToTray()
{
    if (m_session.Settings().cbSaveBeforeTray && !SaveReported()) {
        return; // not locked: the changes are not on disk yet
    }
    m_session.SetLocked(true);
    m_hiddenByLock.clear();
    for (QWidget* window : OtherVisibleWindows()) {
        m_hiddenByLock.emplace_back(window);
        window->hide();
    }
    m_window.hide();
    if (m_tray.IsAvailable()) {
        m_tray.ShowIcon(m_window.windowTitle().left(kMaxTrayTooltip));
    } else {
        // No notification area to come back from: the unlock dialog is the way back.
        m_frmTray->showNormal();
    }
}

void SessionControl::ActivateFromTray()
{
    if (!Locked()) {
        return;
    }
    if (!m_session.Settings().cbTray) {
        RestoreFromTray();
        return;
    }
    if (m_frmTray->isMinimized()) {
        m_frmTray->showNormal();
    }
    m_frmTray->show();
    m_frmTray->raise();
    m_frmTray->activateWindow();
}

void SessionControl::RestoreFromTray()
{
    m_tray.RemoveIcon();
    m_session.SetLocked(false);
    m_window.show();
    for (const QPointer<QWidget>& window : m_hiddenByLock) {
        if (window) {
            window->show();
        }
    }
    m_hiddenByLock.clear();
    m_session.AccountOpened();
}

void SessionControl::BringToFront()
{
    if (Locked()) {
        // The way back goes through the password, as a click on the notification-area icon.
        ActivateFromTray();
        return;
    }
    // A dialog in front (the account dialog at start) is what the person has to answer.
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr && m_window.isVisible()) {
        window = &m_window;
    }
    if (window == nullptr) {
        return;
    }
    if (window->isMinimized()) {
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    }
    window->raise();
    window->activateWindow();
}

void SessionControl::Relock()
{
    m_window.hide();
    if (!m_tray.IsAvailable()) {
        // With no notification area to come back from, and perhaps no taskbar either, the
        // unlock dialog stays on screen as the one way back.
        m_frmTray->showNormal();
        m_frmTray->raise();
    }
}

void SessionControl::ExitFromTray()
{
    m_tray.RemoveIcon();
    m_endProgram();
}

void SessionControl::mChangePassClick()
{
    m_session.Services().dialogs.RunModal(*m_frmUser);
}

void SessionControl::mAboutClick()
{
    m_frmAbout->ShowOrRaise();
}

void SessionControl::mContentClick()
{
    m_session.ShowHelp();
}

} // namespace velmora
