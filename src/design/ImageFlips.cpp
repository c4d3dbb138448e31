#include "design/ZVDesignHelper.h"

#include "imaging/ImageEdits.h"
#include "platform/graphics/Image.h"
#include "platform/object/KVObject.h"

namespace ql {

namespace {

template <class Flip>
void flipContent(KVObject* imageView, Flip flip)
{
    if (!imageView)
        return;
    const QVariant value = imageView->valueForKey(u"image");
    if (!value.canConvert<Image>())
        return;
    const Image flipped = flip(value.value<Image>());
    if (flipped.isNull())
        return;
    imageView->setValueForKey(u"image", QVariant::fromValue(flipped));
    imageView->setValueForKey(u"originalImage", QVariant::fromValue(flipped));
}

} // namespace

void ZVDesignHelper::flipImageHorizontally(KVObject* imageView)
{
    flipContent(imageView, [](Image image) {
        ql::flipImageHorizontally(image);
        return image;
    });
}

void ZVDesignHelper::flipImageVertically(KVObject* imageView)
{
    flipContent(imageView, [](Image image) {
        ql::flipImageVertically(image);
        return image;
    });
}

} // namespace ql
