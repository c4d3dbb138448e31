#include "util/PathExtensions.h"

#include <QPainterPathStroker>

namespace ql {

BezierPath bezierPathWithElements(const QList<PathElement>& elements)
{
    BezierPath path;
    for (const PathElement& e : elements) {
        switch (e.type) {
        case PathElement::Type::MoveTo:
            path.moveTo(e.points[0]);
            break;
        case PathElement::Type::LineTo:
            path.lineTo(e.points[0]);
            break;
        case PathElement::Type::QuadCurveTo: {
            // Degree elevation: each cubic control point lies two thirds of
            // the way from its end towards the quadratic control point.
            const QPointF start = path.isEmpty() ? QPointF() : path.currentPoint();
            const QPointF control = e.points[0];
            const QPointF end = e.points[1];
            if (path.isEmpty())
                path.moveTo(start);
            path.curveTo(end, (start + 2 * control) / 3, (end + 2 * control) / 3);
            break;
        }
        case PathElement::Type::CurveTo:
            if (path.isEmpty())
                path.moveTo(QPointF());
            path.curveTo(e.points[2], e.points[0], e.points[1]);
            break;
        case PathElement::Type::Close:
            path.closePath();
            break;
        }
    }
    return path;
}

BezierPath pathWithStrokeWidth(const BezierPath& path, double width)
{
    const QPen pen = path.strokePen(Qt::black);
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(pen.capStyle());
    stroker.setJoinStyle(pen.joinStyle());
    stroker.setMiterLimit(pen.miterLimit());
    return BezierPath::fromPainterPath(stroker.createStroke(path.toPainterPath()));
}

void strokeInsideWithinRect(QPainter& painter, const BezierPath& path, const QRectF& clip)
{
    const float width = float(path.lineWidth());
    painter.save();
    painter.setClipPath(path.toPainterPath(), Qt::IntersectClip);
    if (clip.width() > 0 && clip.height() > 0)
        painter.setClipRect(clip, Qt::IntersectClip);
    QPen pen = path.strokePen(painter.pen().color());
    pen.setWidthF(2.0 * width);
    painter.strokePath(path.toPainterPath(), pen);
    painter.restore();
}

} // namespace ql
