#include "gui/browser/AccountLists.h"

#include "gui/session/AccountSession.h"
#include "gui/widgets/DesktopLook.h"
#include "gui/widgets/ListRowModel.h"
#include "gui/widgets/Pictures.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSplitter>
#include <QTableView>
#include <algorithm>
#include <string>
#include <utility>

namespace velmora {
namespace {

QTableView* MakeList(QWidget* parent, const char* name, QAbstractItemModel* model)
{
    QTableView* list = MakeReportList(parent, name, model);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    return list;
}

void SetColumnCaption(QTableView& list, int column, const QString& caption)
{
    list.model()->setHeaderData(column, Qt::Horizontal, caption);
}

constexpr std::array<std::int32_t AccountSettings::*, 6> kListWidths = {
    &AccountSettings::L_Column1, &AccountSettings::R_Column1, &AccountSettings::R_Column2,
    &AccountSettings::R_Column3, &AccountSettings::R_Column4, &AccountSettings::L_Width};

} // namespace

AccountLists::AccountLists(AccountSession& session, QWidget* parent)
    : QObject(parent), m_session(session), m_folderIcons(FolderIcons()), m_recordIcons({RecordIcon()})
{
    m_folderModel = new ListRowModel({QStringLiteral("Папки")}, this);
    m_recordModel = new ListRowModel(
        {QStringLiteral("Название"), QStringLiteral("Логин"), QStringLiteral("ID номер"), QStringLiteral("Пароль")},
        this);
    m_splitter = new QSplitter(Qt::Horizontal, parent);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setHandleWidth(4);
    m_splitter->setChildrenCollapsible(false); // no auto-snap
    m_lstFolders = MakeList(m_splitter, "lstFolders", m_folderModel);
    m_lstRecords = MakeList(m_splitter, "lstRecords", m_recordModel);
    m_splitter->addWidget(m_lstFolders);
    m_splitter->addWidget(m_lstRecords);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);

    connect(m_lstFolders->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) {
                for (const QModelIndex& index : selected.indexes()) {
                    if (index.column() == 0) {
                        FillRecordList(false);
                    }
                }
            });
    connect(m_lstRecords->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                // The last row a click touched keeps the focus, a deselected one too.
                for (const auto* changes : {&deselected, &selected}) {
                    for (const QModelIndex& index : changes->indexes()) {
                        if (index.column() == 0) {
                            FocusRow(m_lstRecords, index.row());
                        }
                    }
                }
            });
    // The splitter reports every mouse step; the account takes the new width once, when the drag ends.
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { m_splitterDragged = true; });
    m_splitter->handle(1)->installEventFilter(this);
    m_lstFolders->installEventFilter(this);
    m_lstRecords->installEventFilter(this);
    m_lstFolders->viewport()->installEventFilter(this);
    m_lstRecords->viewport()->installEventFilter(this);

    connect(&m_session, &AccountSession::settingsApplied, this, &AccountLists::ShowSettings);
    connect(&m_session, &AccountSession::languageSwitched, this, &AccountLists::ShowColumnCaptions);
    SetListWidths(m_session.Settings());
    m_session.SetWidthView(this);
    ShowSettings();
}

AccountLists::~AccountLists()
{
    m_session.SetWidthView(nullptr);
}

int AccountLists::SelectedRow(const QTableView* list)
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

