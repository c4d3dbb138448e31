#include "shapes/ZVImageAdornment.h"

#include "imaging/ImageBitmap.h"
#include "imaging/PicturePlaceholder.h"
#include "platform/archive/ArchiveFields.h"
#include "shapes/df/DFArchiving.h"
#include "shapes/df/DFShapeFactory.h"

#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kDegreesPerRadian = 57.29577951308232;

// The platform's compositing operations as the painter's modes. Those the
// painter lacks (plus-darker, the hue, saturation, colour and luminosity
// blends) and unknown numbers draw source-over.
QPainter::CompositionMode compositionMode(quint64 operation)
{
    using M = QPainter::CompositionMode;
    static const M modes[] = {
        M::CompositionMode_Clear,          M::CompositionMode_Source,          M::CompositionMode_SourceOver,
        M::CompositionMode_SourceIn,       M::CompositionMode_SourceOut,       M::CompositionMode_SourceAtop,
        M::CompositionMode_DestinationOver, M::CompositionMode_DestinationIn,  M::CompositionMode_DestinationOut,
        M::CompositionMode_DestinationAtop, M::CompositionMode_Xor,            M::CompositionMode_SourceOver,
        M::CompositionMode_SourceOver,     M::CompositionMode_Plus,            M::CompositionMode_Multiply,
        M::CompositionMode_Screen,         M::CompositionMode_Overlay,         M::CompositionMode_Darken,
        M::CompositionMode_Lighten,        M::CompositionMode_ColorDodge,      M::CompositionMode_ColorBurn,
        M::CompositionMode_SoftLight,      M::CompositionMode_HardLight,       M::CompositionMode_Difference,
        M::CompositionMode_Exclusion,
    };
    return operation < std::size(modes) ? modes[operation] : M::CompositionMode_SourceOver;
}

bool drawable(QSizeF size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0.0 && size.height() > 0.0;
}

} // namespace

ZVImageAdornment::ZVImageAdornment() = default;
ZVImageAdornment::~ZVImageAdornment() = default;

ZVImageAdornment::ZVImageAdornment(const ZVImageAdornment& other) : DFRasterizer(other)
{
    setImage(other.m_image);
    setImageIdentifier(other.m_imageIdentifier);
    setScale(other.m_scale);
    setOpacity(other.m_opacity);
    setAngle(other.m_angle);
    setFittingOption(other.m_fitting);
    setOperation(other.m_operation);
}

std::unique_ptr<ZVImageAdornment> ZVImageAdornment::imageAdornmentWithImage(const ql::Image& image)
{
    auto adornment = std::make_unique<ZVImageAdornment>();
    adornment->setImage(image);
    return adornment;
}

std::unique_ptr<ZVImageAdornment> ZVImageAdornment::imageAdornmentWithImageFromFile(const QString& path)
{
    const ql::Result<ql::Image> image = ql::Image::fromFile(path);
    return imageAdornmentWithImage(image ? *image : ql::Image());
}

void ZVImageAdornment::setImageWithKey(const QString&, DFDrawing*) {}

void ZVImageAdornment::setScale(double scale)
{
    if (std::isnan(scale))
        return;
    m_scale = std::clamp(scale, 0.001, 8.0);
}

void ZVImageAdornment::setOpacity(double opacity)
{
    if (std::isnan(opacity))
        return;
    m_opacity = std::clamp(opacity, 0.0, 1.0);
}

void ZVImageAdornment::setAngle(double radians)
{
    if (std::isfinite(radians))
        m_angle = radians;
}

void ZVImageAdornment::setAngleInDegrees(double degrees)
{
    setAngle(degrees * kRadiansPerDegree);
}

double ZVImageAdornment::angleInDegrees() const
{
    const double degrees = m_angle * kDegreesPerRadian;
    return degrees < 0.0 ? degrees + 360.0 : degrees;
}

ql::Image ZVImageAdornment::pictureFor(const DFRenderable& object) const
{
    if (!m_image.isNull() || m_imageIdentifier.isEmpty())
        return m_image;
    // A picture kept with the object draws at its own size.
    const QVariant kept = object.metadataObjectForKey(m_imageIdentifier);
    return kept.metaType() == QMetaType::fromType<ql::Image>() ? kept.value<ql::Image>() : ql::Image();
}

QTransform ZVImageAdornment::transformFor(const DFRenderable& object, QSizeF picture) const
{
    const QSizeF size = object.size();
    double sx = 0.0;
    double sy = 0.0;
    if (m_fitting == Proportional || m_fitting == Stretch) {
        // Without a picture size there is nothing to fit: no scaling.
        if (drawable(picture)) {
            if (m_fitting == Proportional) {
                const QRectF fitted = ScaledRectForSize(picture, QRectF(QPointF(0, 0), size));
                sx = fitted.width() / picture.width();
                sy = fitted.height() / picture.height();
            } else {
                sx = size.width() / picture.width();
                sy = size.height() / picture.height();
            }
        }
    } else {
        sx = sy = m_scale;
    }
    QTransform transform;
    transform.translate(object.location().x(), object.location().y());
    transform.rotateRadians(object.angle() + m_angle);
    if (sx != 0.0 && sy != 0.0 && std::isfinite(sx) && std::isfinite(sy))
        transform.scale(sx, sy);
    transform.translate(m_origin.x(), m_origin.y());
    if (const std::optional<QTransform> container = object.containerTransform())
        transform *= *container;
    return transform;
}

