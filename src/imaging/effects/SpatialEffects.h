// Effects that look at a pixel's neighbourhood. Each keeps the picture's
// size: nothing grows past the edges.
#pragma once

#include "imaging/effects/FloatImage.h"

namespace ql::effects {

// A glow: a blurred copy screened over the picture, `intensity` 0..10.
FloatImage bloom(const FloatImage& image, double radius, double intensity);
// Flat halftone colours with dark outlines.
FloatImage comic(const FloatImage& image);
// Polygonal cells about jittered seeds `radius` apart, each of one colour.
FloatImage crystallize(const FloatImage& image, double radius);
// Bright edges on black: the colour gradient's strength per channel.
FloatImage edges(const FloatImage& image, double intensity);
// Black outlines of the picture on a transparent ground.
FloatImage lineOverlay(const FloatImage& image);
// Square blocks of `scale` pixels from the top left, each one colour.
FloatImage pixellate(const FloatImage& image, int scale);

// Effects 6 to 11 of the image element (bloom, comic, crystallize, edges,
// line overlay, pixellate) with their fixed settings.
bool isSpatialEffect(int effect);
// Applies one of them; the picture itself for any other number. At `scale`
// pixels a pixel of the picture the effect is measured on, its glow, cells
// and blocks shrink with the picture.
FloatImage applySpatialEffect(int effect, const FloatImage& image, double scale = 1.0);

} // namespace ql::effects