int AccountLists::FocusedRow(const QTableView* list)
{
    const QModelIndex current = list->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void AccountLists::FocusRow(QTableView* list, int row)
{
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

void AccountLists::SelectRow(QTableView* list, int row)
{
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void AccountLists::EnsureListSelection(QTableView* list)
{
    const int focused = FocusedRow(list);
    if (focused >= 0) {
        SelectRow(list, focused);
    } else if (list->model()->rowCount() > 0) {
        SelectRow(list, 0);
        FocusRow(list, 0);
    }
}

RecordRowLayout AccountLists::Layout() const
{
    const AccountSettings settings = m_session.Settings();
    return RecordRowLayout{settings.rbBrief(), settings.cbLoginStars, settings.cbIDStars, settings.cbPassStars};
}

void AccountLists::FillFolderList(bool keepSelection)
{
    const int remembered = keepSelection ? SelectedRow(m_lstFolders) : -1;
    m_folderModel->SetRows(FillFolderRows(m_session.Account()));
    if (keepSelection && remembered >= 0 && remembered < m_folderModel->rowCount()) {
        FocusRow(m_lstFolders, remembered);
        SelectRow(m_lstFolders, remembered);
    }
    emit filled();
}

void AccountLists::FillRecordList(bool keepSelection)
{
    int folderRow = SelectedRow(m_lstFolders);
    if (folderRow < 0) {
        folderRow = FocusedRow(m_lstFolders);
    }
    const int remembered = keepSelection ? SelectedRow(m_lstRecords) : -1;
    const TAccount& account = m_session.Account();
    if (folderRow >= 0 && static_cast<std::size_t>(folderRow) < account.FolderCount()) {
        const TFolderType& folder = account.Folder(static_cast<std::size_t>(folderRow));
        const RecordRowLayout layout = Layout();
        m_recordModel->RewriteRows([&](std::vector<ListRow>& rows) { FillRecordRows(folder, layout, rows); });
        m_recordListShowsFolder = true;
    } else {
        m_recordModel->SetRows({});
        m_recordListShowsFolder = false;
    }
    emit filled();
    if (keepSelection && remembered >= 0 && remembered < m_recordModel->rowCount()) {
        FocusRow(m_lstRecords, remembered);
        SelectRow(m_lstRecords, remembered);
    }
}

int AccountLists::SelectedFolderIndex() const
{
    const int row = SelectedRow(m_lstFolders);
    return row >= 0 && static_cast<std::size_t>(row) < m_session.Account().FolderCount() ? row : -1;
}

const TRecType* AccountLists::SelectedRecord() const
{
    const int folderRow = SelectedRow(m_lstFolders);
    const int recordRow = SelectedRow(m_lstRecords);
    const TAccount& account = m_session.Account();
    if (folderRow < 0 || recordRow < 0 || static_cast<std::size_t>(folderRow) >= account.FolderCount()) {
        return nullptr;
    }
    return account.Folder(static_cast<std::size_t>(folderRow)).FindRecord(m_recordModel->KeyAt(recordRow));
}

int AccountLists::FolderListWidth() const
{
    // Until the window is laid out the list has no width of its own yet.
    return m_lstFolders->isVisible() ? m_lstFolders->width() : m_listWidths[5] > 0 ? m_listWidths[5] : kFolderListWidth;
}

void AccountLists::SplitterMoved()
{
    emit folderListWidthChanged();
    m_session.Account().MarkChanged();
}

bool AccountLists::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lstFolders && event->type() == QEvent::Resize) {
        emit folderListWidthChanged();
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == m_splitter->handle(1)) {
        // Queued: without live resizing the splitter itself moves only when it takes this release.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (std::exchange(m_splitterDragged, false)) {
                    SplitterMoved();
                }
            },
            Qt::QueuedConnection);
    }
    // The view's own double-click signal only comes for a cell; an empty area counts too, where
    // the command says what to select first.
    if (event->type() == QEvent::MouseButtonDblClick && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_lstFolders->viewport()) {
            emit folderListActivated();
            return true;
        }
        if (watched == m_lstRecords->viewport()) {
            emit recordListActivated();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && (watched == m_lstFolders || watched == m_lstRecords)) {
        return ListKeyPressed(watched == m_lstFolders, *static_cast<QKeyEvent*>(event));
    }
    return QObject::eventFilter(watched, event);
}

