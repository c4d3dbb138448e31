#include "shapes/df/DFFill.h"

#include "imaging/PicturePlaceholder.h"
#include "imaging/PathShadows.h"
#include "imaging/TiledPicture.h"
#include "platform/graphics/GradientGeometry.h"
#include "shapes/df/DFArchiving.h"

#include <cmath>

DFFill::DFFill() = default;
DFFill::~DFFill() = default;

DFFill::DFFill(const DFFill& other)
    : DFRasterizer(other), m_colour(other.m_colour), m_gradient(other.m_gradient),
      m_patternImage(other.m_patternImage), m_shadow(other.m_shadow)
{
}

std::unique_ptr<DFFill> DFFill::fillWithColour(const ql::Color& colour)
{
    auto fill = std::make_unique<DFFill>();
    fill->setColour(colour);
    return fill;
}

std::unique_ptr<DFFill> DFFill::fillWithGradient(const DFGradient& gradient)
{
    auto fill = std::make_unique<DFFill>();
    fill->setGradient(gradient);
    return fill;
}

std::unique_ptr<DFFill> DFFill::fillWithPatternImage(const ql::Image& image)
{
    auto fill = std::make_unique<DFFill>();
    fill->setPatternImage(image);
    return fill;
}

double DFFill::outset() const
{
    if (!m_shadow)
        return 0.0;
    return std::max(std::abs(m_shadow->offset.x()), std::abs(m_shadow->offset.y())) + std::max(0.0, m_shadow->blurRadius);
}

bool DFFill::isValid() const
{
    return !m_patternImage.isNull() || !m_gradient.isEmpty() || m_colour.alpha() > 0.0;
}

QBrush DFFill::brushFor(const QRectF& bounds) const
{
    if (!m_gradient.isEmpty())
        return m_gradient.brushForRect(bounds);
    return QBrush(m_colour.toQColor());
}

void DFFill::drawShadow(QPainter& painter, const ql::BezierPath& outline) const
{
    // A shadow falls from what the fill paints: a clear colour casts none.
    double opacity = 1.0;
    if (m_patternImage.isNull() && m_gradient.isEmpty())
        opacity = m_colour.alpha();
    QColor colour = m_shadow->color.toQColor();
    colour.setAlphaF(float(std::clamp(colour.alphaF() * opacity, 0.0, 1.0)));
    if (colour.alpha() == 0 || !std::isfinite(m_shadow->offset.x()) || !std::isfinite(m_shadow->offset.y()))
        return;
    const ql::BezierPath cast = outline.transformed(QTransform::fromTranslate(m_shadow->offset.x(), m_shadow->offset.y()));
    const double blur = std::isfinite(m_shadow->blurRadius) ? std::max(0.0, m_shadow->blurRadius) : 0.0;
    if (blur <= 0.0) {
        painter.fillPath(cast.toPainterPath(), colour);
        return;
    }
    // The blur radius is in points; the blurred layer works in pixels.
    const QTransform t = painter.combinedTransform();
    const double scale = std::sqrt(std::abs(t.determinant()));
    if (!std::isfinite(scale))
        return;
    ql::drawBlurWithColor(painter, cast, colour, blur * scale);
}

void DFFill::render(const DFRenderable& object, QPainter& painter) const
{
    const ql::BezierPath outline = renderingPathForObject(object);
    if (outline.isEmpty())
        return;
    applyClipping(painter, object);
    if (m_shadow)
        drawShadow(painter, outline);
    const QPainterPath area = outline.toPainterPath();
    if (m_patternImage.isUndecodable()) {
        painter.save();
        painter.setClipPath(area, Qt::IntersectClip);
        ql::drawPicturePlaceholder(painter, area.boundingRect());
        painter.restore();
        return;
    }
    if (!m_patternImage.bitmap().isNull()) {
        // Tiles are the picture's size in points, anchored at the object.
        painter.save();
        painter.setClipPath(area, Qt::IntersectClip);
        const QRectF bounds = area.boundingRect();
        ql::TiledPicture::paint(painter, m_patternImage, bounds, bounds.topLeft(), m_patternImage.size());
        painter.restore();
        return;
    }
    ql::GradientGeometry::fill(painter, area, brushFor(area.boundingRect()));
}

QStringList DFFill::observableKeyPaths() const
{
    return DFRasterizer::observableKeyPaths()
           + QStringList {QStringLiteral("colour"), QStringLiteral("gradient"), QStringLiteral("patternImage"), QStringLiteral("shadow")};
}

QHash<QString, QString> DFFill::actionNames() const
{
    QHash<QString, QString> names = DFRasterizer::actionNames();
    names.insert(QStringLiteral("colour"), QStringLiteral("#kind# Colour"));
    names.insert(QStringLiteral("gradient"), QStringLiteral("#kind# Gradient"));
    names.insert(QStringLiteral("patternImage"), QStringLiteral("#kind# Pattern"));
    names.insert(QStringLiteral("shadow"), QStringLiteral("#kind# Shadow"));
    return names;
}

std::unique_ptr<DFRasterizer> DFFill::copy() const
{
    return std::unique_ptr<DFRasterizer>(new DFFill(*this));
}

QStringList DFFill::archiveClassChain() const
{
    return {QStringLiteral("DFFill"), QStringLiteral("DFRasterizer"), QStringLiteral("NSObject")};
}

void DFFill::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFRasterizer::encodeWithCoder(coder);
    coder.encodeObject(QStringLiteral("colour"), QVariant::fromValue(m_colour));
    if (!m_gradient.isEmpty())
        ql::df::encodeGradient(coder, QStringLiteral("gradient"), m_gradient);
    if (!m_patternImage.isNull())
        coder.encodeObject(QStringLiteral("patternImage"), QVariant::fromValue(m_patternImage));
    if (m_shadow) {
        coder.encodePoint(QStringLiteral("shadowOffset"), m_shadow->offset);
        coder.encodeDouble(QStringLiteral("shadowBlurRadius"), m_shadow->blurRadius);
        coder.encodeObject(QStringLiteral("shadowColour"), QVariant::fromValue(m_shadow->color));
    }
}

void DFFill::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFRasterizer::initWithCoder(coder);
    ql::df::readValue(coder, QStringLiteral("colour"), m_colour);
    ql::df::readValue(coder, QStringLiteral("gradient"), m_gradient);
    ql::df::readValue(coder, QStringLiteral("patternImage"), m_patternImage);
    if (coder.containsValueForKey(QStringLiteral("shadowColour"))) {
        DFShadow shadow;
        ql::df::readPointWithin(coder, QStringLiteral("shadowOffset"), shadow.offset);
        ql::df::readDouble(coder, QStringLiteral("shadowBlurRadius"), shadow.blurRadius, 1000.0);
        shadow.blurRadius = std::max(0.0, shadow.blurRadius);
        ql::df::readValue(coder, QStringLiteral("shadowColour"), shadow.color);
        m_shadow = shadow;
    }
}
