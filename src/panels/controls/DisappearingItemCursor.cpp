#include "panels/controls/DisappearingItemCursor.h"

#include <QPainter>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>

namespace ql {

QCursor disappearingItemCursor()
{
    // An image, not a pixmap: it outlives the application at exit.
    static const QImage puff = [] {
        QImage pixmap(32, 32, QImage::Format_ARGB32_Premultiplied);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(60, 60, 60), 1.5));
        painter.setBrush(QColor(245, 245, 245));
        // Overlapping round puffs make the cloud.
        const QRectF puffs[] = {{4, 12, 12, 12}, {10, 6, 14, 14}, {17, 11, 12, 12}, {9, 15, 14, 11}};
        QPainterPath cloud;
        for (const QRectF& r : puffs)
            cloud = cloud.united([&r] {
                QPainterPath p;
                p.addEllipse(r);
                return p;
            }());
        painter.drawPath(cloud);
        painter.setBrush(QColor(60, 60, 60));
        painter.setPen(Qt::NoPen);
        for (const QPointF& spark : {QPointF(5, 6), QPointF(27, 6), QPointF(4, 28), QPointF(28, 27)})
            painter.drawEllipse(spark, 1.5, 1.5);
        painter.end();
        return pixmap;
    }();
    return QCursor(QPixmap::fromImage(puff), 16, 16);
}

} // namespace ql
