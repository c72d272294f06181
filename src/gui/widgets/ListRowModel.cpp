#include "gui/widgets/ListRowModel.h"

#include "gui/widgets/CodePageText.h"

#include <QHeaderView>
#include <QPixmap>
#include <QTableView>
#include <algorithm>

namespace velmora {

ListRowModel::ListRowModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers))
{}

void ListRowModel::SetRows(std::vector<ListRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ListRowModel::RewriteRows(const std::function<void(std::vector<ListRow>& rows)>& write)
{
    beginResetModel();
    write(m_rows);
    endResetModel();
}

namespace {

// A transparent picture in every size the first image has, so a row without its image keeps the
// indent of the rows that have one.
QIcon BlankLike(const QList<QIcon>& images)
{
    QIcon blank;
    if (!images.isEmpty()) {
        for (const QSize& size : images.front().availableSizes()) {
            QPixmap pixmap(size);
            pixmap.fill(Qt::transparent);
            blank.addPixmap(pixmap);
        }
    }
    return blank;
}

} // namespace

void ListRowModel::SetImages(QList<QIcon> images, bool shown)
{
    m_blankImage = BlankLike(images);
    m_images = std::move(images);
    m_imagesShown = shown;
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
    }
}

void ListRowModel::SetStateImages(QList<QIcon> images, bool shown)
{
    m_stateImages = std::move(images);
    m_stateImagesShown = shown;
    if (!m_rows.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::DecorationRole});
    }
}

void ListRowModel::SetHeaders(QStringList headers)
{
    m_headers = std::move(headers);
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

int ListRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ListRowModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant ListRowModel::Decoration(const ListRow& row) const
{
    if (m_imagesShown && row.ImageIndex >= 0 && row.ImageIndex < m_images.size()) {
        return m_images[row.ImageIndex];
    }
    if (m_stateImagesShown && row.StateIndex >= 0 && row.StateIndex < m_stateImages.size()) {
        return m_stateImages[row.StateIndex];
    }
    if (m_imagesShown && !m_blankImage.isNull()) {
        return m_blankImage;
    }
    return {};
}

QVariant ListRowModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ListRow& row = m_rows[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    if (role == Qt::DisplayRole) {
        if (column == 0) {
            return FromCodePage(row.Caption);
        }
        if (column < row.SubItems.size()) { // the last sub-item is the key: not a column
            return FromCodePage(row.SubItems[column - 1]);
        }
        return {};
    }
    if (role == Qt::DecorationRole && column == 0) {
        return Decoration(row);
    }
    return {};
}

QVariant ListRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_headers.size()) {
        return m_headers[section];
    }
    return {};
}

bool ListRowModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role)
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::EditRole) || section < 0 ||
        section >= m_headers.size()) {
        return false;
    }
    m_headers[section] = value.toString();
    emit headerDataChanged(Qt::Horizontal, section, section);
    return true;
}

namespace {

// Moves by rows, as any list does: Home and End go to the first and the last row, where a table
// would go to the first and the last column of the row.
class ReportList final : public QTableView
{
public:
    using QTableView::QTableView;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        if (action == MoveHome || action == MoveEnd) {
            modifiers |= Qt::ControlModifier;
        }
        return QTableView::moveCursor(action, modifiers);
    }
};

} // namespace

QTableView* MakeReportList(QWidget* parent, const char* name, QAbstractItemModel* model)
{
    auto* list = new ReportList(parent);
    list->setObjectName(QLatin1String(name));
    list->setModel(model);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->setTabKeyNavigation(false); // Tab leaves the list, as in any dialog
    list->setTextElideMode(Qt::ElideRight);
    list->setIconSize(QSize(16, 16));
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(std::max(20, list->fontMetrics().height() + 6));
    list->horizontalHeader()->setSectionsClickable(false); // column click is off
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    return list;
}

} // namespace velmora
