// Sets an EAN-2 or EAN-5 add-on beside its main symbol the way it is printed:
// the main symbol's right quiet zone is the gap (7 modules), then the add-on,
// then a quiet zone of 5 modules. Header-only so the code-render tool can use
// it without linking the test harness.
#pragma once

#include <QImage>
#include <QPainter>
#include <cmath>

namespace testsupport {

inline QImage withSupplement(const QImage& main, const QImage& supplement, double barScale)
{
    const int trailingQuiet = int(std::ceil(5 * barScale));
    QImage out(main.width() + supplement.width() + trailingQuiet, main.height(), QImage::Format_ARGB32_Premultiplied);
    out.setDotsPerMeterX(main.dotsPerMeterX());
    out.setDotsPerMeterY(main.dotsPerMeterY());
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.drawImage(0, 0, main);
    painter.drawImage(main.width(), 0, supplement);
    painter.end();
    return out;
}

} // namespace testsupport
