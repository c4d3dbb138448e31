#include "content/ZVImageView.h"

#include "platform/graphics/Gradient.h"

ZVImageView::ZVImageView(const QRectF& frame, QObject* parent) : ZVImageView(frame, parent, SkipInitialize{})
{
    initialize();
}

ZVImageView::ZVImageView(const QRectF& frame, QObject* parent, SkipInitialize) : ZVContentView(parent)
{
    m_frame = frame;
    m_imageScaling = ScaleAxesIndependently;
}

const ql::PropertyTable& ZVImageView::imageTable()
{
    using V = ZVImageView;
    static const ql::PropertyTable table =
        contentTable<V>()
            .property("image", &V::image, &V::setImage)
            .property("originalImage", &V::originalImage, &V::setOriginalImage)
            .readOnly("originalImageForCropping", &V::originalImageForCropping)
            .property("tiledImage", &V::tiledImage, &V::setTiledImage)
            .property("scaleToFill", &V::scaleToFill, &V::setScaleToFill)
            .property("imageScaling", &V::imageScaling, &V::setImageScaling)
            .property("isVector", &V::isVector, &V::setIsVector)
            .property("cropMode", &V::cropMode, &V::setCropMode)
            .property("cropRect", &V::cropRect, &V::setCropRect)
            .property("cropScale", &V::cropScale, &V::setCropScale)
            .property("imageMode", &V::imageMode, &V::setImageMode, ql::ValueKind::Number)
            .property("gradient", &V::gradient, &V::setGradient, ql::valueOf<ql::Gradient>())
            .property("gradientAngle", &V::gradientAngle, &V::setGradientAngle, ql::ValueKind::Number)
            .property("gradientType", &V::gradientType, &V::setGradientType, ql::ValueKind::Number)
            .build();
    return table;
}

const ql::PropertyTable& ZVImageView::properties() const
{
    return imageTable();
}

void ZVImageView::initialize()
{
    m_isVector = false;
    m_editMode = false;
    m_innerShadowEnabled = false;
    m_imageMode = QVariant(0);
    m_cropMode = false;
    setScaleToFill(true);
}

void ZVImageView::setImage(const ql::Image& image)
{
    changeValue(QStringLiteral("image"), m_image, image);
}

void ZVImageView::setOriginalImage(const ql::Image& image)
{
    changeValue(QStringLiteral("originalImage"), m_originalImage, image);
    m_originalImageForCropping = image;
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

void ZVImageView::setLevels()
{
    setImage(m_originalImage);
}
