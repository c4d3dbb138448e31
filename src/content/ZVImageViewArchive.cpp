#include "platform/archive/ArchiveFields.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVImageView.h"
#include "platform/graphics/Gradient.h"

const ql::fields::Record<ZVImageView>& ZVImageView::imageArchiveRecord()
{
    using V = ZVImageView;
    static const auto keys = ql::fields::Record<V>()
        .boolean("scaleToFill", &V::m_scaleToFill)
        .boolean("cropMode", &V::m_cropMode)
        .value<ql::Gradient>("gradient", &V::m_gradient)
        .number("gradientAngle", &V::m_gradientAngle)
        .number("gradientType", &V::m_gradientType)
        .boolean("innerShadowEnabled", &V::m_innerShadowEnabled)
        .number("imageMode", &V::m_imageMode)
        .boolean("isVector", &V::m_isVector)
        .custom("originalImage",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    ql::fields::writeImageData(coder, key, view.originalImage());
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    const ql::Image image = ql::fields::readImageData(coder, key);
                    if (!image.isNull())
                        view.setOriginalImage(image);
                })
        .rect("frame", &V::m_frame);
    return keys;
}

QStringList ZVImageView::archiveClassChain() const
{
    return ql::fields::imageViewChain({});
}

void ZVImageView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    imageArchiveRecord().encode(*this, coder);
}

void ZVImageView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    imageArchiveRecord().decode(*this, coder);
}
