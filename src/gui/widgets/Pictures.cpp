#include "gui/widgets/Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>
#include <cmath>
#include <functional>

namespace velmora {
namespace {

using Painting = std::function<void(QPainter&)>;

// Paints on a `units` x `units` canvas, rendered at 1x and 2x.
QIcon Draw(int units, const Painting& paint)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(units * scale, units * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale, scale);
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const std::array<QColor, 10> kFolderColours = {
    QColor(0xE8, 0xB3, 0x3C), QColor(0x3F, 0x7F, 0xD8), QColor(0x3E, 0xA8, 0x4E), QColor(0xD9, 0x45, 0x3B),
    QColor(0x8E, 0x5C, 0xC8), QColor(0xEE, 0x7D, 0x2A), QColor(0x2B, 0xA7, 0xA8), QColor(0xD6, 0x52, 0x9B),
    QColor(0x7A, 0x5A, 0x3C), QColor(0x6F, 0x78, 0x84),
};

void FolderShape(QPainter& p, const QRectF& r, const QColor& colour)
{
    const qreal tab = r.height() * 0.2;
    QPainterPath back;
    back.moveTo(r.left(), r.top() + tab);
    back.lineTo(r.left(), r.top());
    back.lineTo(r.left() + r.width() * 0.4, r.top());
    back.lineTo(r.left() + r.width() * 0.5, r.top() + tab);
    back.lineTo(r.right(), r.top() + tab);
    back.lineTo(r.right(), r.bottom());
    back.lineTo(r.left(), r.bottom());
    back.closeSubpath();
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour.darker(115));
    p.drawPath(back);
    p.setBrush(colour);
    p.drawRect(QRectF(r.left(), r.top() + tab * 2, r.width(), r.height() - tab * 2));
}

QPainterPath Star(QPointF centre, qreal outer, qreal inner, int points)
{
    QPainterPath path;
    for (int i = 0; i < points * 2; ++i) {
        const qreal radius = i % 2 == 0 ? outer : inner;
        const qreal angle = -M_PI / 2 + i * M_PI / points;
        const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        i == 0 ? path.moveTo(point) : path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

// Ten small white emblems centred on (8, 10) of the 16-unit folder.
void Emblem(QPainter& p, int which)
{
    const QPointF c(8, 9.8);
    p.setPen(QPen(QColor(40, 40, 40, 160), 0.8));
    p.setBrush(Qt::white);
    switch (which) {
    case 0:
        p.drawEllipse(c, 2.8, 2.8);
        break;
    case 1:
        p.drawRect(QRectF(c.x() - 2.6, c.y() - 2.6, 5.2, 5.2));
        break;
    case 2:
        p.drawPolygon(QPolygonF(
            {QPointF(c.x(), c.y() - 3.2), QPointF(c.x() + 3.2, c.y() + 2.4), QPointF(c.x() - 3.2, c.y() + 2.4)}));
        break;
    case 3:
        p.drawPolygon(QPolygonF({QPointF(c.x(), c.y() - 3.4), QPointF(c.x() + 3, c.y()), QPointF(c.x(), c.y() + 3.4),
                                 QPointF(c.x() - 3, c.y())}));
        break;
    case 4:
        p.drawPath(Star(c, 3.6, 1.5, 5));
        break;
    case 5:
        p.drawRect(QRectF(c.x() - 3.2, c.y() - 1, 6.4, 2));
        p.drawRect(QRectF(c.x() - 1, c.y() - 3.2, 2, 6.4));
        break;
    case 6: {
        QPainterPath ring;
        ring.addEllipse(c, 3.2, 3.2);
        ring.addEllipse(c, 1.5, 1.5);
        p.drawPath(ring);
        break;
    }
    case 7: {
        QPainterPath heart;
        heart.moveTo(c.x(), c.y() + 3);
        heart.cubicTo(c.x() - 5, c.y() - 0.5, c.x() - 2, c.y() - 4.5, c.x(), c.y() - 1.5);
        heart.cubicTo(c.x() + 2, c.y() - 4.5, c.x() + 5, c.y() - 0.5, c.x(), c.y() + 3);
        p.drawPath(heart);
        break;
    }
    case 8:
        p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF(
            {QPointF(c.x() - 3, c.y()), QPointF(c.x() - 0.8, c.y() + 2.3), QPointF(c.x() + 3.2, c.y() - 2.5)}));
        break;
    default:
        for (int i = 0; i < 3; ++i) {
            p.drawRect(QRectF(c.x() - 3.3 + i * 2.4, c.y() + 2.5 - (i + 1) * 1.8, 1.6, (i + 1) * 1.8));
        }
        break;
    }
}

void Key(QPainter& p, const QRectF& r, const QColor& colour)
{
    const qreal u = r.width() / 16;
    p.setPen(QPen(colour.darker(160), u));
    p.setBrush(colour);
    QPainterPath key;
    key.addEllipse(QPointF(r.left() + 4.5 * u, r.top() + 8 * u), 3.5 * u, 3.5 * u);
    key.addRect(QRectF(r.left() + 7 * u, r.top() + 7 * u, 8 * u, 2.2 * u));
    key.addRect(QRectF(r.left() + 11.5 * u, r.top() + 9 * u, 1.6 * u, 2.6 * u));
    key.addRect(QRectF(r.left() + 13.5 * u, r.top() + 9 * u, 1.5 * u, 3.4 * u));
    key.setFillRule(Qt::WindingFill);
    p.drawPath(key.simplified());
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(r.left() + 3.6 * u, r.top() + 8 * u), 1.1 * u, 1.1 * u);
}

void Card(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(90, 100, 115), 1));
    p.setBrush(QColor(250, 250, 252));
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(QPen(QColor(80, 130, 200), 1.2));
    for (int i = 0; i < 3; ++i) {
        const qreal y = r.top() + r.height() * (0.3 + 0.22 * i);
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3 - (i == 2 ? 4 : 0), y));
    }
}

