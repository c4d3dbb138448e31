#include "app/design/ZVDesignHelper.h"

#include "app/design/effects/ColorEffects.h"
#include "app/design/effects/SpatialEffects.h"

namespace ql {

QImage ZVDesignHelper::applyEffect(int effect, const QImage& image)
{
    if (effect == 0)
        return image;
    if (effect < 0 || effect > 11 || image.isNull())
        return {};
    using namespace effects;
    FloatImage pixels = FloatImage::fromImage(image);
    switch (effect) {
    case 1: monochrome(pixels); break;
    case 2: posterize(pixels, 4); break;
    case 3: invert(pixels); break;
    case 4: instantFilm(pixels); break;
    case 5: sepia(pixels, 1.0f); break;
    case 6: pixels = bloom(pixels, 10.0, 10.0); break;
    case 7: pixels = comic(pixels); break;
    case 8: pixels = crystallize(pixels, 20.0); break;
    case 9: pixels = edges(pixels, 1.0); break;
    case 10: pixels = lineOverlay(pixels); break;
    case 11: pixels = pixellate(pixels, 20); break;
    }
    return pixels.toImage();
}

} // namespace ql