QTransform ZVImageAdornment::imageTransformForObject(const DFRenderable& object) const
{
    return transformFor(object, m_image.size());
}

void ZVImageAdornment::render(const DFRenderable& object, QPainter& painter) const
{
    if (!enabled())
        return;
    const ql::Image picture = pictureFor(object);
    if (picture.isUndecodable()) {
        // Its size may be unknown: the placeholder fills the outline.
        const QPainterPath outline = renderingPathForObject(object).toPainterPath();
        painter.save();
        painter.setClipPath(outline, Qt::IntersectClip);
        ql::drawPicturePlaceholder(painter, outline.boundingRect(), m_opacity);
        painter.restore();
        return;
    }
    const QSizeF size = picture.isNull() ? QSizeF() : picture.size();
    if (!drawable(size) || !ql::hasPixels(picture))
        return;
    painter.save();
    if (clipping() == NoClipping)
        painter.setClipRect(object.bounds(), Qt::IntersectClip);
    else
        applyClipping(painter, object);
    painter.setTransform(transformFor(object, size), true);
    // Centred on the origin, on top of the translation by it.
    const QRectF destination(m_origin.x() - size.width() * 0.5, m_origin.y() - size.height() * 0.5, size.width(),
                             size.height());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    ql::drawImagePart(painter, picture, destination, QRectF(QPointF(0, 0), size), compositionMode(m_operation),
                      m_opacity);
    painter.restore();
}

QStringList ZVImageAdornment::observableKeyPaths() const
{
    return DFRasterizer::observableKeyPaths()
           + QStringList {QStringLiteral("image"), QStringLiteral("opacity"), QStringLiteral("scale"),
                          QStringLiteral("fittingOption"), QStringLiteral("angle"), QStringLiteral("operation")};
}

QHash<QString, QString> ZVImageAdornment::actionNames() const
{
    QHash<QString, QString> names = DFRasterizer::actionNames();
    names.insert(QStringLiteral("image"), QStringLiteral("#kind# Image"));
    names.insert(QStringLiteral("opacity"), QStringLiteral("#kind# Image Opacity"));
    names.insert(QStringLiteral("scale"), QStringLiteral("#kind# Image Scale"));
    names.insert(QStringLiteral("fittingOption"), QStringLiteral("#kind# Image Fitting"));
    names.insert(QStringLiteral("angle"), QStringLiteral("#kind# Image Angle"));
    names.insert(QStringLiteral("operation"), QStringLiteral("#kind# Compositing Operation"));
    return names;
}

std::unique_ptr<DFRasterizer> ZVImageAdornment::copy() const
{
    return std::unique_ptr<DFRasterizer>(new ZVImageAdornment(*this));
}

QStringList ZVImageAdornment::archiveClassChain() const
{
    return QStringList {QStringLiteral("ZVImageAdornment")} + DFRasterizer::archiveClassChain();
}

void ZVImageAdornment::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFRasterizer::encodeWithCoder(coder);
    const auto string = [](const QString& text) { return text.isNull() ? QVariant() : QVariant(text); };
    coder.encodeObject(QStringLiteral("DFImageAdornment_imageKey"), string(m_imageKey));
    coder.encodeObject(QStringLiteral("image"), m_image.isNull() ? QVariant() : QVariant::fromValue(m_image));
    coder.encodeDouble(QStringLiteral("scale"), m_scale);
    coder.encodeDouble(QStringLiteral("opacity"), m_opacity);
    coder.encodeDouble(QStringLiteral("angle"), m_angle);
    coder.encodeInt64(QStringLiteral("operation"), qint64(m_operation));
    coder.encodeInt32(QStringLiteral("fitting"), m_fitting);
    coder.encodeObject(QStringLiteral("ident"), string(m_imageIdentifier));
}

void ZVImageAdornment::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFRasterizer::initWithCoder(coder);
    ql::Image image;
    if (ql::df::readValue(coder, QStringLiteral("image"), image))
        setImage(image);
    double number = 0.0;
    if (ql::df::readDouble(coder, QStringLiteral("scale"), number))
        setScale(number);
    if (ql::df::readDouble(coder, QStringLiteral("opacity"), number))
        setOpacity(number);
    if (ql::df::readDouble(coder, QStringLiteral("angle"), number))
        setAngle(number);
    int code = 0;
    if (ql::fields::readInt(coder, QStringLiteral("operation"), code) && code >= 0)
        setOperation(quint64(code));
    if (ql::fields::readInt(coder, QStringLiteral("fitting"), code))
        setFittingOption(code);
    QString identifier;
    if (ql::fields::readString(coder, QStringLiteral("ident"), identifier))
        setImageIdentifier(identifier);
}
