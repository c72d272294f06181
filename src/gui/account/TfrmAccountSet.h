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

class TfrmMain;

// The account dialog: choose an account and type its password to open it, or create a new
// one. Leaving it without an account ends the program.
class TfrmAccountSet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmAccountSet)

public:
    explicit TfrmAccountSet(TfrmMain& main);

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
    // The field's text in the code page; nothing (after telling the user) when it holds a
    // character the code page cannot.
    std::optional<std::string> FieldBytes(const QString& text);
    void ShowOpenedAccount(bool selectFirstFolder);

    TfrmMain& m_main;
    bool m_accountOpened = false;
    std::function<void()> m_endProgram;

    QComboBox* m_edUser = nullptr;
    QLineEdit* m_edPass = nullptr;
    QToolButton* m_butHint = nullptr;
    QPushButton* m_butNew = nullptr;
    QPushButton* m_butOk = nullptr;
    QPushButton* m_butExit = nullptr;
    QPushButton* m_butHelp = nullptr;
};

} // namespace velmora
