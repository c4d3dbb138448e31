#include "shapes/df/DFImageShape.h"

#include "imaging/PicturePlaceholder.h"
#include "shapes/df/DFArchiving.h"
#include "shapes/df/DFStyle.h"

#include <cmath>

DFImageShape::DFImageShape() = default;

DFImageShape::DFImageShape(const ql::BezierPath& path) : DFDrawableShape(path) {}

DFImageShape::DFImageShape(const DFImageShape& other)
    : DFDrawableShape(other), m_image(other.m_image), m_imageOffset(other.m_imageOffset), m_imageOpacity(other.m_imageOpacity)
{
}

DFImageShape::~DFImageShape() = default;

void DFImageShape::setImage(const ql::Image& image)
{
    m_image = image;
    notifyChanged();
}

void DFImageShape::setImageOffset(QPointF offset)
{
    if (!std::isfinite(offset.x()) || !std::isfinite(offset.y()))
        return;
    m_imageOffset = offset;
    notifyChanged();
}

void DFImageShape::setImageOpacity(double opacity)
{
    if (std::isnan(opacity))
        return;
    m_imageOpacity = std::clamp(opacity, 0.0, 1.0);
    notifyChanged();
}

void DFImageShape::drawContent(QPainter& painter, const DFStyle& style) const
{
    const QImage picture = m_image.bitmap();
    const QSizeF natural = m_image.size();
    const QSizeF box(std::abs(size().width()), std::abs(size().height()));
    if (m_image.isUndecodable() && m_imageOpacity > 0.0) {
        const QPainterPath outline = renderingPath().toPainterPath();
        painter.save();
        painter.setClipPath(outline, Qt::IntersectClip);
        ql::drawPicturePlaceholder(painter, outline.boundingRect(), m_imageOpacity);
        painter.restore();
    }
    if (!picture.isNull() && natural.width() > 0 && natural.height() > 0 && m_imageOpacity > 0.0) {
        painter.save();
        painter.setClipPath(renderingPath().toPainterPath(), Qt::IntersectClip);
        if (const std::optional<QTransform> container = containerTransform())
            painter.setTransform(*container, true);
        painter.translate(location());
        painter.rotate(angle() * 180.0 / M_PI);
        const double scale = std::max(box.width() / natural.width(), box.height() / natural.height());
        const QSizeF shown = natural * (scale > 0.0 ? scale : 1.0);
        painter.setOpacity(painter.opacity() * m_imageOpacity);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(m_imageOffset - QPointF(shown.width() / 2, shown.height() / 2), shown), picture);
        painter.restore();
    }
    DFDrawableShape::drawContent(painter, style);
}

std::unique_ptr<DFDrawable> DFImageShape::copy() const
{
    return std::unique_ptr<DFDrawable>(new DFImageShape(*this));
}

QStringList DFImageShape::archiveClassChain() const
{
    return {QStringLiteral("DFImageShape"), QStringLiteral("DFDrawableShape"), QStringLiteral("DFDrawable"), QStringLiteral("NSObject")};
}

void DFImageShape::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    encode(coder, true);
}

void DFImageShape::encodeWithoutImage(ql::KeyedArchiver& coder) const
{
    encode(coder, false);
}

void DFImageShape::encode(ql::KeyedArchiver& coder, bool withImage) const
{
    DFDrawableShape::encodeWithCoder(coder);
    if (withImage && !m_image.isNull())
        coder.encodeObject(QStringLiteral("image"), QVariant::fromValue(m_image));
    coder.encodePoint(QStringLiteral("imageOffset"), m_imageOffset);
    coder.encodeDouble(QStringLiteral("imageOpacity"), m_imageOpacity);
}

void DFImageShape::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFDrawableShape::initWithCoder(coder);
    ql::df::readValue(coder, QStringLiteral("image"), m_image);
    ql::df::readPointWithin(coder, QStringLiteral("imageOffset"), m_imageOffset);
    double opacity = m_imageOpacity;
    if (ql::df::readDouble(coder, QStringLiteral("imageOpacity"), opacity, 1.0))
        m_imageOpacity = std::clamp(opacity, 0.0, 1.0);
}
