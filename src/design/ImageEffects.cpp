#include "design/ZVDesignHelper.h"

#include "imaging/effects/ColorEffects.h"
#include "imaging/effects/SpatialEffects.h"

namespace ql {

QImage ZVDesignHelper::applyEffect(int effect, const QImage& image)
{
    if (effect == 0)
        return image;
    if (effect < 0 || effect > 11 || image.isNull())
        return {};
    using namespace effects;
    // Colour effects stream row by row; the others need the whole picture.
    if (isColorEffect(effect))
        return mapRows(image, [effect](float* p, size_t n) { applyColorEffect(effect, p, n); });
    return applySpatialEffect(effect, FloatImage::fromImage(image)).toImage();
}

} // namespace ql
