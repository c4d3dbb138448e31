#include "panels/inspectors/AlignmentIcons.h"

#include <QPainter>
#include <QTransform>

namespace ql {

QImage alignmentIcon(AlignmentIcon icon)
{
    QImage image(36, 36, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2.0);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(60, 60, 60);

    // Drawn as for a vertical line at the left or centre, then turned.
    const bool vertical = icon == AlignmentIcon::Top || icon == AlignmentIcon::Bottom
                          || icon == AlignmentIcon::CenterHorizontal || icon == AlignmentIcon::SpreadVertically;
    if (vertical)
        painter.setTransform(QTransform(0, 1, 1, 0, 0, 0));
    if (icon == AlignmentIcon::Right || icon == AlignmentIcon::Bottom)
        painter.setTransform(QTransform(-1, 0, 0, 1, 18, 0), true);

    if (icon == AlignmentIcon::SpreadHorizontally || icon == AlignmentIcon::SpreadVertically) {
        for (double x : {2.0, 8.0, 14.0})
            painter.fillRect(QRectF(x, 4, 3, 10), ink);
        return image;
    }
    const bool centred = icon == AlignmentIcon::CenterVertical || icon == AlignmentIcon::CenterHorizontal;
    const double line = centred ? 9.0 : 2.0;
    painter.fillRect(QRectF(line - 0.5, 1, 1, 16), ink);
    for (const auto& [y, length] : {std::pair {4.0, 12.0}, std::pair {10.0, 7.0}}) {
        const double x = centred ? line - length / 2 : line + 1.5;
        painter.fillRect(QRectF(x, y, length, 4), QColor(90, 130, 200));
    }
    return image;
}

} // namespace ql
