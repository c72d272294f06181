#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace velmora {

class AccountLists;
class AccountSession;
class StrengthBar;
class SuffixDelegate;

// The account dialog: choose an account and type its password to open it, or create a new
// one. Leaving it without an account ends the program.
class TfrmAccountSet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmAccountSet)

public:
    // `window` is the main window, shown with the account opened.
    TfrmAccountSet(AccountSession& session, AccountLists& lists, QWidget& window);

    bool AccountOpened() const { return m_accountOpened; }
    // What ends the program; by default the application's event loop is left.
    void SetEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }

    void FormShow();
    void butOkClick();
    void butNewClick();
    void butHintClick();
    void butExitClick();
    void butHelpClick();
    void FormClose();

    bool CheckCredentials();

    // Esc is the Exit button.
    void reject() override;
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowOpenedAccount(bool selectFirstFolder);
    // Says so and returns true when something else than a file is where the account file belongs.
    bool ReportAccountFileIsNoFile();
    // A read or a create failed: no account is open, and the lists show none.
    void CloseAccount();

    AccountSession& m_session;
    AccountLists& m_lists;
    QWidget& m_window;
    // Tells the user about a typed character the code page cannot hold.
    const std::function<void(char32_t)> m_reportRefused;
    bool m_accountOpened = false;
    std::function<void()> m_endProgram;

    QComboBox* m_edUser = nullptr;
    SuffixDelegate* m_userListLook = nullptr; // marks the sealed accounts
    QLineEdit* m_edPass = nullptr;
    QToolButton* m_butHint = nullptr;
    StrengthBar* m_strength = nullptr;
    QPushButton* m_butNew = nullptr;
    QPushButton* m_butOk = nullptr;
    QPushButton* m_butExit = nullptr;
    QPushButton* m_butHelp = nullptr;
};

} // namespace velmora
