// Draws the two shape layers every content owns over what the content drew:
// first the border stroke (its width, dashes and colour as the element wrote
// them), then the inner shadow falling inwards from the content's outline.
// A hidden layer, a border without width or colour and a shadow without
// opacity draw nothing.
#pragma once

#include <QList>
#include <QPen>
#include <QRectF>

class QPainter;
class ShapeLayer;
class ZVContentView;

namespace ql {

class ContentLayersPainter {
public:
    // `rect` is where the content lies in the painter's coordinates; the
    // layers' paths are in the content's own (origin at its top left).
    static void paint(QPainter& painter, const ZVContentView& view, const QRectF& rect, double alpha);
    static void paintBorder(QPainter& painter, const ShapeLayer& border, double alpha);
    // A border's pen: dash lengths in points, an odd pattern repeated.
    static QPen borderPen(const QColor& colour, double width, const QList<double>& dashLengths);
    static void paintInnerShadow(QPainter& painter, const ShapeLayer& innerShadow, double alpha);
    // The clip a rounded content lies in (its own layer masks to its bounds
    // once it has a corner radius); empty when it has none.
    static bool clipToCorners(QPainter& painter, const ZVContentView& view, const QRectF& rect);
};

} // namespace ql
