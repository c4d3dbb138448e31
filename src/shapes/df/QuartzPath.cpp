#include "shapes/df/QuartzPath.h"

namespace ql::df {

QuartzPath::QuartzPath(QList<Element> elements)
    : m_elements(std::make_shared<const QList<Element>>(std::move(elements)))
{
}

QuartzPath QuartzPath::fromBezierPath(const BezierPath& path)
{
    if (path.isEmpty())
        return {};
    QList<Element> elements;
    elements.reserve(path.elementCount() + 1);
    // A move alone leaves the flag as it was, so a trailing move or a lone
    // move gets no close.
    bool closed = true;
    for (const Element& e : path.elements()) {
        elements.append(e);
        switch (e.type) {
        case ElementType::MoveTo:
            break;
        case ElementType::LineTo:
        case ElementType::CurveTo:
            closed = false;
            break;
        case ElementType::ClosePath:
            closed = true;
            break;
        }
    }
    if (!closed)
        elements.append(Element {ElementType::ClosePath, {}});
    return QuartzPath(std::move(elements));
}

QPainterPath QuartzPath::toPainterPath() const
{
    QPainterPath result;
    if (!m_elements)
        return result;
    for (const Element& e : *m_elements) {
        switch (e.type) {
        case ElementType::MoveTo: result.moveTo(e.points[0]); break;
        case ElementType::LineTo: result.lineTo(e.points[0]); break;
        case ElementType::CurveTo: result.cubicTo(e.points[0], e.points[1], e.points[2]); break;
        case ElementType::ClosePath: result.closeSubpath(); break;
        }
    }
    return result;
}

BezierPath verticallyFlippedPath(const BezierPath& path)
{
    const QRectF bounds = path.bounds();
    // y' = top + bottom − y keeps the path inside the same bounds.
    return path.transformed(QTransform(1, 0, 0, -1, 0, bounds.top() + bounds.bottom()));
}

} // namespace ql::df
