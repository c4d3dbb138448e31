#include "platform/archive/ArchiveFields.h"
#include "platform/archive/ImageArchiveData.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVImageView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/runtime/Deferred.h"

namespace {

using V = ZVImageView;
using Write = std::function<void(const V&, ql::KeyedArchiver&, const QString&)>;
using Read = std::function<void(V&, ql::KeyedUnarchiver&, const QString&)>;

Write writeImage(const ql::Image& (V::*getter)() const)
{
    return [getter](const V& view, ql::KeyedArchiver& coder, const QString& key) {
        const ql::Image& image = (view.*getter)();
        coder.encodeObject(key, image.isNull() ? QVariant() : QVariant::fromValue(image));
    };
}

Read readImage(ql::Image V::*field)
{
    return [field](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
        const QVariant value = ql::fields::readRaw(coder, key);
        if (value.metaType() == QMetaType::fromType<ql::Image>())
            view.*field = value.value<ql::Image>();
    };
}

// The mask is always PNG: a mask needs its exact grey levels. One read from
// the document, or from a PNG file, goes back as it came, all its pixels even
// where fewer were decoded.
void writeMask(const V& view, ql::KeyedArchiver& coder, const QString& key)
{
    if (view.imageMask().isNull())
        return;
    const ql::Image& mask = view.imageMask();
    if (const std::optional<QByteArray> stored = ql::storedImageData(mask)) {
        coder.encodeObject(key, QVariant(*stored));
        return;
    }
    if (const ql::ImageRep own = mask.firstRepresentation(); own.encoding() == ql::ImageRep::Encoding::Png) {
        coder.encodeObject(key, QVariant(own.encodedData()));
        return;
    }
    const ql::Image bitmap = mask.bitmap().isNull() ? ql::Image() : ql::Image(mask.bitmap());
    ql::fields::writeEncodedImage(coder, key, bitmap.encoded(ql::Image::Format::Png));
}

void writeOriginal(const V& view, ql::KeyedArchiver& coder, const QString& key)
{
    const ql::Image& original = view.originalImage();
    // A vector element whose picture is a bitmap after all keeps it lossless.
    if (view.isVector() && !original.isNull() && !original.isVector() && !ql::storedImageData(original)) {
        ql::fields::writeEncodedImage(coder, key, original.encoded(ql::Image::Format::Tiff));
        return;
    }
    ql::fields::writeImageData(coder, key, original);
}

} // namespace

const ql::fields::Record<ZVImageView>& ZVImageView::imageArchiveRecord()
{
    static const auto keys = ql::fields::Record<V>()
        .boolean("scaleToFill", &V::m_scaleToFill)
        .boolean("cropMode", &V::m_cropMode)
        .custom("tiledImage", writeImage(&V::tiledImage), readImage(&V::m_tiledImage))
        .value<ql::Gradient>("gradient", &V::m_gradient)
        .number("gradientAngle", &V::m_gradientAngle)
        .number("gradientType", &V::m_gradientType)
        .number("brightness", &V::m_brightness)
        .number("saturation", &V::m_saturation)
        .number("contrast", &V::m_contrast)
        .number("blur", &V::m_blur)
        .number("sharpness", &V::m_sharpness)
        .custom("tintColor",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, QVariant::fromValue(view.tintColor()));
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    const QVariant value = ql::fields::readRaw(coder, key);
                    if (value.metaType() == QMetaType::fromType<ql::Color>())
                        view.m_tintColor = value.value<ql::Color>();
                })
        .integer("imageEffect", &V::m_imageEffect)
        .boolean("effectsEnabled", &V::m_effectsEnabled)
        .boolean("innerShadowEnabled", &V::m_innerShadowEnabled)
        .boolean("tintEnabled", &V::m_tintEnabled)
        .number("imageMode", &V::m_imageMode)
        .boolean("imageMaskEnabled", &V::m_imageMaskEnabled)
        .custom("imageMask", writeMask,
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    view.m_imageMask = ql::fields::readImageData(coder, key);
                })
        .boolean("isVector", &V::m_isVector)
        .custom("originalImage", writeOriginal,
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
    // The reader's order: the frame and the picture first, the display mode last.
    static const ql::fields::Record<ZVImageView> reading = imageArchiveRecord().inOrder(QStringLiteral(
        "frame isVector originalImage scaleToFill tiledImage gradient gradientAngle gradientType brightness "
        "saturation contrast blur sharpness tintColor imageEffect effectsEnabled tintEnabled innerShadowEnabled "
        "imageMaskEnabled imageMask imageMode cropMode").split(QLatin1Char(' ')));
    {
        // Fields are read in place, so nothing observed runs and nothing is
        // recorded while a file loads.
        const UnrecordedChanges unrecorded(*this);
        reading.decode(*this, coder);
        if (m_scaleToFill)
            setImageScaling(ScaleAxesIndependently);
        layout();
    }
    startObserving();
    if (ql::isNumeric(m_imageMode) && m_imageMode.toDouble() == double(StretchedMode)) {
        // Stretched pictures are computed once more shortly after loading;
        // that re-run is the program's own, not an edit.
        ql::after(10, this, [this] {
            const UnrecordedChanges unrecorded(*this);
            setImageMode(m_imageMode);
        });
    }
}
