#include "content/ZVImageView.h"

#include "imaging/ImageBitmap.h"
#include "platform/graphics/Gradient.h"

#include <QPainter>
#include <cmath>

ZVImageView::ZVImageView(const QRectF& frame, QObject* parent) : ZVImageView(frame, parent, SkipInitialize{})
{
    initialize();
    startObserving();
}

ZVImageView::ZVImageView(const QRectF& frame, QObject* parent, SkipInitialize) : ZVContentView(parent)
{
    m_frame = frame;
    m_imageScaling = ScaleAxesIndependently;
}

const ql::PropertyTable& ZVImageView::imageTable()
{
    using V = ZVImageView;
    using ql::ValueKind;
    static const ql::PropertyTable table =
        contentTable<V>()
            .property("scaleToFill", &V::scaleToFill, &V::setScaleToFill)
            .property("cropMode", &V::cropMode, &V::setCropMode)
            .property("cropScale", &V::cropScale, &V::setCropScale)
            .property("isVector", &V::isVector, &V::setIsVector)
            .property("tiledImage", &V::tiledImage, &V::setTiledImage)
            .property("gradient", &V::gradient, &V::setGradient, ql::valueOf<ql::Gradient>())
            .property("gradientAngle", &V::gradientAngle, &V::setGradientAngle, ValueKind::Number)
            .property("gradientType", &V::gradientType, &V::setGradientType, ValueKind::Number)
            .property("brightness", &V::brightness, &V::setBrightness, ValueKind::Number)
            .property("contrast", &V::contrast, &V::setContrast, ValueKind::Number)
            .property("saturation", &V::saturation, &V::setSaturation, ValueKind::Number)
            .property("blur", &V::blur, &V::setBlur, ValueKind::Number)
            .property("sharpness", &V::sharpness, &V::setSharpness, ValueKind::Number)
            .property("tintColor", &V::tintColor, &V::setTintColor)
            .property("imageEffect", &V::imageEffect, &V::setImageEffect)
            .property("effectsEnabled", &V::effectsEnabled, &V::setEffectsEnabled)
            .property("tintEnabled", &V::tintEnabled, &V::setTintEnabled)
            .property("imageMode", &V::imageMode, &V::setImageMode, ValueKind::Number)
            .readOnly("observingKeyPaths", &V::observingKeyPaths)
            .property("originalImage", &V::originalImage, &V::setOriginalImage)
            .readOnly("originalCIImage", &V::originalCIImage)
            .property("originalImageForCropping", &V::originalImageForCropping, &V::setOriginalImageForCropping)
            .property("cropRect", &V::cropRect, &V::setCropRect)
            .property("imageMask", &V::imageMask, &V::setImageMask)
            .property("imageMaskEnabled", &V::imageMaskEnabled, &V::setImageMaskEnabled)
            .property("currentEmphasis", &V::currentEmphasis, &V::setCurrentEmphasis, ql::valueOf<QVariantList>())
            .property("currentJustification", &V::currentJustification, &V::setCurrentJustification,
                      ValueKind::Number)
            .readOnly("isObserving", &V::isObserving)
            .property("image", &V::image, &V::setImage)
            .readOnly("picture", &V::picture)
            .property("imageScaling", &V::imageScaling, &V::setImageScaling)
            .readOnly("cropSourceRect", &V::cropSourceRect)
            .build();
    return table;
}

const ql::PropertyTable& ZVImageView::properties() const
{
    return imageTable();
}

void ZVImageView::initialize()
{
    setImageMaskEnabled(false);
    setIsVector(false);
    setCurrentEmphasis(QVariant());
    setCurrentJustification(QVariant());
    setEditMode(false);
    setInnerShadowEnabled(false);
    setImageMode(QVariant(0));
    setScaleToFill(true);
    setCropMode(false);
    setTintEnabled(false);
    setEffectsEnabled(false);
    setTintColor(ql::Color::white());
    setLevelDefaults();
}

void ZVImageView::setLevelDefaults()
{
    // Integers, as the archive keeps them.
    setBrightness(QVariant(0));
    setContrast(QVariant(1));
    setSaturation(QVariant(1));
    setBlur(QVariant(0));
    setSharpness(QVariant(0));
}

void ZVImageView::setImage(const ql::Image& image)
{
    m_picture = image;
    if (image.isNull() || !m_scaleToFill) {
        changeValue(QStringLiteral("image"), m_image, image);
        return;
    }
    // Drawn anew each time from the bounds of that moment, so every painter
    // (canvas, thumbnails, output) shows the same fill after any resize. A
    // view not framed yet gives the drawing the picture's own size.
    const QPointer<const ZVImageView> view(this);
    const QSizeF size = bounds().isEmpty() ? image.size() : bounds().size();
    const ql::ImageRep fill = ql::ImageRep::drawn(size, [view, image](QPainter& painter, const QRectF& destination) {
        const QSizeF bounds = view && !view->bounds().isEmpty() ? view->bounds().size() : destination.size();
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        ql::drawImagePart(painter, image, destination, aspectFillSource(image.size(), bounds));
        painter.restore();
    });
    changeValue(QStringLiteral("image"), m_image, ql::Image(fill));
}

bool ZVImageView::hasUndecodablePicture() const
{
    return m_originalImage.isUndecodable() || m_imageMask.isUndecodable() || m_tiledImage.isUndecodable();
}

