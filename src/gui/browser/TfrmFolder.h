#pragma once

#include <QDialog>
#include <cstdint>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

class FolderIconTable;
class AccountLists;
class AccountSession;

// The folder dialog: a new folder, or a new name and icon for an existing one.
class TfrmFolder final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmFolder)

public:
    TfrmFolder(AccountSession& session, AccountLists& lists, QWidget& owner);

    // Task, set before the dialog is shown: -1 for a new folder, else the folder to edit.
    std::int32_t FolderIndex = -1;
    // The chosen cell of the icon table.
    std::int32_t IconIndex = 0;

    void FormShow();
    void butOkClick();
    void butCancelClick();
    // X, Y in table pixels. Releases outside the table are ignored.
    void TableMouseUp(int x, int y);

    FolderIconTable& Table() const { return *m_table; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    AccountSession& m_session;
    AccountLists& m_lists;
    QLineEdit* m_edName = nullptr;
    FolderIconTable* m_table = nullptr;
    QPushButton* m_butOk = nullptr;
};

} // namespace velmora
