#include "shapes/df/DFDrawable.h"

#include "platform/archive/ArchiveFields.h"
#include "shapes/df/DFArchiving.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFObjectDrawingLayer.h"
#include "shapes/df/DFStyle.h"

#include <QPainterPathStroker>
#include <cmath>

DFDrawable::DFDrawable()
{
    setStyle(nullptr);
}

DFDrawable::DFDrawable(const DFDrawable& other)
    : QObject(), ql::Codable(), DFRenderable(), m_containerTransform(other.m_containerTransform), m_metadata(other.m_metadata)
{
    setStyle(other.m_style->copyStyle());
}

DFDrawable::~DFDrawable() = default;

ql::BezierPath DFDrawable::renderingPath() const
{
    ql::BezierPath outline = path();
    if (m_containerTransform)
        outline.transform(*m_containerTransform);
    return outline;
}

QRectF DFDrawable::bounds() const
{
    return renderingPath().bounds();
}

void DFDrawable::setAngle(double) {}

DFObjectDrawingLayer* DFDrawable::layer() const
{
    return m_layer;
}

void DFDrawable::setMetadataObject(const QString& key, const QVariant& value)
{
    if (value.isValid())
        m_metadata.insert(key, value);
    else
        m_metadata.remove(key);
}

void DFDrawable::setStyle(std::unique_ptr<DFStyle> style)
{
    if (!style)
        style = DFStyle::defaultStyle();
    if (!ql::df::canAdopt(this, style.get()))
        return;
    DFStyle* previous = m_style;
    m_style = style.release();
    m_style->setParent(this);
    delete previous;
    notifyChanged();
}

DFDrawablePath* DFDrawable::convertToPath()
{
    auto converted = std::make_unique<DFDrawablePath>(renderingPath());
    converted->setStyle(m_style->copyStyle());
    converted->m_metadata = m_metadata;
    if (DFObjectDrawingLayer* owner = m_layer)
        return static_cast<DFDrawablePath*>(owner->replaceObject(this, std::move(converted)));
    return converted.release();
}

QRectF DFDrawable::drawingBounds(const DFStyle* style) const
{
    const double outset = (style ? style : m_style)->extraOutset();
    return bounds().adjusted(-outset, -outset, outset, outset);
}

void DFDrawable::drawContent(QPainter& painter, const DFStyle& style) const
{
    if (style.enabled())
        style.render(*this, painter);
}

void DFDrawable::drawContentWithStyle(QPainter& painter, const DFStyle* style) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    drawContent(painter, style ? *style : *m_style);
    painter.restore();
}

void DFDrawable::drawContentInRect(QPainter& painter, const QRectF& destination, const QRectF& from, const DFStyle* style) const
{
    const QRectF source = from.isEmpty() ? drawingBounds(style) : from;
    if (source.width() <= 0.0 || source.height() <= 0.0 || destination.isEmpty())
        return;
    // Blowing a speck up a millionfold shows nothing and strains the painter.
    const double sx = destination.width() / source.width();
    const double sy = destination.height() / source.height();
    constexpr double largestScale = 1.0e6;
    if (!(sx <= largestScale && sy <= largestScale))
        return;
    painter.save();
    painter.setClipRect(destination, Qt::IntersectClip);
    painter.translate(destination.topLeft());
    painter.scale(sx, sy);
    painter.translate(-source.topLeft());
    drawContentWithStyle(painter, style);
    painter.restore();
}

bool DFDrawable::hitTest(QPointF point, double tolerance) const
{
    const QPainterPath outline = renderingPath().toPainterPath();
    if (outline.isEmpty())
        return false;
    if (m_style->fill() && m_style->fill()->isValid() && outline.contains(point))
        return true;
    QPainterPathStroker band;
    band.setWidth(std::max(0.0, m_style->strokeWidth()) + 2.0 * std::max(0.0, tolerance));
    return band.createStroke(outline).contains(point);
}

QStringList DFDrawable::archiveClassChain() const
{
    return {QStringLiteral("DFDrawable"), QStringLiteral("NSObject")};
}

void DFDrawable::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    coder.encodeObject(QStringLiteral("style"), m_style);
}

void DFDrawable::initWithCoder(ql::KeyedUnarchiver& coder)
{
    // A style that is missing, of another class or already another
    // object's keeps the default style.
    DFStyle* style = ql::fields::readObject<DFStyle>(coder, QStringLiteral("style"));
    if (ql::df::canAdopt(this, style)) {
        delete m_style;
        m_style = style;
        m_style->setParent(this);
    }
}
