#include "platform/graphics/BezierPath.h"

namespace ql {

BezierPath BezierPath::rect(const QRectF& rect)
{
    BezierPath path;
    path.moveTo(rect.topLeft());
    path.lineTo(rect.topRight());
    path.lineTo(rect.bottomRight());
    path.lineTo(rect.bottomLeft());
    path.closePath();
    return path;
}

BezierPath BezierPath::ovalInRect(const QRectF& rect)
{
    // Four quarter curves with the usual circle constant, starting at the right.
    constexpr double k = 0.5522847498307936;
    const QPointF c = rect.center();
    const double rx = rect.width() / 2.0;
    const double ry = rect.height() / 2.0;
    BezierPath path;
    path.moveTo({c.x() + rx, c.y()});
    path.curveTo({c.x(), c.y() + ry}, {c.x() + rx, c.y() + k * ry}, {c.x() + k * rx, c.y() + ry});
    path.curveTo({c.x() - rx, c.y()}, {c.x() - k * rx, c.y() + ry}, {c.x() - rx, c.y() + k * ry});
    path.curveTo({c.x(), c.y() - ry}, {c.x() - rx, c.y() - k * ry}, {c.x() - k * rx, c.y() - ry});
    path.curveTo({c.x() + rx, c.y()}, {c.x() + k * rx, c.y() - ry}, {c.x() + rx, c.y() - k * ry});
    path.closePath();
    return path;
}

BezierPath BezierPath::fromPainterPath(const QPainterPath& source)
{
    BezierPath path;
    path.setWindingRule(source.fillRule() == Qt::OddEvenFill ? WindingRule::EvenOdd : WindingRule::NonZero);
    path.reserve(source.elementCount());
    for (int i = 0; i < source.elementCount(); ++i) {
        const QPainterPath::Element e = source.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            path.moveTo(e);
            break;
        case QPainterPath::LineToElement:
            path.lineTo(e);
            break;
        case QPainterPath::CurveToElement:
            // Qt stores a cubic as the first control point followed by two
            // data elements; a path that ends early is malformed, so stop.
            if (i + 2 >= source.elementCount())
                return path;
            path.curveTo(source.elementAt(i + 2), e, source.elementAt(i + 1));
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return path;
}

void BezierPath::moveTo(QPointF point)
{
    m_elements.append(Element {ElementType::MoveTo, {point, QPointF(), QPointF()}});
}

void BezierPath::lineTo(QPointF point)
{
    m_elements.append(Element {ElementType::LineTo, {point, QPointF(), QPointF()}});
}

void BezierPath::curveTo(QPointF end, QPointF control1, QPointF control2)
{
    m_elements.append(Element {ElementType::CurveTo, {control1, control2, end}});
}

void BezierPath::closePath()
{
    m_elements.append(Element {ElementType::ClosePath, {}});
}

void BezierPath::append(const BezierPath& other)
{
    m_elements.append(other.m_elements);
}

QPointF BezierPath::currentPoint() const
{
    QPointF subpathStart;
    QPointF current;
    for (const Element& e : m_elements) {
        switch (e.type) {
        case ElementType::MoveTo:
            subpathStart = current = e.points[0];
            break;
        case ElementType::LineTo:
            current = e.points[0];
            break;
        case ElementType::CurveTo:
            current = e.points[2];
            break;
        case ElementType::ClosePath:
            current = subpathStart;
            break;
        }
    }
    return current;
}

void BezierPath::setDash(QList<double> pattern, double phase)
{
    m_dashPattern = std::move(pattern);
    m_dashPhase = phase;
}

QRectF BezierPath::bounds() const
{
    return toPainterPath().boundingRect();
}

QRectF BezierPath::controlPointBounds() const
{
    return toPainterPath().controlPointRect();
}

void BezierPath::transform(const QTransform& transform)
{
    for (Element& e : m_elements)
        for (QPointF& p : e.points)
            p = transform.map(p);
}

BezierPath BezierPath::transformed(const QTransform& t) const
{
    BezierPath copy = *this;
    copy.transform(t);
    return copy;
}

QPainterPath BezierPath::toPainterPath() const
{
    QPainterPath path;
    path.setFillRule(m_windingRule == WindingRule::EvenOdd ? Qt::OddEvenFill : Qt::WindingFill);
    for (const Element& e : m_elements) {
        switch (e.type) {
        case ElementType::MoveTo:
            path.moveTo(e.points[0]);
            break;
        case ElementType::LineTo:
            path.lineTo(e.points[0]);
            break;
        case ElementType::CurveTo:
            path.cubicTo(e.points[0], e.points[1], e.points[2]);
            break;
        case ElementType::ClosePath:
            path.closeSubpath();
            break;
        }
    }
    return path;
}

QPen BezierPath::strokePen(const QColor& color) const
{
    QPen pen(color);
    pen.setWidthF(m_lineWidth);
    pen.setMiterLimit(m_miterLimit);
    switch (m_lineCap) {
    case LineCap::Butt: pen.setCapStyle(Qt::FlatCap); break;
    case LineCap::Round: pen.setCapStyle(Qt::RoundCap); break;
    case LineCap::Square: pen.setCapStyle(Qt::SquareCap); break;
    }
    switch (m_lineJoin) {
    case LineJoin::Miter: pen.setJoinStyle(Qt::MiterJoin); break;
    case LineJoin::Round: pen.setJoinStyle(Qt::RoundJoin); break;
    case LineJoin::Bevel: pen.setJoinStyle(Qt::BevelJoin); break;
    }
    if (!m_dashPattern.isEmpty()) {
        // Qt measures dashes in pen widths; a hairline counts as width 1.
        const double unit = m_lineWidth > 0.0 ? m_lineWidth : 1.0;
        QList<qreal> dashes;
        for (double d : m_dashPattern)
            dashes.append(d / unit);
        if (dashes.size() % 2 == 1)
            dashes.append(dashes); // Qt needs pairs; an odd pattern repeats.
        pen.setDashPattern(dashes);
        pen.setDashOffset(m_dashPhase / unit);
    }
    return pen;
}

} // namespace ql
