#include "gui/browser/TfrmFind.h"

#include "gui/browser/AccountLists.h"
#include "gui/browser/CommandSupport.h"
#include "gui/browser/ListedRecord.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/FormButton.h"
#include "gui/widgets/ListRowModel.h"
#include "gui/widgets/Pictures.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace velmora {
namespace {

// The size it opens at; the layout makes it as much taller as the contents need.
constexpr int kClientWidth = 422;
constexpr int kClientHeight = 279;

QCheckBox* AddCheck(QWidget* group, const char* name, const QString& caption, bool checked)
{
    auto* check = new QCheckBox(caption, group);
    check->setObjectName(QLatin1String(name));
    check->setChecked(checked);
    return check;
}

QToolButton* SpeedButton(QWidget* parent, const char* name, Glyph glyph, const QString& caption)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(ToolbarGlyph(glyph));
    button->setIconSize(QSize(20, 20));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus); // speed buttons take no focus
    if (caption.isEmpty()) {
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    } else {
        button->setText(caption);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    return button;
}

QGroupBox* Group(QWidget* parent, const char* name, const QString& caption)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QLatin1String(name));
    return group;
}

} // namespace

TfrmFind::TfrmFind(AccountSession& session, AccountLists& lists, CommandTable& commands, QWidget& owner,
                   TfrmRecord& frmRecord)
    : QDialog(&owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), m_session(session), m_lists(lists),
      m_frmRecord(frmRecord)
{
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Расширенный поиск записи"));
    setModal(false);

    m_pc = new QTabWidget(this);
    m_pc->setObjectName(QStringLiteral("pc"));
    m_pc->setUsesScrollButtons(false);

    // The search page.
    auto* searchPage = new QWidget;
    searchPage->setObjectName(QStringLiteral("TabSheet1"));
    m_pc->addTab(searchPage, QStringLiteral(" Поиск "));
    m_edFindText = new QLineEdit(searchPage);
    m_edFindText->setObjectName(QStringLiteral("edFindText"));
    m_edFindText->setMinimumWidth(345);
    GuardCodePageInput(m_edFindText, [this](char32_t c) { m_session.ReportRefusedCharacter(c); });
    m_edFindText->installEventFilter(this);
    auto* label1 = new QLabel(QStringLiteral("Текст для поиска:"), searchPage);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setBuddy(m_edFindText);
    QToolButton* butStart = SpeedButton(searchPage, "butStart", Glyph::Search, {});
    butStart->setToolTip(QStringLiteral("Начать поиск"));

    QGroupBox* rgFolders = Group(searchPage, "rgFolders", QStringLiteral(" В папках "));
    m_inCurrent = new QRadioButton(QStringLiteral("в текущей"), rgFolders);
    auto* inAll = new QRadioButton(QStringLiteral("во всех"), rgFolders);
    m_inCurrent->setChecked(true);
    auto* folderItems = new QHBoxLayout(rgFolders);
    folderItems->addWidget(m_inCurrent, 1);
    folderItems->addWidget(inAll, 1);

    QGroupBox* rgConditions = Group(searchPage, "rgConditions", QStringLiteral(" Условия поиска "));
    m_cbStrict = AddCheck(rgConditions, "cbStrict", QStringLiteral("Строгое соответствие"), false);
    m_cbShift = AddCheck(rgConditions, "cbShift", QStringLiteral("Учитывать регистр"), false);
    auto* conditions = new QVBoxLayout(rgConditions);
    conditions->addWidget(m_cbStrict);
    conditions->addWidget(m_cbShift);
    conditions->addStretch(1);

    QGroupBox* rgFields = Group(searchPage, "rgFields", QStringLiteral(" В полях записей "));
    m_cbCaption = AddCheck(rgFields, "cbCaption", QStringLiteral("Название"), true);
    m_cbURL = AddCheck(rgFields, "cbURL", QStringLiteral("URL"), true);
    m_cbLogin = AddCheck(rgFields, "cbLogin", QStringLiteral("Логин"), true);
    m_cbID = AddCheck(rgFields, "cbID", QStringLiteral("ID"), true);
    m_cbPass = AddCheck(rgFields, "cbPass", QStringLiteral("Пароль"), true);
    auto* fields = new QGridLayout(rgFields);
    fields->addWidget(m_cbCaption, 0, 0);
    fields->addWidget(m_cbURL, 1, 0);
    fields->addWidget(m_cbLogin, 2, 0);
    fields->addWidget(m_cbID, 0, 1);
    fields->addWidget(m_cbPass, 1, 1);

    auto* textRow = new QHBoxLayout;
    textRow->setSpacing(2);
    textRow->addWidget(m_edFindText, 1);
    textRow->addWidget(butStart);
    auto* groups = new QHBoxLayout;
    groups->addWidget(rgConditions, 2);
    groups->addWidget(rgFields, 3);
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->setContentsMargins(10, 8, 10, 8);
    searchLayout->setSpacing(6);
    searchLayout->addWidget(label1);
    searchLayout->addLayout(textRow);
    searchLayout->addWidget(rgFolders);
    searchLayout->addLayout(groups, 1);

    // The results page.
    auto* resultsPage = new QWidget;
    resultsPage->setObjectName(QStringLiteral("TabSheet2"));
    m_pc->addTab(resultsPage, QStringLiteral(" Результаты "));
    m_labStatus = new QLabel(resultsPage);
    m_labStatus->setObjectName(QStringLiteral("labStatus"));
    QFont bold = m_labStatus->font();
    bold.setBold(true);
    m_labStatus->setFont(bold);
    m_results = new ListRowModel({QStringLiteral("Папка"), QStringLiteral("Название записи")}, this);
    m_list = MakeReportList(resultsPage, "list", m_results);
    m_list->setShowGrid(true);
    m_list->horizontalHeader()->resizeSection(0, 126);
    m_list->horizontalHeader()->resizeSection(1, 210);
    m_list->horizontalHeader()->setStretchLastSection(true);
    QToolButton* butView = SpeedButton(resultsPage, "butView", Glyph::ViewRecord, QStringLiteral("Просмотреть запись"));
    QToolButton* butJump = SpeedButton(resultsPage, "butJump", Glyph::GoToRecord, QStringLiteral("Перейти к записи"));
    auto* resultButtons = new QHBoxLayout;
    resultButtons->addWidget(butView);
    resultButtons->addWidget(butJump);
    resultButtons->addStretch(1);
    auto* resultsLayout = new QVBoxLayout(resultsPage);
    resultsLayout->setContentsMargins(8, 6, 8, 6);
    resultsLayout->setSpacing(4);
    resultsLayout->addWidget(m_labStatus);
    resultsLayout->addWidget(m_list, 1);
    resultsLayout->addLayout(resultButtons);

    // Enter in the text box starts the search, so no button may take it as the default.
    QPushButton* butClose = FormButton(this, "butClose", QStringLiteral("Закрыть"));
    QPushButton* butHelp = FormButton(this, "butHelp", QStringLiteral("Справка"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(butClose);
    buttons->addWidget(butHelp);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(m_pc, 1);
    layout->addLayout(buttons);
    resize(kClientWidth, kClientHeight);

    setTabOrder(m_edFindText, m_inCurrent);
    setTabOrder(m_inCurrent, m_cbStrict);
    setTabOrder(m_cbStrict, m_cbShift);
    setTabOrder(m_cbShift, m_cbCaption);

    connect(butStart, &QToolButton::clicked, this, &TfrmFind::butStartClick);
    connect(butView, &QToolButton::clicked, this, &TfrmFind::butViewClick);
    connect(butJump, &QToolButton::clicked, this, &TfrmFind::butJumpClick);
    connect(m_list, &QTableView::doubleClicked, this, &TfrmFind::butViewClick);
    connect(butClose, &QPushButton::clicked, this, &TfrmFind::butCloseClick);
    connect(butHelp, &QPushButton::clicked, this, &TfrmFind::butHelpClick);
    commands.Bind("mAdvSearch", *this, [this] { mAdvSearchClick(); });
    // Results name records of the account they were found in.
    connect(&m_session, &AccountSession::accountCleared, this, &TfrmFind::ForgetResults);
    connect(&m_session, &AccountSession::languageSwitched, this, &TfrmFind::ShowColumnCaptions);
}

void TfrmFind::ShowColumnCaptions()
{
    m_list->model()->setHeaderData(0, Qt::Horizontal, m_session.Message("const_col1"));
    m_list->model()->setHeaderData(1, Qt::Horizontal, m_session.Message("const_col2"));
}

void TfrmFind::mAdvSearchClick()
{
    m_pc->setCurrentIndex(0);
    if (!isVisible()) {
        show();
        FormShow(); // only when opened: a window shown again after a lock keeps its text and results
    }
    raise();
    activateWindow();
}

void TfrmFind::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;
    }
    if (!m_placed) { // centred once; afterwards it stays where the user put it
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        move(screen.center() - rect().center());
        m_placed = true;
    }
}

