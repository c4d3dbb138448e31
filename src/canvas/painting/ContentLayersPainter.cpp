#include "canvas/painting/ContentLayersPainter.h"

#include "imaging/PathShadows.h"
#include "content/ShapeLayer.h"
#include "content/ZVContentView.h"
#include "platform/graphics/Color.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

bool usable(double value)
{
    return std::isfinite(value) && value > 0.0;
}

// How many device pixels one point of the painter's coordinates spans.
double deviceScale(const QPainter& painter)
{
    const QTransform t = painter.combinedTransform();
    const double scale = std::sqrt(std::abs(t.determinant()));
    return std::isfinite(scale) && scale > 0.0 ? scale : 1.0;
}

} // namespace

void ContentLayersPainter::paint(QPainter& painter, const ZVContentView& view, const QRectF& rect, double alpha)
{
    painter.save();
    painter.translate(rect.topLeft());
    // Border below the inner shadow, as their stacking says.
    if (const ShapeLayer* border = view.border())
        paintBorder(painter, *border, alpha);
    if (const ShapeLayer* shadow = view.innerShadow())
        paintInnerShadow(painter, *shadow, alpha);
    painter.restore();
}

bool ContentLayersPainter::clipToCorners(QPainter& painter, const ZVContentView& view, const QRectF& rect)
{
    const double radius = view.layerCornerRadius();
    if (!usable(radius))
        return false;
    QPainterPath corners;
    corners.addRoundedRect(rect, radius, radius);
    painter.setClipPath(corners, Qt::IntersectClip);
    return true;
}

QPen ContentLayersPainter::borderPen(const QColor& colour, double width, const QList<double>& dashLengths)
{
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::FlatCap);
    // Dashes come in points; the pen counts in line widths.
    QList<qreal> dashes;
    for (const double length : dashLengths) {
        if (!std::isfinite(length) || length < 0.0) {
            dashes.clear();
            break;
        }
        dashes.append(length / width);
    }
    if (dashes.size() % 2 == 1)
        dashes += dashes; // an odd pattern repeats with painted and skipped swapped
    if (!dashes.isEmpty() && std::any_of(dashes.cbegin(), dashes.cend(), [](qreal d) { return d > 0.0; }))
        pen.setDashPattern(dashes);
    return pen;
}

void ContentLayersPainter::paintBorder(QPainter& painter, const ShapeLayer& border, double alpha)
{
    const double width = border.lineWidth();
    const QVariant stroke = border.strokeColor();
    if (border.isHidden() || !usable(width) || !stroke.canConvert<Color>() || border.path().isEmpty())
        return;
    const QPen pen = borderPen(stroke.value<Color>().toQColor(), width, border.dashLengths());
    painter.save();
    painter.setOpacity(painter.opacity() * alpha);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(border.path().toPainterPath());
    painter.restore();
}

void ContentLayersPainter::paintInnerShadow(QPainter& painter, const ShapeLayer& innerShadow, double alpha)
{
    const double opacity = std::clamp(double(innerShadow.shadowOpacity()), 0.0, 1.0);
    if (innerShadow.isHidden() || !(opacity > 0.0) || innerShadow.maskPath().isEmpty())
        return;
    QColor colour = innerShadow.shadowColor().toQColor();
    colour.setAlphaF(float(std::clamp(colour.alphaF() * opacity, 0.0, 1.0)));
    const double radius = innerShadow.shadowRadius();
    Shadow shadow;
    shadow.color = colour;
    shadow.offset = QPointF(innerShadow.shadowOffset().width(), innerShadow.shadowOffset().height());
    // The layer's radius is in points; the shadow is blurred in device pixels.
    shadow.blurRadius = std::isfinite(radius) ? std::max(0.0, radius) * deviceScale(painter) : 0.0;
    painter.save();
    painter.setOpacity(painter.opacity() * alpha);
    // The band outside the outline casts the shadow; only the inside shows.
    ql::paintInnerShadow(painter, innerShadow.maskPath().toPainterPath(), shadow);
    painter.restore();
}

} // namespace ql
