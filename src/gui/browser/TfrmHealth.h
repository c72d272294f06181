#pragma once

#include "core/health/PasswordHealth.h"

#include <QDialog>
#include <vector>

class QLabel;
class QTableView;

namespace velmora {

class AccountLists;
class AccountSession;
class BreachList;
class CommandTable;
class ListRowModel;
class TfrmRecord;

// Account ▸ Password health: lists every record whose password is empty, weak, used by other
// records or equal to its login or name, worst first, and on request looks each password up in
// a downloaded breach list. Enter or a double click shows the record; Go to record selects it in
// the main window. Shown without being modal; it only reads the account.
class TfrmHealth final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmHealth)

public:
    TfrmHealth(AccountSession& session, AccountLists& lists, CommandTable& commands, QWidget& owner,
               TfrmRecord& frmRecord);

    void mPassHealthClick();
    void butBreachClick();
    void butViewClick();
    void butJumpClick();

    // What the report lists, in list order.
    const std::vector<HealthFinding>& Findings() const { return m_findings; }

public slots:
    // The account was emptied or replaced: its records must not stay listed.
    void ForgetFindings();

private:
    void ShowColumnCaptions();
    // Checks the account again, with `breaches` when given; throws FileError when it cannot be read.
    void Check(BreachList* breaches);
    std::string ProblemText(const HealthFinding& finding) const;
    std::optional<SearchHit> SelectedRecordNow();

    AccountSession& m_session;
    AccountLists& m_lists;
    TfrmRecord& m_frmRecord;
    std::vector<HealthFinding> m_findings;
    QLabel* m_labStatus = nullptr;
    QTableView* m_list = nullptr;
    ListRowModel* m_rows = nullptr;
};

} // namespace velmora