void TfrmFind::FormShow()
{
    m_edFindText->clear();
    m_edFindText->setFocus();
}

bool TfrmFind::eventFilter(QObject* watched, QEvent* event)
{
    // On the press: the release of an Enter that closed a message box must not search again.
    if (watched == m_edFindText && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            butStartClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmFind::butStartClick()
{
    if (CheckSearchInput()) {
        RunSearch();
    }
}

bool TfrmFind::CheckSearchInput()
{
    const char* problem = nullptr;
    if (m_edFindText->text().isEmpty()) {
        problem = "const_no_text";
    } else if (!m_cbCaption->isChecked() && !m_cbURL->isChecked() && !m_cbLogin->isChecked() && !m_cbID->isChecked() &&
               !m_cbPass->isChecked()) {
        problem = "const_no_fields";
    } else if (m_inCurrent->isChecked() && m_lists.SelectedFolderIndex() < 0) {
        problem = "const_no_cur_folder";
    }
    if (problem != nullptr) {
        m_session.ShowMessageBox(m_session.Message(problem), MessageKind::Information);
        return false;
    }
    return true;
}

void TfrmFind::RunSearch()
{
    m_labStatus->setText(m_session.Message("const_searching"));
    SetResults({});
    m_labStatus->repaint(); // seen while a large vault is searched

    SearchOptions options;
    options.text = ToCodePage(m_edFindText->text()).bytes; // the box only takes code-page characters
    options.match = TextMatch{m_cbStrict->isChecked(), m_cbShift->isChecked()};
    options.name = m_cbCaption->isChecked();
    options.url = m_cbURL->isChecked();
    options.login = m_cbLogin->isChecked();
    options.idNumber = m_cbID->isChecked();
    options.password = m_cbPass->isChecked();
    if (m_inCurrent->isChecked()) {
        options.folder = static_cast<std::size_t>(m_lists.SelectedFolderIndex());
    }
    SetResults(velmora::RunSearch(m_session.Account(), options));

    m_labStatus->setText(m_session.FormatMessage("const_rec_found", {std::to_string(m_hits.size())}));
    m_pc->setCurrentIndex(1);
}

void TfrmFind::SetResults(std::vector<SearchHit> hits)
{
    std::vector<ListRow> rows;
    rows.reserve(hits.size());
    for (const SearchHit& hit : hits) {
        rows.push_back(ListRow{hit.folderName, -1, -1, {hit.recordName, hit.key}});
    }
    m_hits = std::move(hits);
    m_results->SetRows(std::move(rows));
}

std::optional<SearchHit> TfrmFind::SelectedRecordNow()
{
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return ListedRecordNow(m_session, m_hits.at(static_cast<std::size_t>(selected.front().row())));
}

void TfrmFind::butViewClick()
{
    if (const std::optional<SearchHit> hit = SelectedRecordNow()) {
        m_frmRecord.View(static_cast<std::uint16_t>(hit->folderIndex), hit->key);
    }
}

void TfrmFind::butJumpClick()
{
    if (const std::optional<SearchHit> hit = SelectedRecordNow()) {
        GoToListedRecord(m_lists, *hit);
        close();
    }
}

void TfrmFind::butCloseClick()
{
    close();
}

void TfrmFind::butHelpClick()
{
    m_session.ShowHelp();
}

void TfrmFind::ForgetResults()
{
    SetResults({});
    m_labStatus->clear();
    m_edFindText->clear();
    // Only the search opens a record for viewing.
    if (m_frmRecord.isVisible() && m_frmRecord.DialogMode() == TfrmRecord::ViewRecord) {
        m_frmRecord.close();
    }
}

} // namespace velmora
