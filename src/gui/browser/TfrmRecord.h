#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace velmora {

class AccountLists;
class AccountSession;
class TfrmPassGen;

// The record dialog: a new record, an existing one to edit, or one to look at.
class TfrmRecord final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmRecord)

public:
    enum Mode : std::uint8_t
    {
        NewRecord = 0,
        EditRecord = 1,
        ViewRecord = 2
    };

    TfrmRecord(AccountSession& session, AccountLists& lists, QWidget& owner, TfrmPassGen& passGen);
    ~TfrmRecord() override;

    // Gives the dialog a new task. A window still open for viewing is closed first, and the
    // fields show the new task at once.
    void SetTask(Mode mode, std::uint16_t folderIndex, std::string recordKey);
    // Shows the dialog modally for its task.
    void RunTask(Mode mode, std::uint16_t folderIndex, std::string recordKey);
    // Shows a record for viewing without waiting for the window.
    void View(std::uint16_t folderIndex, std::string recordKey);

    Mode DialogMode() const { return m_dialogMode; }
    std::uint16_t FolderIndex() const { return m_folderIndex; }
    const std::string& RecordKey() const { return m_recordKey; }

    void FormShow();
    bool CheckName();
    void butOKClick();
    void butCancelClick();
    void butCopyLoginClick();
    void butIdClick();
    void butCopyPassClick();
    void butCopyURlClick();
    void butNavigateClick();
    void butGenPassClick();

    QLineEdit& PasswordField() const { return *m_edPass; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CopyField(const QLineEdit& field);

    AccountSession& m_session;
    AccountLists& m_lists;
    TfrmPassGen& m_passGen;
    Mode m_dialogMode = NewRecord;
    std::uint16_t m_folderIndex = 0;
    std::string m_recordKey;

    QLineEdit* m_edName = nullptr;
    QLineEdit* m_edLogin = nullptr;
    QLineEdit* m_edId = nullptr;
    QLineEdit* m_edPass = nullptr;
    QLineEdit* m_edURL = nullptr;
    QPlainTextEdit* m_edNotes = nullptr;
    QPushButton* m_butOK = nullptr;
};

} // namespace velmora
