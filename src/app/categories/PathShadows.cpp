#include "app/categories/PathShadows.h"

#include "app/design/effects/Blur.h"

#include <cmath>
#include <vector>

namespace ql {

namespace {

// The largest layer side worth blurring; beyond it nothing is drawn.
constexpr int largestLayer = 16384;

// Whether a blur radius can give a layer at all; refuses NaN and radii whose
// margins would not fit the layer (or an int).
bool usableRadius(double radius)
{
    return radius <= largestLayer;
}

// Draws, in device space, a layer over `area` whose coverage `paint` draws
// (opaque where covered), blurred and tinted with `color`, optionally kept
// only inside `clip` (device coordinates).
template <class Paint>
void paintBlurredLayer(QPainter& painter, QRect area, double radius, const QColor& color, Paint paint,
                       const QPainterPath* clip)
{
    if (area.isEmpty() || area.width() > largestLayer || area.height() > largestLayer)
        return;
    QImage coverage(area.size(), QImage::Format_Alpha8);
    coverage.fill(0);
    {
        QPainter layer(&coverage);
        layer.setRenderHint(QPainter::Antialiasing);
        layer.translate(-area.topLeft());
        paint(layer);
    }
    const int w = area.width();
    const int h = area.height();
    std::vector<float> plane(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uchar* line = coverage.constScanLine(y);
        for (int x = 0; x < w; ++x)
            plane[size_t(y) * w + x] = line[x] / 255.0f;
    }
    // A shadow's blur radius spreads about twice its standard deviation.
    effects::gaussianBlur(plane, w, h, radius / 2.0);
    QImage tinted(area.size(), QImage::Format_ARGB32_Premultiplied);
    const QColor opaque = color.toRgb();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(tinted.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int a = int(std::clamp(plane[size_t(y) * w + x], 0.0f, 1.0f) * opaque.alphaF() * 255.0f + 0.5f);
            line[x] = qPremultiply(qRgba(opaque.red(), opaque.green(), opaque.blue(), a));
        }
    }
    if (clip) {
        QPainter keep(&tinted);
        keep.setRenderHint(QPainter::Antialiasing);
        keep.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        keep.translate(-area.topLeft());
        keep.fillPath(*clip, Qt::black);
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(area.topLeft(), tinted);
    painter.restore();
}

} // namespace

void paintInnerShadow(QPainter& painter, const QPainterPath& path, const Shadow& shadow)
{
    if (path.isEmpty() || !shadow.color.isValid() || shadow.color.alpha() == 0 || !usableRadius(shadow.blurRadius))
        return;
    const QTransform device = painter.worldTransform();
    const QPainterPath shape = device.map(path);
    const QPointF shift = device.map(shadow.offset) - device.map(QPointF(0, 0));
    const int margin = int(std::ceil(shadow.blurRadius * 1.5)) + 2;
    const QRect area = shape.boundingRect().toAlignedRect().adjusted(-margin, -margin, margin, margin);
    paintBlurredLayer(painter, area, shadow.blurRadius, shadow.color, [&](QPainter& layer) {
        // Everything but the shape, moved by the offset, casts the shadow.
        QPainterPath outside;
        outside.addRect(QRectF(area).adjusted(-std::abs(shift.x()) - margin, -std::abs(shift.y()) - margin,
                                              std::abs(shift.x()) + margin, std::abs(shift.y()) + margin));
        outside.addPath(shape);
        outside.setFillRule(Qt::OddEvenFill);
        layer.fillPath(outside.translated(shift), Qt::black);
    }, &shape);
}

void drawBlurWithColor(QPainter& painter, const BezierPath& path, const QColor& color, double radius)
{
    const QPainterPath shape = painter.worldTransform().map(path.toPainterPath());
    if (shape.isEmpty() || !usableRadius(radius))
        return;
    const int margin = int(std::ceil(std::max(0.0, radius) * 1.5)) + 2;
    const QRect area = shape.boundingRect().toAlignedRect().adjusted(-margin, -margin, margin, margin);
    paintBlurredLayer(painter, area, radius, color, [&](QPainter& layer) { layer.fillPath(shape, Qt::black); }, nullptr);
}

} // namespace ql
