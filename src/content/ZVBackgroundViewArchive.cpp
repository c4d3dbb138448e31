#include "canvas/ModelArchive.h"
#include "platform/archive/ArchiveFields.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"

const ql::fields::Record<ZVBackgroundView>& ZVBackgroundView::archiveRecord()
{
    using V = ZVBackgroundView;
    static const auto keys = ql::fields::Record<V>()
        .number("backgroundType", &V::m_backgroundType)
        .number("backgroundOpacity", &V::m_backgroundOpacity)
        .value<ql::Color>("backgroundColor", &V::m_backgroundColor)
        .number("backgroundGradientType", &V::m_gradientTypeSetting)
        .value<ql::Color>("backgroundGradientColor1", &V::m_gradientColor1)
        .value<ql::Color>("backgroundGradientColor2", &V::m_gradientColor2)
        .number("backgroundGradientSplit", &V::m_gradientSplit)
        .number("backgroundGradientAngle", &V::m_gradientAngleSetting)
        .number("backgroundImageType", &V::m_imageType)
        .number("backgroundImageMode", &V::m_imageModeSetting)
        .number("backgroundImageScale", &V::m_imageScale)
        .value<ql::Gradient>("gradient", &V::m_gradient)
        .custom("backgroundImage",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    ql::fields::writeImageData(coder, key, view.backgroundImage());
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    view.m_backgroundImage = ql::fields::readImageData(coder, key);
                })
        .boolean("backgroundImagePickerHidden", &V::m_imagePickerHidden)
        .boolean("backgroundArtPickerHidden", &V::m_artPickerHidden)
        .boolean("vectorBacking", &V::m_vectorBacking)
        .boolean("scalingEligible", &V::m_scalingEligible)
        .float32("insets", &V::m_insets)
        .boolean("selected", &V::m_selected);
    return keys;
}

QStringList ZVBackgroundView::archiveClassChain() const
{
    return ql::fields::imageViewChain({QStringLiteral("ZVBackgroundView")});
}

void ZVBackgroundView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    archiveRecord().encode(*this, coder);
}

void ZVBackgroundView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    // Read quietly: a background being read belongs to no document yet, and
    // its drawable state is derived once at the end.
    archiveRecord().decode(*this, coder);
    update();
}

std::unique_ptr<ZVBackgroundView> ZVBackgroundView::copy() const
{
    return ql::canvas::copyThroughArchive(this);
}
