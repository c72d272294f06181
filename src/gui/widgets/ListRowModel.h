#pragma once

#include "core/vault/ListRows.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QTableView;
class QWidget;

namespace velmora {

// A report-style list over rows built by FillFolderRows or FillRecordRows. Column 0 shows the
// caption with the row's image; column c shows sub-item c - 1. The last sub-item (the folder
// index or the record key) is the row's identity and is never shown as a column.
class ListRowModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListRowModel)

public:
    ListRowModel(QStringList headers, QObject* parent);

    void SetRows(std::vector<ListRow> rows);
    // Lets `write` rewrite the rows in place, within one reset of the model.
    void RewriteRows(const std::function<void(std::vector<ListRow>& rows)>& write);
    const std::vector<ListRow>& Rows() const { return m_rows; }

    // The last sub-item of a row: what the row was built for, whatever the layout was.
    const std::string& KeyAt(int row) const { return m_rows.at(static_cast<std::size_t>(row)).SubItems.back(); }

    // `images` for ImageIndex, `stateImages` for StateIndex. A row whose indices are both outside
    // their lists shows a blank of the images' size while the images are shown, else none.
    void SetImages(QList<QIcon> images, bool shown);
    void SetStateImages(QList<QIcon> images, bool shown);
    void SetHeaders(QStringList headers);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Captions of single columns, as the language files set them.
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override;

private:
    QVariant Decoration(const ListRow& row) const;

    QStringList m_headers;
    std::vector<ListRow> m_rows;
    QList<QIcon> m_images;
    QIcon m_blankImage;
    QList<QIcon> m_stateImages;
    bool m_imagesShown = false;
    bool m_stateImagesShown = false;
};

// A read-only report list over `model`: whole rows, one at a time, no row numbers, no column
// clicks, and a selection that stays visible when the list loses the focus.
QTableView* MakeReportList(QWidget* parent, const char* name, QAbstractItemModel* model);

} // namespace velmora
