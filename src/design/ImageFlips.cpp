#include "design/ZVDesignHelper.h"

#include "imaging/ImageEdits.h"
#include "platform/graphics/Image.h"
#include "platform/object/KVObject.h"

#include <QList>
#include <optional>
#include <tuple>
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
// one crops cut from, the one shown (before any fill is drawn from it,
// which is drawn anew) and the mask, which must keep covering the same part
// of the picture. They are often one picture, mirrored once. A view without
// an original gets the shown picture mirrored as its original. All are
// mirrored before any is set, so that a picture (or mask) whose pixels
// cannot be had leaves the view as it was.
template <class Flip>
bool flipContent(KVObject* imageView, Flip flip)
{
    if (!imageView)
        return true;
    using Storage = bitmaps::MirroredStorage;
    QList<std::tuple<Image, Storage, std::optional<Image>>> done;
    const auto mirrored = [&](const Image& image, Storage storage = Storage::AsChanged) {
        for (const auto& [before, stored, after] : std::as_const(done)) {
            if (before == image && stored == storage)
                return after;
        }
        Image result = image;
        const std::optional<Image> after = flip(result, storage) ? std::optional<Image>(result) : std::nullopt;
        done.append({image, storage, after});
        return after;
    };
    const Image shown = imageFor(*imageView, imageView->hasKey(u"picture") ? u"picture" : u"image");
    const Image original = imageFor(*imageView, u"originalImage");
    const Image forCropping = imageFor(*imageView, u"originalImageForCropping");
    const Image mask = imageFor(*imageView, u"imageMask");
    if (original.isNull() && shown.isNull())
        return true;
    const std::optional<Image> newOriginal = mirrored(original.isNull() ? shown : original);
    const std::optional<Image> newForCropping = mirrored(forCropping);
    const std::optional<Image> newShown = mirrored(shown);
    // A mask that does not decode could not turn with its picture; one
    // mirrored from its file keeps its exact grey levels.
    const std::optional<Image> newMask = mirrored(mask, Storage::Lossless);
    if (!newOriginal || !newForCropping || !newShown || !newMask)
        return false;

    // The original first: setting it also resets the picture crops cut from.
    imageView->setValueForKey(u"originalImage", QVariant::fromValue(*newOriginal));
    if (!forCropping.isNull())
        imageView->setValueForKey(u"originalImageForCropping", QVariant::fromValue(*newForCropping));
    if (!shown.isNull())
        imageView->setValueForKey(u"image", QVariant::fromValue(*newShown));
    if (!mask.isNull())
        imageView->setValueForKey(u"imageMask", QVariant::fromValue(*newMask));
    return true;
}

} // namespace

bool ZVDesignHelper::flipImageHorizontally(KVObject* imageView)
{
    return flipContent(imageView, [](Image& image, bitmaps::MirroredStorage storage) {
        return ql::flipImageHorizontally(image, storage);
    });
}

bool ZVDesignHelper::flipImageVertically(KVObject* imageView)
{
    return flipContent(imageView, [](Image& image, bitmaps::MirroredStorage storage) {
        return ql::flipImageVertically(image, storage);
    });
}

} // namespace ql
