#include "canvas/guides/CropMarks.h"

#include <QPainter>

namespace ql {

QList<QLineF> cropMarkLines(QSizeF size, double bleed)
{
    if (bleed <= 0)
        return {};
    const double w = size.width();
    const double h = size.height();
    const double m = bleed;
    const double length = 0.8 * m;
    // The right and bottom marks stand on the trim edge itself (w − m, h − m),
    // as the left and top ones do: a mark one point outside would cut the
    // printed sheet a point too wide.
    return {
        QLineF(0, m, length, m),                 // top left, horizontal
        QLineF(m, 0, m, length),                 // top left, vertical
        QLineF(w - m, 0, w - m, length),         // top right, vertical
        QLineF(w - length, m, w, m),             // top right, horizontal
        QLineF(0, h - m, length, h - m),         // bottom left, horizontal
        QLineF(m, h, m, h - length),             // bottom left, vertical
        QLineF(w - m, h - length, w - m, h),     // bottom right, vertical
        QLineF(w - length, h - m, w, h - m),     // bottom right, horizontal
    };
}

void drawCropMarks(QPainter& painter, QSizeF size, double bleed)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    for (const QLineF& line : cropMarkLines(size, bleed))
        painter.drawLine(line);
    painter.restore();
}

} // namespace ql
