// Effects that map each pixel's colour on its own, on `count` RGBA pixels
// of floats; they can run a row at a time.
#pragma once

#include "imaging/effects/FloatImage.h"

#include <cstddef>

namespace ql::effects {

// Colour controls with no saturation: every pixel its own grey.
void monochrome(float* pixels, size_t count);
// At most `levels` values a channel, spread evenly from 0 to 1.
void posterize(float* pixels, size_t count, int levels);
void invert(float* pixels, size_t count);
// An instant-film look: softened contrast, lifted shadows, a warm cast.
void instantFilm(float* pixels, size_t count);
void sepia(float* pixels, size_t count, float intensity);

// Effects 1 to 5 of the image element (monochrome, posterize at 4 levels,
// invert, instant film, full sepia), which change each pixel on its own.
bool isColorEffect(int effect);
// Applies one of them; false (pixels untouched) for any other number.
bool applyColorEffect(int effect, float* pixels, size_t count);

} // namespace ql::effects
