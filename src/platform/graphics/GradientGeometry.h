// Where a gradient lies in the rectangle it fills. Backgrounds, the overlays
// of text boxes and pictures, and shape fills all store a gradient kind:
// 0 and 2 run linearly at an angle, 1 and 3 radially from the centre, other
// kinds draw nothing. Every drawing of such a gradient, on screen and in
// output, takes its shape and geometry from here.
#pragma once

#include <QBrush>
#include <QGradientStops>
#include <QRectF>
#include <QVariant>

class QPainter;
class QPainterPath;

namespace ql {

class GradientGeometry {
public:
    enum class Shape { None, Linear, Radial };

    static Shape shapeOfKind(int kind);
    // The shape of a stored kind: a missing one reads as 0, a non-numeric one
    // draws nothing.
    static Shape shapeOfKind(const QVariant& kind);

    // A brush that spreads `stops` over `rect`: radially from its centre to
    // its corners, or linearly from edge to edge along `degrees`, measured
    // clockwise from the x axis on a y-down page (90 runs from the top edge
    // down). No brush for Shape::None or without stops.
    static QBrush brush(const QGradientStops& stops, Shape shape, double degrees, const QRectF& rect);

    // Fill `area` with `brush` at the painter's opacity. A gradient carries
    // that opacity in its stops instead, since PDF output (export and print)
    // draws a gradient without the painter's opacity.
    static void fill(QPainter& painter, const QRectF& area, const QBrush& brush);
    static void fill(QPainter& painter, const QPainterPath& area, const QBrush& brush);
};

} // namespace ql