bool AccountLists::ListKeyPressed(bool folderList, const QKeyEvent& key)
{
    if (key.matches(QKeySequence::Copy)) {
        // The view would copy the cell as shown, asterisks included; the folder list has nothing to copy.
        if (!folderList) {
            emit recordCopyRequested();
        }
        return true;
    }
    if (key.modifiers() != Qt::NoModifier && key.modifiers() != Qt::KeypadModifier) {
        return false;
    }
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (folderList) {
            return false;
        }
        emit recordListActivated();
        return true;
    case Qt::Key_Delete:
        folderList ? emit folderDeleteRequested() : emit recordDeleteRequested();
        return true;
    default:
        return false;
    }
}

void AccountLists::ShowSettings()
{
    const AccountSettings settings = m_session.Settings();
    const ListLook look = LookOf(settings);
    for (QTableView* list : {m_lstFolders, m_lstRecords}) {
        list->horizontalHeader()->setVisible(look.headers);
        list->setShowGrid(look.gridLines);
        QPalette palette = list->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Base, look.background);
            palette.setColor(group, QPalette::Text, look.text);
        }
        list->setPalette(palette);
        list->setFont(look.font);
        list->verticalHeader()->setDefaultSectionSize(std::max(20, QFontMetrics(look.font).height() + 6));
    }
    m_folderModel->SetImages(m_folderIcons, look.folderIcons);
    m_recordModel->SetStateImages(m_recordIcons, look.recordIcons);
    for (int column = 1; column < 4; ++column) {
        // The brief layout shows the record names alone.
        m_lstRecords->setColumnHidden(column, look.brief);
    }
    ShowColumnCaptions();
    emit folderListWidthChanged();
}

void AccountLists::ShowColumnCaptions()
{
    // Before the start-up sequence has read a language there is no text to show.
    if (m_session.ProgramFilesDir().empty()) {
        return;
    }
    SetColumnCaption(*m_lstFolders, 0, m_session.Message("const_folders_cap"));
    if (m_session.Settings().rbBrief()) {
        SetColumnCaption(*m_lstRecords, 0, m_session.Message("const_records_cap"));
    } else {
        for (int column = 1; column <= 4; ++column) {
            SetColumnCaption(*m_lstRecords, column - 1, m_session.Message("const_cap" + std::to_string(column)));
        }
    }
}

void AccountLists::ReadListWidths(AccountSettings& settings) const
{
    std::array<std::int32_t, 6> widths = m_listWidths;
    if (m_lstFolders->isVisible()) { // laid out: the user may have dragged them since
        widths[0] = m_lstFolders->columnWidth(0);
        for (int column = 0; column < 4; ++column) {
            if (!m_lstRecords->isColumnHidden(column)) {
                widths[static_cast<std::size_t>(column) + 1] = m_lstRecords->columnWidth(column);
            }
        }
        widths[5] = m_lstFolders->width();
    }
    for (std::size_t i = 0; i < widths.size(); ++i) {
        settings.*kListWidths[i] = widths[i];
    }
}

void AccountLists::SetListWidths(const AccountSettings& settings)
{
    for (std::size_t i = 0; i < m_listWidths.size(); ++i) {
        m_listWidths[i] = settings.*kListWidths[i];
    }
    // -1 and -2 are the automatic widths: the column fits its texts.
    const auto width = [](QTableView* list, int column, std::int32_t value) {
        if (value >= 0) {
            list->setColumnWidth(column, value);
        } else {
            list->resizeColumnToContents(column);
        }
    };
    width(m_lstFolders, 0, settings.L_Column1);
    for (int column = 0; column < 4; ++column) {
        width(m_lstRecords, column, m_listWidths[static_cast<std::size_t>(column) + 1]);
    }
    if (settings.L_Width > 0) {
        m_splitter->setSizes({settings.L_Width, std::max(1, m_splitter->width() - settings.L_Width)});
        m_lstFolders->resize(settings.L_Width, m_lstFolders->height());
    }
    emit folderListWidthChanged();
}

} // namespace velmora
