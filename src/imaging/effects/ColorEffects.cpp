#include "imaging/effects/ColorEffects.h"

#include <algorithm>
#include <cmath>

namespace ql::effects {

namespace {

template <class Fn>
void eachPixel(float* pixels, size_t count, Fn fn)
{
    for (size_t i = 0; i < count; ++i, pixels += 4)
        fn(pixels);
}

float clamp01(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

} // namespace

void monochrome(float* pixels, size_t count)
{
    eachPixel(pixels, count, [](float* p) { p[0] = p[1] = p[2] = clamp01(luma(p)); });
}

void posterize(float* pixels, size_t count, int levels)
{
    if (levels < 2) {
        eachPixel(pixels, count, [](float* p) { p[0] = p[1] = p[2] = 0.0f; });
        return;
    }
    const float steps = float(levels);
    const float top = float(levels - 1);
    eachPixel(pixels, count, [&](float* p) {
        for (int c = 0; c < 3; ++c)
            p[c] = std::min(std::floor(clamp01(p[c]) * steps), top) / top;
    });
}

void invert(float* pixels, size_t count)
{
    eachPixel(pixels, count, [](float* p) {
        for (int c = 0; c < 3; ++c)
            p[c] = 1.0f - p[c];
    });
}

void instantFilm(float* pixels, size_t count)
{
    // Per-channel tone curves over a slightly faded picture.
    eachPixel(pixels, count, [](float* p) {
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

void sepia(float* pixels, size_t count, float intensity)
{
    const float keep = 1.0f - std::clamp(intensity, 0.0f, 1.0f);
    const float take = 1.0f - keep;
    eachPixel(pixels, count, [&](float* p) {
        const float r = p[0], g = p[1], b = p[2];
        const float sr = clamp01(0.393f * r + 0.769f * g + 0.189f * b);
        const float sg = clamp01(0.349f * r + 0.686f * g + 0.168f * b);
        const float sb = clamp01(0.272f * r + 0.534f * g + 0.131f * b);
        p[0] = keep * r + take * sr;
        p[1] = keep * g + take * sg;
        p[2] = keep * b + take * sb;
    });
}

bool isColorEffect(int effect)
{
    return effect >= 1 && effect <= 5;
}

bool applyColorEffect(int effect, float* pixels, size_t count)
{
    switch (effect) {
    case 1: monochrome(pixels, count); return true;
    case 2: posterize(pixels, count, 4); return true;
    case 3: invert(pixels, count); return true;
    case 4: instantFilm(pixels, count); return true;
    case 5: sepia(pixels, count, 1.0f); return true;
    default: return false;
    }
}

} // namespace ql::effects
