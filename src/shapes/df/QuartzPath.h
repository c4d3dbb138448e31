// An immutable copy of a Bézier path for the places that keep a finished
// outline (border and inner-shadow layers, stroked outlines). Unlike
// QPainterPath it keeps close elements, so whether a subpath was closed
// survives; a path that does not end closed gets one close at the end.
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QList>
#include <QPainterPath>
#include <memory>

namespace ql::df {

class QuartzPath {
public:
    using Element = BezierPath::Element;
    using ElementType = BezierPath::ElementType;

    // The null path.
    QuartzPath() = default;

    bool isNull() const { return !m_elements; }
    qsizetype elementCount() const { return m_elements ? m_elements->size() : 0; }
    const Element& elementAt(qsizetype index) const { return m_elements->at(index); }
    QList<Element> elements() const { return m_elements ? *m_elements : QList<Element>(); }

    QPainterPath toPainterPath() const;
    QRectF bounds() const { return toPainterPath().boundingRect(); }

    // Converts a path: elements in order, then one close when the last
    // line or curve was not followed by one. Null for an empty path.
    static QuartzPath fromBezierPath(const BezierPath& path);

private:
    explicit QuartzPath(QList<Element> elements);

    // Shared and never changed: copies are cheap and stay equal.
    std::shared_ptr<const QList<Element>> m_elements;
};

inline QuartzPath quartzPath(const BezierPath& path)
{
    return QuartzPath::fromBezierPath(path);
}

// A copy mirrored top to bottom within the path's own bounds.
BezierPath verticallyFlippedPath(const BezierPath& path);

} // namespace ql::df
