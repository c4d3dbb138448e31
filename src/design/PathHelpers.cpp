#include "design/ZVDesignHelper.h"

#include "imaging/ImageBitmap.h"
#include "imaging/ImageEdits.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <cmath>

namespace ql {

BezierPath& ZVDesignHelper::scaleBezierPath(BezierPath& path, const QRectF& rect)
{
    const QRectF bounds = path.bounds();
    // A flat path scales by its one measurable side; a point cannot scale.
    double ratio = 0;
    if (bounds.width() > 0 && bounds.height() > 0)
        ratio = std::min(rect.width() / bounds.width(), rect.height() / bounds.height());
    else if (bounds.width() > 0)
        ratio = rect.width() / bounds.width();
    else if (bounds.height() > 0)
        ratio = rect.height() / bounds.height();
    if (!(ratio > 0) || !std::isfinite(ratio))
        return path;
    const double s = float(ratio);
    QTransform transform;
    transform.scale(s, s);
    transform.translate(0.01 - bounds.x(), 0.01 - bounds.y());
    path.transform(transform);
    return path;
}

BezierPath& ZVDesignHelper::rotateBezierPath(BezierPath& path, double degrees)
{
    // x' = x cos a − y sin a, y' = x sin a + y cos a: counter-clockwise with y up.
    QTransform transform;
    transform.rotate(degrees);
    path.transform(transform);
    return path;
}

BezierPath ZVDesignHelper::horizontalLine()
{
    BezierPath path;
    path.moveTo(QPointF(0, 0.5));
    path.lineTo(QPointF(1, 0.5));
    path.moveTo(QPointF(1, 0.5));
    path.lineTo(QPointF(1, 0.500001));
    path.setLineWidth(1);
    return path;
}

Image ZVDesignHelper::imageWithBezierPath(BezierPath& path)
{
    const QSizeF size(300, 300);
    QImage bitmap = blankBitmap(size);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // Paths are drawn with y up, as the shape library gives them.
    painter.setTransform(QTransform(1, 0, 0, -1, 0, size.height()));
    path.setLineWidth(3);
    const QPainterPath shape = path.toPainterPath();
    painter.strokePath(shape, path.strokePen(Qt::black));
    painter.fillPath(shape, Qt::white);
    painter.end();
    return imageFromBitmap(bitmap, size);
}

Image ZVDesignHelper::imageWithCharacter(const QString& text)
{
    if (text.isEmpty())
        return {};
    QFont font = QGuiApplication::font();
    font.setPixelSize(1000);
    const QFontMetricsF metrics(font);
    const QSizeF size(std::ceil(metrics.horizontalAdvance(text)), std::ceil(metrics.height()));
    QImage bitmap = blankBitmap(size);
    if (bitmap.isNull())
        return {};
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPointF(0, metrics.ascent()), text);
    painter.end();
    return imageByTrimmingTransparentPixels(imageFromBitmap(bitmap, size));
}

} // namespace ql
