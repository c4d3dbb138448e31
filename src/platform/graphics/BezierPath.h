// A vector path of our own with the stroke settings that travel with it
// (width, joins, caps, dashes), converted to QPainterPath and QPen to draw.
#pragma once

#include <QList>
#include <QMetaType>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <array>

namespace ql {

class BezierPath {
public:
    enum class ElementType { MoveTo, LineTo, CurveTo, ClosePath };
    enum class WindingRule { NonZero, EvenOdd };
    enum class LineCap { Butt, Round, Square };
    enum class LineJoin { Miter, Round, Bevel };

    // A curve's points are its first control point, second control point and
    // end point; move and line use the first point only; close uses none.
    struct Element {
        ElementType type = ElementType::MoveTo;
        std::array<QPointF, 3> points {};
        bool operator==(const Element&) const = default;
    };

    BezierPath() = default;

    static BezierPath rect(const QRectF& rect);
    static BezierPath ovalInRect(const QRectF& rect);
    // Keeps the geometry and fill rule of a painter path; stroke settings
    // start at their defaults.
    static BezierPath fromPainterPath(const QPainterPath& path);

    void moveTo(QPointF point);
    void lineTo(QPointF point);
    void curveTo(QPointF end, QPointF control1, QPointF control2);
    void closePath();
    void append(const BezierPath& other);

    // Room for `count` elements, for a path whose length is known ahead.
    void reserve(qsizetype count) { m_elements.reserve(count); }
    bool isEmpty() const { return m_elements.isEmpty(); }
    qsizetype elementCount() const { return m_elements.size(); }
    const Element& elementAt(qsizetype index) const { return m_elements.at(index); }
    const QList<Element>& elements() const { return m_elements; }
    // The end point of the last element, or of the sub-path a close returns to.
    QPointF currentPoint() const;

    WindingRule windingRule() const { return m_windingRule; }
    void setWindingRule(WindingRule rule) { m_windingRule = rule; }
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double width) { m_lineWidth = width; }
    double miterLimit() const { return m_miterLimit; }
    void setMiterLimit(double limit) { m_miterLimit = limit; }
    LineCap lineCap() const { return m_lineCap; }
    void setLineCap(LineCap cap) { m_lineCap = cap; }
    LineJoin lineJoin() const { return m_lineJoin; }
    void setLineJoin(LineJoin join) { m_lineJoin = join; }
    // Dash lengths in points, alternately drawn and skipped; empty is solid.
    const QList<double>& dashPattern() const { return m_dashPattern; }
    double dashPhase() const { return m_dashPhase; }
    void setDash(QList<double> pattern, double phase);

    // Tight bounds of the geometry, and the box of every point and control point.
    QRectF bounds() const;
    QRectF controlPointBounds() const;

    void transform(const QTransform& transform);
    BezierPath transformed(const QTransform& transform) const;

    QPainterPath toPainterPath() const;
    // A pen carrying width, cap, join, miter limit and dashes for this path.
    QPen strokePen(const QColor& color) const;

    bool operator==(const BezierPath&) const = default;

private:
    QList<Element> m_elements;
    WindingRule m_windingRule = WindingRule::NonZero;
    double m_lineWidth = 1.0;
    double m_miterLimit = 10.0;
    LineCap m_lineCap = LineCap::Butt;
    LineJoin m_lineJoin = LineJoin::Miter;
    QList<double> m_dashPattern;
    double m_dashPhase = 0.0;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::BezierPath)
