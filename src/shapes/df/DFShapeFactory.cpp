#include "shapes/df/DFShapeFactory.h"

#include <algorithm>
#include <cmath>

namespace {

// A finite value within [low, high]; `fallback` for NaN.
double bounded(double value, double low, double high, double fallback)
{
    return std::isnan(value) ? fallback : std::clamp(value, low, high);
}

} // namespace

ql::BezierPath DFShapeFactory::star(int points, double innerDiameter)
{
    const int tips = std::clamp(points, 3, 100);
    const double inner = 0.5 * bounded(innerDiameter, 0.0, 1.0, 0.5);
    const QPointF centre(0.5, 0.5);
    ql::BezierPath path;
    for (int i = 0; i < 2 * tips; ++i) {
        // Straight up first (y grows downwards), then clockwise.
        const double angle = -M_PI / 2.0 + M_PI * i / tips;
        const double radius = i % 2 == 0 ? 0.5 : inner;
        const QPointF corner = centre + QPointF(std::cos(angle), std::sin(angle)) * radius;
        if (i == 0)
            path.moveTo(corner);
        else
            path.lineTo(corner);
    }
    path.closePath();
    // Tips need not reach every edge (an odd star is lower than wide):
    // stretch the star to fill the square.
    const QRectF box = path.bounds();
    QTransform fit = QTransform::fromTranslate(-box.left(), -box.top());
    fit *= QTransform::fromScale(1.0 / box.width(), 1.0 / box.height());
    return path.transformed(fit);
}

ql::BezierPath DFShapeFactory::roundRectWithCornerRadius(double radius)
{
    const double r = bounded(radius, 0.0, 0.5, 0.0);
    constexpr double k = 0.5522847498307936; // quarter circle as one cubic
    const double c = r * (1.0 - k);
    ql::BezierPath path;
    path.moveTo({r, 0.0});
    path.lineTo({1.0 - r, 0.0});
    if (r > 0.0)
        path.curveTo({1.0, r}, {1.0 - c, 0.0}, {1.0, c});
    path.lineTo({1.0, 1.0 - r});
    if (r > 0.0)
        path.curveTo({1.0 - r, 1.0}, {1.0, 1.0 - c}, {1.0 - c, 1.0});
    path.lineTo({r, 1.0});
    if (r > 0.0)
        path.curveTo({0.0, 1.0 - r}, {c, 1.0}, {0.0, 1.0 - c});
    path.lineTo({0.0, r});
    if (r > 0.0)
        path.curveTo({r, 0.0}, {0.0, c}, {c, 0.0});
    path.closePath();
    return path;
}

ql::BezierPath DFShapeFactory::ring(double innerDiameter)
{
    const double d = bounded(innerDiameter, 0.0, 0.99, 0.5);
    ql::BezierPath path = ql::BezierPath::ovalInRect(QRectF(0, 0, 1, 1));
    if (d > 0.0) {
        const QRectF hole(0.5 - d / 2.0, 0.5 - d / 2.0, d, d);
        // The same oval mirrored left to right runs the other way round.
        QTransform mirror = QTransform::fromTranslate(-0.5, 0) * QTransform::fromScale(-1, 1) * QTransform::fromTranslate(0.5, 0);
        path.append(ql::BezierPath::ovalInRect(hole).transformed(mirror));
    }
    path.setWindingRule(ql::BezierPath::WindingRule::EvenOdd);
    return path;
}

QRectF ScaledRectForSize(QSizeF size, const QRectF& rect)
{
    if (!(size.width() > 0.0) || !(size.height() > 0.0) || !std::isfinite(size.width()) || !std::isfinite(size.height()))
        return rect;
    const double scale = std::min(rect.width() / size.width(), rect.height() / size.height());
    const QSizeF fitted = size * scale;
    return QRectF(rect.center() - QPointF(fitted.width() / 2.0, fitted.height() / 2.0), fitted);
}
