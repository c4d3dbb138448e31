#include "imaging/PicturePlaceholder.h"

#include <QPainter>

namespace ql {

void drawPicturePlaceholder(QPainter& painter, const QRectF& rect, double opacity)
{
    if (rect.isEmpty())
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect, QColor(0xe4, 0xe4, 0xe4));
    // A hairline on every device, however the picture is scaled.
    QPen pen(QColor(0x99, 0x99, 0x99), 1.0);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    painter.drawLine(rect.topLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomLeft());
    painter.restore();
}

} // namespace ql
