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
    // Colour effects stream row by row; the others need the whole picture.
    switch (effect) {
    case 1: return mapRows(image, monochrome);
    case 2: return mapRows(image, [](float* p, size_t n) { posterize(p, n, 4); });
    case 3: return mapRows(image, invert);
    case 4: return mapRows(image, instantFilm);
    case 5: return mapRows(image, [](float* p, size_t n) { sepia(p, n, 1.0f); });
    default: break;
    }
    FloatImage pixels = FloatImage::fromImage(image);
    switch (effect) {
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
