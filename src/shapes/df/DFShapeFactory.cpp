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

namespace {

ql::BezierPath polygon(std::initializer_list<QPointF> corners)
{
    ql::BezierPath path;
    bool first = true;
    for (const QPointF& corner : corners) {
        if (first)
            path.moveTo(corner);
        else
            path.lineTo(corner);
        first = false;
    }
    path.closePath();
    return path;
}

} // namespace

ql::BezierPath DFShapeFactory::rightTriangle()
{
    return polygon({{0, 0}, {0, 1}, {1, 1}});
}

ql::BezierPath DFShapeFactory::equilateralTriangle()
{
    const double height = std::sqrt(3.0) / 2.0;
    // Centred in the unit square, point up.
    const double top = (1.0 - height) / 2.0;
    return polygon({{0.5, top}, {1, top + height}, {0, top + height}});
}

ql::BezierPath DFShapeFactory::regularPolygon(int sides)
{
    const int corners = std::clamp(sides, 3, 100);
    ql::BezierPath path;
    for (int i = 0; i < corners; ++i) {
        // First corner straight up, then clockwise on screen.
        const double angle = -M_PI / 2.0 + 2.0 * M_PI * i / corners;
        const QPointF corner(0.5 + 0.5 * std::cos(angle), 0.5 + 0.5 * std::sin(angle));
        if (i == 0)
            path.moveTo(corner);
        else
            path.lineTo(corner);
    }
    path.closePath();
    return path;
}

ql::BezierPath DFShapeFactory::inflectedArrowhead()
{
    // Pointing right; the back curves in towards the tip between the barbs.
    ql::BezierPath path;
    path.moveTo({1, 0.5});
    path.curveTo({0, 0}, {0.7, 0.35}, {0.3, 0.1});
    path.curveTo({0, 1}, {0.45, 0.45}, {0.45, 0.55});
    path.curveTo({1, 0.5}, {0.3, 0.9}, {0.7, 0.65});
    path.closePath();
    return path;
}

ql::BezierPath DFShapeFactory::arrowTailFeather()
{
    // A chevron pointing right, notched at the back like a fletching.
    return polygon({{0, 0}, {0.55, 0}, {1, 0.5}, {0.55, 1}, {0, 1}, {0.45, 0.5}});
}

ql::BezierPath DFShapeFactory::cross()
{
    // A Latin cross: the cross-bar sits above the middle.
    const double a = 1.0 / 3.0, b = 2.0 / 3.0;
    return polygon({{a, 0}, {b, 0}, {b, 0.25}, {1, 0.25}, {1, 0.55}, {b, 0.55}, {b, 1}, {a, 1}, {a, 0.55},
                    {0, 0.55}, {0, 0.25}, {a, 0.25}});
}

ql::BezierPath DFShapeFactory::diagonalCross()
{
    // Two bars of a fifth of the side crossing corner to corner.
    const double w = 0.2;
    return polygon({{0, w}, {w, 0}, {0.5, 0.5 - w}, {1 - w, 0}, {1, w}, {0.5 + w, 0.5}, {1, 1 - w}, {1 - w, 1},
                    {0.5, 0.5 + w}, {w, 1}, {0, 1 - w}, {0.5 - w, 0.5}});
}

ql::BezierPath DFShapeFactory::roundRectSpeechBalloon(int tailSide, double cornerRadius)
{
    // Drawn with the body over the top four fifths and the tail reaching
    // the bottom, then stood on its head: the tail rises from the top edge.
    const double bodyHeight = 0.8;
    const double r = bounded(cornerRadius, 0.0, 0.5, 0.25) * bodyHeight;
    const double k = 0.5523 * r; // control distance of a quarter circle
    // 9 puts the tail on the right; every other value on the left.
    const bool right = tailSide == 9;
    const double tailStart = right ? 0.55 : 0.2;
    const double tailEnd = right ? 0.8 : 0.45;
    const double tailTip = right ? 0.9 : 0.1;
    ql::BezierPath path;
    path.moveTo({r, 0});
    path.lineTo({1 - r, 0});
    path.curveTo({1, r}, {1 - r + k, 0}, {1, r - k});
    path.lineTo({1, bodyHeight - r});
    path.curveTo({1 - r, bodyHeight}, {1, bodyHeight - r + k}, {1 - r + k, bodyHeight});
    path.lineTo({tailEnd, bodyHeight});
    path.lineTo({tailTip, 1});
    path.lineTo({tailStart, bodyHeight});
    path.lineTo({r, bodyHeight});
    path.curveTo({0, bodyHeight - r}, {r - k, bodyHeight}, {0, bodyHeight - r + k});
    path.lineTo({0, r});
    path.curveTo({r, 0}, {0, r - k}, {r - k, 0});
    path.closePath();
    return path.transformed(QTransform(1, 0, 0, -1, 0, 1));
}
