#pragma once

#include <QIcon>
#include <QList>
#include <QWidget>
#include <functional>

namespace velmora {

// The folder dialog's table of folder icons: cells of 25 x 25 pixels, 10 columns and 2 rows,
// each icon 5 pixels in from its cell's corner, and a dotted frame around the chosen cell.
class FolderIconTable final : public QWidget
{
    Q_DISABLE_COPY_MOVE(FolderIconTable)

public:
    static constexpr int kCell = 25;
    static constexpr int kColumns = 10;
    static constexpr int kRows = 2;

    FolderIconTable(QList<QIcon> icons, QWidget* parent);

    // Called with (x, y) in table pixels when a mouse button is released over the table.
    void SetOnRelease(std::function<void(int, int)> onRelease) { m_onRelease = std::move(onRelease); }
    // The framed cell; an index without a cell shows no frame.
    void SetFramedIndex(int index);
    int FramedIndex() const { return m_framed; }
    int IconCount() const { return static_cast<int>(m_icons.size()); }

    // The cell under a point: column X / 25 - 0.5 rounded half to even (a point on the grid
    // line x = 25k with k odd belongs to column k - 1), row Y div 25.
    static int CellAt(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QList<QIcon> m_icons;
    int m_framed = -1;
    std::function<void(int, int)> m_onRelease;
};

} // namespace velmora
