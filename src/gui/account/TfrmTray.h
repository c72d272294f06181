#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class AccountSession;

// The unlock dialog of a locked program: the account password brings the windows back.
// It is not modal and closes only through its own buttons.
class TfrmTray final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmTray)

public:
    struct Actions
    {
        std::function<void()> restore; // the right password was given
        std::function<void()> relock;  // Cancel: stay locked
        std::function<void()> exit;    // Exit: end the program at once
    };

    TfrmTray(AccountSession& session, Actions actions);

    bool CanCloseTray() const { return m_canCloseTray; }

    void FormShow();
    void butOkClick();
    void butCancelClick();
    void butExitClick();

    // Esc is Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CloseByButton();

    AccountSession& m_session;
    Actions m_actions;
    bool m_canCloseTray = false;

    QLabel* m_labInfo = nullptr;
    QLineEdit* m_edPass = nullptr;
    QPushButton* m_butOk = nullptr;
    QPushButton* m_butCancel = nullptr;
    QPushButton* m_butExit = nullptr;
};

} // namespace velmora
