#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace velmora {

class AccountSession;
class StrengthBar;

// The name-and-password dialog: changes the open account's name, password and password hint
// in one step and writes the account anew under them.
class TfrmUser final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmUser)

public:
    TfrmUser(AccountSession& session, QWidget& owner);

    void FormShow();
    void butOkClick();
    void butCancelClick();
    void butHelpClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The refusals that leave everything as it was; true when the change may go ahead.
    bool CheckFields(const std::string& name);
    // Writes the account under its new name and password; on failure the previous ones are
    // back in memory and the error was shown.
    bool SaveUnderNewName(std::string name, std::string password);
    bool StoreHint(const std::string& name);

    AccountSession& m_session;
    // Tells the user about a typed character the code page cannot hold.
    const std::function<void(char32_t)> m_reportRefused;
    QLineEdit* m_edName = nullptr;
    QLineEdit* m_edPass1 = nullptr;
    QLineEdit* m_edPass2 = nullptr;
    QLineEdit* m_edHint = nullptr;
    StrengthBar* m_strength = nullptr;
    QPushButton* m_butOk = nullptr;
    QPushButton* m_butCancel = nullptr;
    QPushButton* m_butHelp = nullptr;
};

} // namespace velmora
