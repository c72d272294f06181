#include "gui/browser/TfrmHealth.h"

#include "core/health/BreachList.h"
#include "gui/browser/ListedRecord.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/ListRowModel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <filesystem>

namespace velmora {

TfrmHealth::TfrmHealth(AccountSession& session, AccountLists& lists, CommandTable& commands, QWidget& owner,
                       TfrmRecord& frmRecord)
    : QDialog(&owner, Qt::Dialog), m_session(session), m_lists(lists), m_frmRecord(frmRecord)
{
    setObjectName(QStringLiteral("frmHealth"));
    setWindowTitle(QStringLiteral("Проверка паролей"));

    m_labStatus = new QLabel(this);
    m_labStatus->setObjectName(QStringLiteral("labStatus"));
    m_labStatus->setTextFormat(Qt::PlainText);
    m_rows = new ListRowModel({QString(), QString(), QString()}, this);
    m_list = MakeReportList(this, "list", m_rows);
    m_list->setShowGrid(true);
    m_list->horizontalHeader()->resizeSection(0, 120);
    m_list->horizontalHeader()->resizeSection(1, 180);
    m_list->horizontalHeader()->setStretchLastSection(true);

    QPushButton* butView = FormButton(this, "butView", QStringLiteral("&Просмотреть запись"));
    QPushButton* butJump = FormButton(this, "butJump", QStringLiteral("П&ерейти к записи"));
    QPushButton* butBreach = FormButton(this, "butBreach", QStringLiteral("Проверить по &утечкам..."));
    QPushButton* butClose = FormButton(this, "butClose", QStringLiteral("Закрыть"));
    // Enter in the list shows the selected record; no button takes it.
    for (QPushButton* button : {butView, butJump, butBreach, butClose}) {
        button->setAutoDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(butView);
    buttons->addWidget(butJump);
    buttons->addWidget(butBreach);
    buttons->addStretch(1);
    buttons->addWidget(butClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(m_labStatus);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(560, 360);

    connect(butView, &QPushButton::clicked, this, &TfrmHealth::butViewClick);
    connect(butJump, &QPushButton::clicked, this, &TfrmHealth::butJumpClick);
    connect(butBreach, &QPushButton::clicked, this, &TfrmHealth::butBreachClick);
    connect(butClose, &QPushButton::clicked, this, &QDialog::close);
    // Enter and a double click.
    connect(m_list, &QTableView::activated, this, &TfrmHealth::butViewClick);
    commands.Bind("mPassHealth", *this, [this] { mPassHealthClick(); });
    connect(&m_session, &AccountSession::accountCleared, this, &TfrmHealth::ForgetFindings);
    connect(&m_session, &AccountSession::languageSwitched, this, &TfrmHealth::ShowColumnCaptions);
    ShowColumnCaptions();
}

void TfrmHealth::ShowColumnCaptions()
{
    m_list->model()->setHeaderData(0, Qt::Horizontal, m_session.Message("const_health_folder"));
    m_list->model()->setHeaderData(1, Qt::Horizontal, m_session.Message("const_health_record"));
    m_list->model()->setHeaderData(2, Qt::Horizontal, m_session.Message("const_health_problem"));
}

void TfrmHealth::mPassHealthClick()
{
    Check(nullptr);
    show();
    raise();
    activateWindow();
    m_list->setFocus();
}

void TfrmHealth::butBreachClick()
{
    const std::optional<QString> chosen = m_session.Services().files.OpenFile(
        m_session.Message("const_health_breach_open"), QString(), m_session.Message("const_health_breach_filter"));
    if (!chosen) {
        return;
    }
    try {
        BreachList breaches(std::filesystem::path(chosen->toStdU16String()));
        Check(&breaches);
    } catch (const std::exception& failure) {
        m_session.ReportFailure(failure);
    }
}

void TfrmHealth::Check(BreachList* breaches)
{
    m_findings = CheckPasswordHealth(m_session.Account(), breaches);
    std::vector<ListRow> rows;
    rows.reserve(m_findings.size());
    for (const HealthFinding& finding : m_findings) {
        // The key last, as every list row holds it; it is no column.
        rows.push_back(ListRow{
            finding.record.folderName, -1, -1, {finding.record.recordName, ProblemText(finding), finding.record.key}});
    }
    m_rows->SetRows(std::move(rows));
    m_labStatus->setText(m_findings.empty()
                             ? m_session.Message("const_health_none")
                             : m_session.FormatMessage("const_health_count", {std::to_string(m_findings.size())}));
    if (!m_findings.empty()) {
        m_list->selectRow(0);
    }
}

std::string TfrmHealth::ProblemText(const HealthFinding& finding) const
{
    const IniLang& lang = m_session.Lang();
    if (finding.empty) {
        return lang.GetMessageText("const_health_empty");
    }
    std::string text;
    const auto add = [&text](const std::string& trouble) { text += (text.empty() ? "" : ", ") + trouble; };
    if (finding.timesBreached) {
        add(lang.FormatCount("const_health_breached", *finding.timesBreached));
    }
    if (finding.equalsLogin) {
        add(lang.GetMessageText("const_health_login"));
    }
    if (finding.equalsName) {
        add(lang.GetMessageText("const_health_name"));
    }
    if (finding.weak) {
        add(lang.GetMessageText("const_health_weak"));
    }
    if (finding.reusedBy > 0) {
        add(lang.FormatCount("const_health_reused", finding.reusedBy));
    }
    return text;
}

std::optional<SearchHit> TfrmHealth::SelectedRecordNow()
{
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return ListedRecordNow(m_session, m_findings.at(static_cast<std::size_t>(selected.front().row())).record);
}

void TfrmHealth::butViewClick()
{
    if (const std::optional<SearchHit> hit = SelectedRecordNow()) {
        m_frmRecord.View(static_cast<std::uint16_t>(hit->folderIndex), hit->key);
    }
}

void TfrmHealth::butJumpClick()
{
    if (const std::optional<SearchHit> hit = SelectedRecordNow()) {
        GoToListedRecord(m_lists, *hit);
        close();
    }
}

void TfrmHealth::ForgetFindings()
{
    m_findings.clear();
    m_rows->SetRows({});
    m_labStatus->clear();
    close();
}

} // namespace velmora
