#include "design/ZVDesignHelper.h"

#include "imaging/ImageEdits.h"
#include "platform/graphics/Image.h"
#include "platform/object/KVObject.h"

#include <QList>
#include <utility>

namespace ql {

namespace {

Image imageFor(const KVObject& view, QStringView key)
{
    if (!view.hasKey(key))
        return {};
    const QVariant value = view.valueForKey(key);
    return value.canConvert<Image>() ? value.value<Image>() : Image();
}

// Mirrors each of the view's pictures at its own pixels: the original, the
// one crops cut from and the one shown (before any fill is drawn from it,
// which is drawn anew). They are often one picture, mirrored once. A view
// without an original gets the shown picture mirrored as its original.
template <class Flip>
void flipContent(KVObject* imageView, Flip flip)
{
    if (!imageView)
        return;
    QList<std::pair<Image, Image>> done;
    const auto mirrored = [&](const Image& image) {
        for (const auto& [before, after] : std::as_const(done)) {
            if (before == image)
                return after;
        }
        Image result = image;
        flip(result);
        done.append({image, result});
        return result;
    };
    const Image shown = imageFor(*imageView, imageView->hasKey(u"picture") ? u"picture" : u"image");
    const Image original = imageFor(*imageView, u"originalImage");
    const Image forCropping = imageFor(*imageView, u"originalImageForCropping");
    if (original.isNull() && shown.isNull())
        return;
    // The original first: setting it also resets the picture crops cut from.
    imageView->setValueForKey(u"originalImage", QVariant::fromValue(mirrored(original.isNull() ? shown : original)));
    if (!forCropping.isNull())
        imageView->setValueForKey(u"originalImageForCropping", QVariant::fromValue(mirrored(forCropping)));
    if (!shown.isNull())
        imageView->setValueForKey(u"image", QVariant::fromValue(mirrored(shown)));
}

} // namespace

void ZVDesignHelper::flipImageHorizontally(KVObject* imageView)
{
    flipContent(imageView, [](Image& image) { ql::flipImageHorizontally(image); });
}

void ZVDesignHelper::flipImageVertically(KVObject* imageView)
{
    flipContent(imageView, [](Image& image) { ql::flipImageVertically(image); });
}

} // namespace ql
