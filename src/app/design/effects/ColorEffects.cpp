#include "app/design/effects/ColorEffects.h"

#include "app/design/effects/Parallel.h"

#include <algorithm>
#include <cmath>

namespace ql::effects {

namespace {

template <class Fn>
void eachPixel(FloatImage& image, Fn fn)
{
    parallelRows(image.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            float* p = image.row(y);
            for (int x = 0; x < image.width; ++x, p += 4)
                fn(p);
        }
    });
}

float clamp01(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

} // namespace

void monochrome(FloatImage& image)
{
    eachPixel(image, [](float* p) { p[0] = p[1] = p[2] = clamp01(luma(p)); });
}

void posterize(FloatImage& image, int levels)
{
    if (levels < 2) {
        eachPixel(image, [](float* p) { p[0] = p[1] = p[2] = 0.0f; });
        return;
    }
    const float steps = float(levels);
    const float top = float(levels - 1);
    eachPixel(image, [&](float* p) {
        for (int c = 0; c < 3; ++c)
            p[c] = std::min(std::floor(clamp01(p[c]) * steps), top) / top;
    });
}

void invert(FloatImage& image)
{
    eachPixel(image, [](float* p) {
        for (int c = 0; c < 3; ++c)
            p[c] = 1.0f - p[c];
    });
}

void instantFilm(FloatImage& image)
{
    // Per-channel tone curves over a slightly faded picture.
    eachPixel(image, [](float* p) {
        const float grey = luma(p);
        float rgb[3];
        for (int c = 0; c < 3; ++c) {
            const float faded = grey + (p[c] - grey) * 0.85f;
            const float curved = faded * faded * (3.0f - 2.0f * faded); // gentle S-curve
            rgb[c] = 0.5f * faded + 0.5f * curved;
        }
        p[0] = clamp01(0.06f + 0.92f * rgb[0]);
        p[1] = clamp01(0.05f + 0.88f * rgb[1]);
        p[2] = clamp01(0.08f + 0.78f * rgb[2]);
    });
}

void sepia(FloatImage& image, float intensity)
{
    const float keep = 1.0f - std::clamp(intensity, 0.0f, 1.0f);
    const float take = 1.0f - keep;
    eachPixel(image, [&](float* p) {
        const float r = p[0], g = p[1], b = p[2];
        const float sr = clamp01(0.393f * r + 0.769f * g + 0.189f * b);
        const float sg = clamp01(0.349f * r + 0.686f * g + 0.168f * b);
        const float sb = clamp01(0.272f * r + 0.534f * g + 0.131f * b);
        p[0] = keep * r + take * sr;
        p[1] = keep * g + take * sg;
        p[2] = keep * b + take * sb;
    });
}

} // namespace ql::effects
