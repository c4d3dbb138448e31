#include "design/ZVDesignHelper.h"

#include "imaging/ImageEdits.h"
#include "platform/graphics/Image.h"
#include "platform/object/KVObject.h"

#include <QList>
#include <algorithm>
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

using Storage = bitmaps::MirroredStorage;

// The pictures a flip mirrors: the original, the one crops cut from, the one
// shown (before any fill is drawn from it, which is drawn anew) and the
// mask, which must keep covering the same part of the picture. A view
// without an original gets the shown picture mirrored as its original.
struct FlippedPictures {
    Image shown;
    Image original;
    Image forCropping;
    Image mask;

    explicit FlippedPictures(const KVObject& view)
        : shown(imageFor(view, view.hasKey(u"picture") ? u"picture" : u"image")),
          original(imageFor(view, u"originalImage")),
          forCropping(imageFor(view, u"originalImageForCropping")),
          mask(imageFor(view, u"imageMask"))
    {
    }
    // Each with the way it is stored: a mask keeps its exact grey levels.
    QList<std::pair<Image, Storage>> mirrored() const
    {
        return {{original.isNull() ? shown : original, Storage::AsChanged},
                {forCropping, Storage::AsChanged},
                {shown, Storage::AsChanged},
                {mask, Storage::Lossless}};
    }
};

// Mirrors each of the view's pictures at its own pixels. They are often one
// picture, mirrored once. All are mirrored before any is set, so that a
// picture (or mask) whose pixels cannot be had leaves the view as it was.
template <class Flip>
bool flipContent(KVObject* imageView, Flip flip)
{
    if (!imageView)
        return true;
    QList<std::tuple<Image, Storage, std::optional<Image>>> done;
    const auto mirrored = [&](const Image& image, Storage storage) {
        for (const auto& [before, stored, after] : std::as_const(done)) {
            if (before == image && stored == storage)
                return after;
        }
        Image result = image;
        const std::optional<Image> after = flip(result, storage) ? std::optional<Image>(result) : std::nullopt;
        done.append({image, storage, after});
        return after;
    };
    const FlippedPictures pictures(*imageView);
    const auto& [shown, original, forCropping, mask] = pictures;
    if (original.isNull() && shown.isNull())
        return true;
    const QList<std::pair<Image, Storage>> each = pictures.mirrored();
    const std::optional<Image> newOriginal = mirrored(each[0].first, each[0].second);
    const std::optional<Image> newForCropping = mirrored(each[1].first, each[1].second);
    const std::optional<Image> newShown = mirrored(each[2].first, each[2].second);
    // A mask that does not decode could not turn with its picture.
    const std::optional<Image> newMask = mirrored(each[3].first, each[3].second);
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

bool ZVDesignHelper::flipImageHorizontally(KVObject* imageView, const MirroredFiles* ready)
{
    return flipContent(imageView, [ready](Image& image, Storage storage) {
        return ql::flipImageHorizontally(image, storage, ready);
    });
}

bool ZVDesignHelper::flipImageVertically(KVObject* imageView, const MirroredFiles* ready)
{
    return flipContent(imageView, [ready](Image& image, Storage storage) {
        return ql::flipImageVertically(image, storage, ready);
    });
}

MirroredFiles ZVDesignHelper::filesToMirror(const KVObject* imageView, bool horizontally)
{
    MirroredFiles files;
    if (!imageView)
        return files;
    for (const auto& [image, storage] : FlippedPictures(*imageView).mirrored()) {
        // As the flips above mirror: horizontally left to right.
        const std::optional<FileMirror> file = fileToMirror(image, horizontally, !horizontally, storage);
        if (file && std::none_of(files.begin(), files.end(), [&file](const FileMirror& f) { return f.sameWork(*file); }))
            files.append(*file);
    }
    return files;
}

} // namespace ql