// Badges in the lower right corner of a 24-unit glyph.
void Plus(QPainter& p)
{
    p.setPen(QPen(QColor(30, 110, 40), 1));
    p.setBrush(QColor(60, 170, 70));
    p.drawEllipse(QPointF(18, 18), 5.5, 5.5);
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 18), QPointF(21, 18));
    p.drawLine(QPointF(18, 15), QPointF(18, 21));
}

void Pencil(QPainter& p)
{
    p.save();
    p.translate(17, 17);
    p.rotate(45);
    p.setPen(QPen(QColor(120, 80, 20), 0.8));
    p.setBrush(QColor(245, 190, 60));
    p.drawRect(QRectF(-2, -8, 4, 11));
    p.setBrush(QColor(240, 215, 170));
    p.drawPolygon(QPolygonF({QPointF(-2, 3), QPointF(2, 3), QPointF(0, 7)}));
    p.setBrush(QColor(220, 110, 120));
    p.drawRect(QRectF(-2, -9.5, 4, 2));
    p.restore();
}

void Cross(QPainter& p)
{
    p.setPen(QPen(QColor(150, 20, 20), 1));
    p.setBrush(QColor(215, 50, 45));
    p.drawEllipse(QPointF(18, 18), 5.5, 5.5);
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15.8, 15.8), QPointF(20.2, 20.2));
    p.drawLine(QPointF(20.2, 15.8), QPointF(15.8, 20.2));
}

void Arrow(QPainter& p, bool up)
{
    p.save();
    if (!up) {
        p.translate(0, 36);
        p.scale(1, -1);
    }
    p.setPen(QPen(QColor(20, 70, 150), 1));
    p.setBrush(QColor(60, 130, 220));
    p.drawPolygon(QPolygonF({QPointF(18, 12), QPointF(23.5, 18), QPointF(20, 18), QPointF(20, 23.5), QPointF(16, 23.5),
                             QPointF(16, 18), QPointF(12.5, 18)}));
    p.restore();
}

