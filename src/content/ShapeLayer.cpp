#include "content/ShapeLayer.h"

ShapeLayer::ShapeLayer(QObject* parent) : KVObject(parent) {}

const ql::PropertyTable& ShapeLayer::properties() const
{
    using L = ShapeLayer;
    using ql::ValueKind;
    static const ql::PropertyTable table =
        ql::PropertyTableBuilder<L>(&baseTable())
            .property("path", &L::path, &L::setPath)
            .property("maskPath", &L::maskPath, &L::setMaskPath)
            .property("fillRule", &L::fillRule, &L::setFillRule)
            .property("frame", &L::frame, &L::setFrame)
            .property("hidden", &L::isHidden, &L::setHidden)
            .property("zPosition", &L::zPosition, &L::setZPosition)
            .property("cornerRadius", &L::cornerRadius, &L::setCornerRadius)
            .property("masksToBounds", &L::masksToBounds, &L::setMasksToBounds)
            .property("lineWidth", &L::lineWidth, &L::setLineWidth)
            .property("lineDashPattern", &L::lineDashPattern, &L::setLineDashPattern, ql::valueOf<QVariantList>())
            .property("strokeColor", &L::strokeColor, &L::setStrokeColor, ql::valueOf<ql::Color>())
            .property("fillColor", &L::fillColor, &L::setFillColor, ql::valueOf<ql::Color>())
            .property("shadowColor", &L::shadowColor, &L::setShadowColor)
            .property("shadowOffset", &L::shadowOffset, &L::setShadowOffset)
            .property("shadowOpacity", &L::shadowOpacity, &L::setShadowOpacity)
            .property("shadowRadius", &L::shadowRadius, &L::setShadowRadius)
            .build();
    return table;
}

void ShapeLayer::setPath(const ql::BezierPath& path)
{
    changeValue(QStringLiteral("path"), m_path, path);
}

void ShapeLayer::setMaskPath(const ql::BezierPath& path)
{
    changeValue(QStringLiteral("maskPath"), m_maskPath, path);
}

void ShapeLayer::setFillRule(int rule)
{
    ql::BezierPath path = m_path;
    path.setWindingRule(rule == 1 ? ql::BezierPath::WindingRule::EvenOdd : ql::BezierPath::WindingRule::NonZero);
    willChangeValueForKey(QStringLiteral("fillRule"));
    setPath(path);
    didChangeValueForKey(QStringLiteral("fillRule"));
}

void ShapeLayer::setFrame(const QRectF& frame)
{
    changeValue(QStringLiteral("frame"), m_frame, frame);
}

void ShapeLayer::setHidden(bool hidden)
{
    changeValue(QStringLiteral("hidden"), m_hidden, hidden);
}

void ShapeLayer::setZPosition(double z)
{
    changeValue(QStringLiteral("zPosition"), m_zPosition, z);
}

void ShapeLayer::setCornerRadius(double radius)
{
    changeValue(QStringLiteral("cornerRadius"), m_cornerRadius, radius);
}

void ShapeLayer::setMasksToBounds(bool masks)
{
    changeValue(QStringLiteral("masksToBounds"), m_masksToBounds, masks);
}

void ShapeLayer::setLineWidth(double width)
{
    changeValue(QStringLiteral("lineWidth"), m_lineWidth, width);
}

void ShapeLayer::setLineDashPattern(const QVariant& pattern)
{
    changeValue(QStringLiteral("lineDashPattern"), m_lineDashPattern, pattern);
}

QList<double> ShapeLayer::dashLengths() const
{
    QList<double> lengths;
    for (const QVariant& length : m_lineDashPattern.toList())
        lengths.append(length.toDouble());
    return lengths;
}

void ShapeLayer::setStrokeColor(const QVariant& color)
{
    changeValue(QStringLiteral("strokeColor"), m_strokeColor, color);
}

void ShapeLayer::setFillColor(const QVariant& color)
{
    changeValue(QStringLiteral("fillColor"), m_fillColor, color);
}

void ShapeLayer::setShadowColor(const ql::Color& color)
{
    changeValue(QStringLiteral("shadowColor"), m_shadowColor, color);
}

void ShapeLayer::setShadowOffset(QSizeF offset)
{
    changeValue(QStringLiteral("shadowOffset"), m_shadowOffset, offset);
}

void ShapeLayer::setShadowOpacity(float opacity)
{
    changeValue(QStringLiteral("shadowOpacity"), m_shadowOpacity, opacity);
}

void ShapeLayer::setShadowRadius(double radius)
{
    changeValue(QStringLiteral("shadowRadius"), m_shadowRadius, radius);
}
