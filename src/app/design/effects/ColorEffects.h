// Effects that map each pixel's colour on its own.
#pragma once

#include "app/design/effects/FloatImage.h"

namespace ql::effects {

// Colour controls with no saturation: every pixel its own grey.
void monochrome(FloatImage& image);
// At most `levels` values a channel, spread evenly from 0 to 1.
void posterize(FloatImage& image, int levels);
void invert(FloatImage& image);
// An instant-film look: softened contrast, lifted shadows, a warm cast.
void instantFilm(FloatImage& image);
void sepia(FloatImage& image, float intensity);

} // namespace ql::effects
