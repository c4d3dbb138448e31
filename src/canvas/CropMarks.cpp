#include "canvas/CropMarks.h"

#include "canvas/ZVCanvasView.h"

#include <QPainter>

namespace ql {

QList<QLineF> CropMarks::lines(QSizeF size, double bleed)
{
    if (!(bleed > 0) || size.isEmpty())
        return {};
    const double w = size.width();
    const double h = size.height();
    const double m = bleed;
    const double reach = 0.8 * m;
    return {
        QLineF(0, m, reach, m),             // top left
        QLineF(m, 0, m, reach),
        QLineF(w - m, 0, w - m, reach),     // top right
        QLineF(w - reach, m, w, m),
        QLineF(0, h - m, reach, h - m),     // bottom left
        QLineF(m, h, m, h - reach),
        QLineF(w - m, h - reach, w - m, h), // bottom right
        QLineF(w - reach, h - m, w, h - m),
    };
}

bool CropMarks::shown(const ZVCanvasView& page)
{
    const ZVCanvasView* geometry = page.templateView();
    return geometry && geometry->fullBleed() && geometry->showBleedCropMarks() && page.effectiveBleedMargin() > 0;
}

void CropMarks::paint(QPainter& painter, const ZVCanvasView& page)
{
    if (!shown(page))
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawLines(lines(page.frame().size(), page.effectiveBleedMargin()));
    painter.restore();
}

} // namespace ql
