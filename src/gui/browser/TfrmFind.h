#pragma once

#include "core/search/Search.h"

#include <QDialog>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QTableView;

namespace velmora {

class ListRowModel;
class AccountLists;
class AccountSession;
class CommandTable;
class TfrmRecord;

// The search window: finds records of the current folder or of every folder by the text of
// chosen fields, lists them, and shows one for viewing or selects it in the main window. Shown
// without being modal; it only reads the account.
class TfrmFind final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmFind)

public:
    TfrmFind(AccountSession& session, AccountLists& lists, CommandTable& commands, QWidget& owner,
             TfrmRecord& frmRecord);

    // The main window's search command: the search page, shown beside the main window.
    void mAdvSearchClick();

    void FormShow();
    void butStartClick();
    bool CheckSearchInput();
    void RunSearch();
    void butViewClick();
    void butJumpClick();
    void butCloseClick();
    void butHelpClick();

    // What the last search found, in list order.
    const std::vector<SearchHit>& Results() const { return m_hits; }

public slots:
    // The account was emptied or its contents replaced: its records must not stay listed, nor stay
    // open for viewing.
    void ForgetResults();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowColumnCaptions();
    void SetResults(std::vector<SearchHit> hits);
    // The selected result with its record's position now; nothing without a selection, and
    // nothing, after telling the user, when the record has left its folder since the search.
    std::optional<SearchHit> SelectedRecordNow();

    AccountSession& m_session;
    AccountLists& m_lists;
    TfrmRecord& m_frmRecord;
    bool m_placed = false;
    std::vector<SearchHit> m_hits;

    QTabWidget* m_pc = nullptr;
    QLineEdit* m_edFindText = nullptr;
    QRadioButton* m_inCurrent = nullptr;
    QCheckBox* m_cbStrict = nullptr;
    QCheckBox* m_cbShift = nullptr;
    QCheckBox* m_cbCaption = nullptr;
    QCheckBox* m_cbURL = nullptr;
    QCheckBox* m_cbLogin = nullptr;
    QCheckBox* m_cbID = nullptr;
    QCheckBox* m_cbPass = nullptr;
    QLabel* m_labStatus = nullptr;
    QTableView* m_list = nullptr;
    ListRowModel* m_results = nullptr;
};

} // namespace velmora