void Magnifier(QPainter& p, const QPointF& centre, qreal radius)
{
    p.setPen(QPen(QColor(90, 60, 30), radius * 0.55, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(radius * 0.75, radius * 0.75), centre + QPointF(radius * 1.9, radius * 1.9));
    p.setPen(QPen(QColor(60, 70, 85), radius * 0.3));
    p.setBrush(QColor(200, 225, 250, 220));
    p.drawEllipse(centre, radius, radius);
}

void RightArrow(QPainter& p)
{
    p.setPen(QPen(QColor(20, 70, 150), 1));
    p.setBrush(QColor(60, 130, 220));
    p.drawPolygon(QPolygonF({QPointF(12.5, 16), QPointF(18, 16), QPointF(18, 12.5), QPointF(23.5, 18),
                             QPointF(18, 23.5), QPointF(18, 20), QPointF(12.5, 20)}));
}

void SmallFolder(QPainter& p)
{
    FolderShape(p, QRectF(1.5, 3.5, 17, 13), kFolderColours[0]);
}

void SmallCard(QPainter& p)
{
    Card(p, QRectF(2.5, 2.5, 14, 16));
}

void Person(QPainter& p, const QPointF& at, qreal size, const QColor& colour)
{
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour);
    p.drawEllipse(QPointF(at.x(), at.y() - size * 0.35), size * 0.22, size * 0.22);
    QPainterPath body;
    body.moveTo(at.x() - size * 0.4, at.y() + size * 0.45);
    body.cubicTo(at.x() - size * 0.4, at.y() - size * 0.1, at.x() + size * 0.4, at.y() - size * 0.1,
                 at.x() + size * 0.4, at.y() + size * 0.45);
    body.closeSubpath();
    p.drawPath(body);
}

