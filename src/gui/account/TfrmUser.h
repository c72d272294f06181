#pragma once

#include <QDialog>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;

namespace velmora {

class TfrmMain;

// The name-and-password dialog: changes the open account's name, password and password hint
// in one step and writes the account anew under them.
class TfrmUser final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmUser)

public:
    explicit TfrmUser(TfrmMain& main);

    void FormShow();
    void butOkClick();
    void butCancelClick();
    void butHelpClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The field's text in the code page; nothing (after telling the user) when it holds a
    // character the code page cannot.
    std::optional<std::string> FieldBytes(const QString& text);
    // The refusals that leave everything as it was; true when the change may go ahead.
    bool CheckFields(const std::string& name);
    // Writes the account under its new name and password; on failure the previous ones are
    // back in memory and the error was shown.
    bool SaveUnderNewName(std::string name, std::string password);
    bool StoreHint(const std::string& name);

    TfrmMain& m_main;
    QLineEdit* m_edName = nullptr;
    QLineEdit* m_edPass1 = nullptr;
    QLineEdit* m_edPass2 = nullptr;
    QLineEdit* m_edHint = nullptr;
    QPushButton* m_butOk = nullptr;
    QPushButton* m_butCancel = nullptr;
    QPushButton* m_butHelp = nullptr;
};

// Shows which files of an account could not be deleted.
void ReportFilesLeft(TfrmMain& main, const std::vector<std::filesystem::path>& files);

} // namespace velmora
