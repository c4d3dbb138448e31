// Gaussian blur approximated by three box blurs; edges repeat their last
// pixel so the picture keeps its size.
#pragma once

#include "imaging/effects/FloatImage.h"

#include <vector>

namespace ql::effects {

// In place, on rows of `channels` interleaved floats.
void gaussianBlur(float* data, int width, int height, int channels, double sigma);
FloatImage gaussianBlur(const FloatImage& image, double sigma);
// How many pixels away a pixel still feeds the blur of `sigma`: beyond it
// nothing counts, so a part blurred with that much around it comes out as
// it would in the whole.
int gaussianReach(double sigma);
// A single-channel plane of width × height floats.
void gaussianBlur(std::vector<float>& plane, int width, int height, double sigma);

} // namespace ql::effects