void PaintGlyph(QPainter& p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::FolderNew:
        SmallFolder(p);
        Plus(p);
        break;
    case Glyph::FolderEdit:
        SmallFolder(p);
        Pencil(p);
        break;
    case Glyph::FolderDelete:
        SmallFolder(p);
        Cross(p);
        break;
    case Glyph::FolderUp:
    case Glyph::FolderDown:
        SmallFolder(p);
        Arrow(p, glyph == Glyph::FolderUp);
        break;
    case Glyph::RecordNew:
        SmallCard(p);
        Plus(p);
        break;
    case Glyph::RecordEdit:
        SmallCard(p);
        Pencil(p);
        break;
    case Glyph::RecordDelete:
        SmallCard(p);
        Cross(p);
        break;
    case Glyph::RecordUp:
    case Glyph::RecordDown:
        SmallCard(p);
        Arrow(p, glyph == Glyph::RecordUp);
        break;
    case Glyph::Copy:
        Card(p, QRectF(2.5, 2.5, 12, 14));
        Card(p, QRectF(9.5, 7.5, 12, 14));
        break;
    case Glyph::Generator:
        p.setPen(QPen(QColor(60, 60, 70), 1));
        p.setBrush(QColor(245, 245, 248));
        p.drawRoundedRect(QRectF(2.5, 5.5, 19, 13), 2.5, 2.5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 170));
        for (int i = 0; i < 3; ++i) {
            p.drawPath(Star(QPointF(7 + i * 5, 12), 2.4, 1.0, 5));
        }
        break;
    case Glyph::Save:
        p.setPen(QPen(QColor(25, 55, 110), 1));
        p.setBrush(QColor(50, 100, 190));
        p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
        p.setBrush(QColor(235, 240, 248));
        p.drawRect(QRectF(7, 3.5, 10, 6));
        p.setBrush(QColor(250, 250, 250));
        p.drawRect(QRectF(6.5, 13, 11, 7.5));
        p.setBrush(QColor(50, 100, 190));
        p.drawRect(QRectF(13.5, 4.5, 2, 4));
        break;
    case Glyph::ChooseUser:
        Person(p, QPointF(8, 12), 13, QColor(120, 140, 170));
        Person(p, QPointF(15.5, 13.5), 15, QColor(70, 120, 200));
        break;
    case Glyph::Tray:
        p.setPen(QPen(QColor(70, 80, 95), 1));
        p.setBrush(QColor(225, 230, 238));
        p.drawRect(QRectF(2.5, 17.5, 19, 4));
        p.setBrush(QColor(60, 130, 220));
        p.setPen(QPen(QColor(20, 70, 150), 1));
        p.drawPolygon(QPolygonF({QPointF(10, 2.5), QPointF(14, 2.5), QPointF(14, 9), QPointF(17.5, 9),
                                 QPointF(12, 15.5), QPointF(6.5, 9), QPointF(10, 9)}));
        break;
    case Glyph::Exit:
        p.setPen(QPen(QColor(90, 55, 25), 1));
        p.setBrush(QColor(165, 110, 60));
        p.drawRect(QRectF(4.5, 2.5, 10, 19));
        p.setBrush(QColor(250, 220, 120));
        p.drawEllipse(QPointF(12, 12), 1, 1);
        p.setPen(QPen(QColor(150, 20, 20), 1));
        p.setBrush(QColor(215, 50, 45));
        p.drawPolygon(QPolygonF({QPointF(13, 10.5), QPointF(18, 10.5), QPointF(18, 7), QPointF(23, 12), QPointF(18, 17),
                                 QPointF(18, 13.5), QPointF(13, 13.5)}));
        break;
    case Glyph::Hint:
        p.setPen(QPen(QColor(150, 110, 10), 1));
        p.setBrush(QColor(255, 220, 90));
        p.drawEllipse(QPointF(12, 9.5), 6.5, 6.5);
        p.setBrush(QColor(150, 150, 160));
        p.drawRect(QRectF(9, 15.5, 6, 5));
        p.setPen(QPen(QColor(150, 110, 10), 1.2));
        p.drawLine(QPointF(9, 18), QPointF(15, 18));
        break;
    case Glyph::Search:
        Magnifier(p, QPointF(10, 10), 6);
        break;
    case Glyph::ViewRecord:
        SmallCard(p);
        Magnifier(p, QPointF(16, 16), 4);
        break;
    case Glyph::GoToRecord:
        SmallCard(p);
        RightArrow(p);
        break;
    }
}

} // namespace

QList<QIcon> FolderIcons()
{
    QList<QIcon> icons;
    for (int i = 0; i < kFolderIconCount; ++i) {
        const QColor colour = kFolderColours[static_cast<std::size_t>(i % 10)];
        icons << Draw(16, [&](QPainter& p) {
            FolderShape(p, QRectF(0.5, 2.5, 15, 12), colour);
            if (i >= 10) {
                Emblem(p, i - 10);
            }
        });
    }
    return icons;
}

QIcon RecordIcon()
{
    return Draw(16, [](QPainter& p) { Key(p, QRectF(0, 0, 16, 16), QColor(230, 180, 50)); });
}

QIcon ToolbarGlyph(Glyph glyph)
{
    return Draw(24, [glyph](QPainter& p) { PaintGlyph(p, glyph); });
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        QPainterPath shield;
        shield.moveTo(16, 1.5);
        shield.lineTo(29, 6);
        shield.cubicTo(29, 19, 24, 26, 16, 30.5);
        shield.cubicTo(8, 26, 3, 19, 3, 6);
        shield.closeSubpath();
        QLinearGradient fill(0, 0, 0, 32);
        fill.setColorAt(0, QColor(70, 130, 220));
        fill.setColorAt(1, QColor(25, 60, 140));
        p.setPen(QPen(QColor(20, 45, 100), 1.2));
        p.setBrush(fill);
        p.drawPath(shield);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 215, 90));
        p.drawEllipse(QPointF(16, 13), 4.2, 4.2);
        p.drawPolygon(QPolygonF({QPointF(14, 15), QPointF(18, 15), QPointF(19.5, 24), QPointF(12.5, 24)}));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace velmora
