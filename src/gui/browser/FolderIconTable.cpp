#include "gui/browser/FolderIconTable.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace velmora {

FolderIconTable::FolderIconTable(QList<QIcon> icons, QWidget* parent) : QWidget(parent), m_icons(std::move(icons))
{
    setObjectName(QStringLiteral("Table"));
    setFixedSize(kColumns * kCell + 1, kRows * kCell + 1);
    setCursor(Qt::PointingHandCursor);
}

void FolderIconTable::SetFramedIndex(int index)
{
    m_framed = index;
    update();
}

int FolderIconTable::CellAt(int x, int y)
{
    // std::nearbyint rounds halves to even in the default rounding mode.
    const int column = static_cast<int>(std::nearbyint(x / double{kCell} - 0.5));
    return (y / kCell) * kColumns + column;
}

void FolderIconTable::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(palette().color(QPalette::Mid));
    for (int i = 0; i <= kColumns; ++i) {
        painter.drawLine(i * kCell, 0, i * kCell, height());
    }
    for (int j = 0; j <= kRows; ++j) {
        painter.drawLine(0, j * kCell, width(), j * kCell);
    }
    for (int i = 0; i < m_icons.size() && i < kColumns * kRows; ++i) {
        const QPoint corner((i % kColumns) * kCell + 5, (i / kColumns) * kCell + 5);
        painter.fillRect(QRect(corner, QSize(20, 20)), Qt::white);
        painter.drawPixmap(corner, m_icons[i].pixmap(16, 16));
    }
    if (m_framed >= 0 && m_framed < kColumns * kRows) {
        // A dotted frame that inverts what lies under it, as a focus rectangle does.
        const QPoint corner((m_framed % kColumns) * kCell + 2, (m_framed / kColumns) * kCell + 2);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
        painter.drawRect(QRect(corner, QSize(21, 21)));
    }
}

void FolderIconTable::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (m_onRelease) {
        m_onRelease(at.x(), at.y());
    }
}

} // namespace velmora