QRectF ZVImageView::aspectFillSource(QSizeF size, QSizeF bounds)
{
    const double w = size.width();
    const double h = size.height();
    if (!(w > 0 && h > 0 && bounds.width() > 0 && bounds.height() > 0))
        return QRectF(QPointF(0, 0), size);
    const QSizeF source = bounds.height() / bounds.width() > h / w ? QSizeF(h * bounds.width() / bounds.height(), h)
                                                                   : QSizeF(w, w * bounds.height() / bounds.width());
    return QRectF(QPointF((w - source.width()) / 2, (h - source.height()) / 2), source);
}

void ZVImageView::setOriginalImage(const ql::Image& image)
{
    willChangeValueForKey(QStringLiteral("originalCIImage"));
    changeValue(QStringLiteral("originalImage"), m_originalImage, image);
    // A bitmap's pixels are the adjustments' input as they are; a PDF or EPS
    // original is rendered, and a stored picture decoded, only if it is ever
    // adjusted.
    m_originalPixels = image.firstRepresentation().isStored() ? QImage() : image.bitmap();
    didChangeValueForKey(QStringLiteral("originalCIImage"));
    setOriginalImageForCropping(image);
}

void ZVImageView::setOriginalImageForCropping(const ql::Image& image)
{
    changeValue(QStringLiteral("originalImageForCropping"), m_originalImageForCropping, image);
}

void ZVImageView::setTiledImage(const ql::Image& image)
{
    changeValue(QStringLiteral("tiledImage"), m_tiledImage, image);
}

void ZVImageView::setScaleToFill(bool scaleToFill)
{
    changeValue(QStringLiteral("scaleToFill"), m_scaleToFill, scaleToFill);
    if (scaleToFill)
        setImageScaling(ScaleAxesIndependently);
}

void ZVImageView::setImageScaling(int scaling)
{
    changeValue(QStringLiteral("imageScaling"), m_imageScaling, m_scaleToFill ? int(ScaleAxesIndependently) : scaling);
}

void ZVImageView::setIsVector(bool isVector)
{
    changeValue(QStringLiteral("isVector"), m_isVector, isVector);
}

void ZVImageView::setCropMode(bool cropMode)
{
    changeValue(QStringLiteral("cropMode"), m_cropMode, cropMode);
}

void ZVImageView::setCropRect(const QRectF& rect)
{
    changeValue(QStringLiteral("cropRect"), m_cropRect, rect);
}

void ZVImageView::setCropScale(double scale)
{
    changeValue(QStringLiteral("cropScale"), m_cropScale, scale);
}

QRectF ZVImageView::cropSourceRect() const
{
    // A crop scale of 0 (never set) or one that is not finite would divide
    // the window into nothing or infinity.
    const double scale = std::isfinite(m_cropScale) && m_cropScale > 0.0 ? m_cropScale : 1.0;
    return QRectF(-m_cropRect.x(), m_cropRect.y(), m_cropRect.width() / scale, m_cropRect.height() / scale);
}

double ZVImageView::storedCropUnitsPerPoint() const
{
    return m_isVector ? 1.0 : ql::pixelDensity(m_originalImage);
}

void ZVImageView::setImageMode(const QVariant& mode)
{
    changeValue(QStringLiteral("imageMode"), m_imageMode, mode);
}

void ZVImageView::setGradient(const QVariant& gradient)
{
    changeValue(QStringLiteral("gradient"), m_gradient, gradient);
}

void ZVImageView::setGradientAngle(const QVariant& angle)
{
    changeValue(QStringLiteral("gradientAngle"), m_gradientAngle, angle);
}

void ZVImageView::setGradientType(const QVariant& type)
{
    changeValue(QStringLiteral("gradientType"), m_gradientType, type);
}

void ZVImageView::setBrightness(const QVariant& value)
{
    changeValue(QStringLiteral("brightness"), m_brightness, value);
}

void ZVImageView::setContrast(const QVariant& value)
{
    changeValue(QStringLiteral("contrast"), m_contrast, value);
}

void ZVImageView::setSaturation(const QVariant& value)
{
    changeValue(QStringLiteral("saturation"), m_saturation, value);
}

void ZVImageView::setBlur(const QVariant& value)
{
    changeValue(QStringLiteral("blur"), m_blur, value);
}

void ZVImageView::setSharpness(const QVariant& value)
{
    changeValue(QStringLiteral("sharpness"), m_sharpness, value);
}

void ZVImageView::setTintColor(const ql::Color& color)
{
    changeValue(QStringLiteral("tintColor"), m_tintColor, color);
}

void ZVImageView::setTintEnabled(bool enabled)
{
    changeValue(QStringLiteral("tintEnabled"), m_tintEnabled, enabled);
}

void ZVImageView::setImageEffect(qint64 effect)
{
    changeValue(QStringLiteral("imageEffect"), m_imageEffect, effect);
}

void ZVImageView::setEffectsEnabled(bool enabled)
{
    changeValue(QStringLiteral("effectsEnabled"), m_effectsEnabled, enabled);
}

void ZVImageView::setImageMask(const ql::Image& mask)
{
    changeValue(QStringLiteral("imageMask"), m_imageMask, mask);
}

void ZVImageView::setImageMaskEnabled(bool enabled)
{
    changeValue(QStringLiteral("imageMaskEnabled"), m_imageMaskEnabled, enabled);
}

void ZVImageView::setCurrentEmphasis(const QVariant& emphasis)
{
    changeValue(QStringLiteral("currentEmphasis"), m_currentEmphasis, emphasis);
}

void ZVImageView::setCurrentJustification(const QVariant& justification)
{
    changeValue(QStringLiteral("currentJustification"), m_currentJustification, justification);
}
