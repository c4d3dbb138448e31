#include "canvas/view/CanvasCursors.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>

namespace ql {

namespace {

// A transparent square picture, drawn antialiased by `draw`.
template <class Draw>
QPixmap drawnPicture(int side, Draw draw)
{
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return picture;
}

// A double-headed arrow through the centre of a square, at an angle.
QPixmap doubleArrow(double degrees)
{
    constexpr int kSide = 15;
    return drawnPicture(kSide, [degrees](QPainter& painter) {
        painter.translate(kSide / 2.0, kSide / 2.0);
        painter.rotate(degrees);
        QPainterPath arrow;
        arrow.moveTo(-7, 0);
        arrow.lineTo(-3.5, -3.5);
        arrow.lineTo(-3.5, -1.2);
        arrow.lineTo(3.5, -1.2);
        arrow.lineTo(3.5, -3.5);
        arrow.lineTo(7, 0);
        arrow.lineTo(3.5, 3.5);
        arrow.lineTo(3.5, 1.2);
        arrow.lineTo(-3.5, 1.2);
        arrow.lineTo(-3.5, 3.5);
        arrow.closeSubpath();
        painter.setPen(QPen(Qt::white, 1.2));
        painter.setBrush(Qt::black);
        painter.drawPath(arrow);
    });
}

// A quarter-circle arrow around the corner or edge the handle stands on.
QPixmap curvedArrow(double degrees)
{
    constexpr int kSide = 30;
    return drawnPicture(kSide, [degrees](QPainter& painter) {
        painter.translate(kSide / 2.0, kSide / 2.0);
        painter.rotate(degrees);
        QPainterPath arc;
        arc.arcMoveTo(QRectF(-9, -9, 18, 18), 200);
        arc.arcTo(QRectF(-9, -9, 18, 18), 200, -130);
        const QPointF start = arc.pointAtPercent(0);
        const QPointF end = arc.pointAtPercent(1);
        for (const QColor& colour : { QColor(Qt::white), QColor(Qt::black) }) {
            painter.setPen(QPen(colour, colour == Qt::white ? 4.0 : 1.8, Qt::SolidLine, Qt::RoundCap));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(arc);
            painter.setBrush(colour);
            for (const auto& [tip, angle] :
                { std::pair { start, arc.angleAtPercent(0) + 180 }, std::pair { end, arc.angleAtPercent(1) } }) {
                QPainterPath head;
                const double radians = qDegreesToRadians(-angle);
                const QPointF forward(std::cos(radians), std::sin(radians));
                const QPointF side(-forward.y(), forward.x());
                head.moveTo(tip + forward * 4);
                head.lineTo(tip - forward * 2 + side * 4);
                head.lineTo(tip - forward * 2 - side * 4);
                head.closeSubpath();
                painter.drawPath(head);
            }
        }
    });
}

QPixmap magnifier(bool zoomIn)
{
    return drawnPicture(20, [zoomIn](QPainter& painter) {
        painter.setPen(QPen(Qt::black, 3.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(12, 12), QPointF(18, 18));
        painter.setPen(QPen(Qt::black, 1.5));
        painter.setBrush(QColor(255, 255, 255, 220));
        painter.drawEllipse(QRectF(1, 1, 13, 13));
        painter.drawLine(QPointF(4.5, 7.5), QPointF(10.5, 7.5));
        if (zoomIn)
            painter.drawLine(QPointF(7.5, 4.5), QPointF(7.5, 10.5));
    });
}

} // namespace

QPixmap cursorPicture(const QString& name)
{
    if (name == QLatin1String("nwse"))
        return doubleArrow(45);
    if (name == QLatin1String("ns"))
        return doubleArrow(90);
    if (name == QLatin1String("swne"))
        return doubleArrow(-45);
    if (name == QLatin1String("ew"))
        return doubleArrow(0);
    if (name == QLatin1String("zoomin") || name == QLatin1String("zoomout"))
        return magnifier(name == QLatin1String("zoomin"));
    // "rotatenw" ... "rotatese": the arc bends around the handle's side.
    static const QStringList rotations { QStringLiteral("rotatee"), QStringLiteral("rotatese"),
        QStringLiteral("rotates"), QStringLiteral("rotatesw"), QStringLiteral("rotatew"), QStringLiteral("rotatenw"),
        QStringLiteral("rotaten"), QStringLiteral("rotatene") };
    const qsizetype index = rotations.indexOf(name);
    return index >= 0 ? curvedArrow(index * 45.0) : QPixmap();
}

QCursor cursorFor(const CanvasCursor& cursor)
{
    switch (cursor.shape) {
    case CanvasCursor::Shape::Arrow:
        return QCursor(Qt::ArrowCursor);
    case CanvasCursor::Shape::OpenHand:
        return QCursor(Qt::OpenHandCursor);
    case CanvasCursor::Shape::ClosedHand:
        return QCursor(Qt::ClosedHandCursor);
    case CanvasCursor::Shape::Forbidden:
        return QCursor(Qt::ForbiddenCursor);
    case CanvasCursor::Shape::PointingHand:
        return QCursor(Qt::PointingHandCursor);
    case CanvasCursor::Shape::Picture:
        break;
    }
    QPixmap picture = cursorPicture(cursor.picture);
    if (picture.isNull())
        return QCursor(Qt::ArrowCursor);
    if (cursor.degrees != 0) {
        // Turned about the hot spot, which stays where it was.
        QPixmap turned(picture.size());
        turned.fill(Qt::transparent);
        QPainter painter(&turned);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.translate(cursor.hotSpot);
        painter.rotate(cursor.degrees);
        painter.translate(-cursor.hotSpot);
        painter.drawPixmap(0, 0, picture);
        painter.end();
        picture = turned;
    }
    return QCursor(picture, cursor.hotSpot.x(), cursor.hotSpot.y());
}

} // namespace ql
