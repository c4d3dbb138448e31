#include "imaging/effects/SpatialEffects.h"

#include "imaging/effects/Blur.h"
#include "imaging/effects/ColorEffects.h"
#include "imaging/effects/Parallel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ql::effects {

namespace {

float clamp01(float v)
{
    return std::clamp(v, 0.0f, 1.0f);
}

// Sobel gradient strength at (x, y) of a plane read through `v(x, y)`,
// edges repeated; about 0..1 for a full step.
template <class Value>
float sobel(int x, int y, int w, int h, Value v)
{
    const int xl = std::max(x - 1, 0), xr = std::min(x + 1, w - 1);
    const int yu = std::max(y - 1, 0), yd = std::min(y + 1, h - 1);
    const float gx = (v(xr, yu) + 2 * v(xr, y) + v(xr, yd)) - (v(xl, yu) + 2 * v(xl, y) + v(xl, yd));
    const float gy = (v(xl, yd) + 2 * v(x, yd) + v(xr, yd)) - (v(xl, yu) + 2 * v(x, yu) + v(xr, yu));
    return std::sqrt(gx * gx + gy * gy) * 0.25f;
}

// Outline strength from 0 to 1 of a lightly smoothed picture: a threshold
// and a steep contrast on the luma gradient, as line drawings want.
std::vector<float> outlines(const FloatImage& image, float threshold, float contrast)
{
    const int w = image.width;
    const int h = image.height;
    std::vector<float> lumas(size_t(w) * size_t(h));
    parallelRows(h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < w; ++x)
                lumas[size_t(y) * w + x] = luma(image.at(x, y));
    });
    gaussianBlur(lumas, w, h, 1.0);
    std::vector<float> out(lumas.size());
    const auto value = [&](int x, int y) { return lumas[size_t(y) * w + x]; };
    parallelRows(h, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < w; ++x)
                out[size_t(y) * w + x] = clamp01((sobel(x, y, w, h, value) - threshold) * contrast);
    });
    return out;
}

std::uint32_t hash(std::uint32_t x, std::uint32_t y)
{
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    return h;
}

} // namespace

FloatImage bloom(const FloatImage& image, double radius, double intensity)
{
    FloatImage glow = gaussianBlur(image, radius);
    const float k = float(std::clamp(intensity / 10.0, 0.0, 1.0));
    parallelRows(image.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const float* p = image.row(y);
            float* g = glow.row(y);
            for (int i = 0; i < image.width * 4; i += 4) {
                for (int c = 0; c < 3; ++c)
                    g[i + c] = 1.0f - (1.0f - p[i + c]) * (1.0f - k * g[i + c]);
                g[i + 3] = p[i + 3];
            }
        }
    });
    return glow;
}

FloatImage comic(const FloatImage& image)
{
    FloatImage flat = gaussianBlur(image, 1.5);
    posterize(flat.row(0), size_t(flat.width) * size_t(flat.height), 5);
    const std::vector<float> lines = outlines(image, 0.08f, 6.0f);
    parallelRows(image.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < image.width; ++x) {
                float* p = flat.at(x, y);
                const float keep = 1.0f - lines[size_t(y) * image.width + x];
                for (int c = 0; c < 3; ++c)
                    p[c] *= keep;
                p[3] = image.at(x, y)[3];
            }
    });
    return flat;
}

FloatImage crystallize(const FloatImage& image, double radius)
{
    const int cell = std::max(1, int(std::round(radius)));
    const auto seed = [&](int cx, int cy) {
        const std::uint32_t h = hash(std::uint32_t(cx), std::uint32_t(cy));
        return std::pair<float, float>(cx * cell + float(h & 0xffff) / 65535.0f * cell,
                                       cy * cell + float(h >> 16) / 65535.0f * cell);
    };
    FloatImage out(image.width, image.height, FloatImage::Uninitialised);
    parallelRows(image.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const int cy = y / cell;
            for (int x = 0; x < image.width; ++x) {
                const int cx = x / cell;
                float best = 1e30f;
                std::pair<float, float> nearest;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const auto s = seed(cx + dx, cy + dy);
                        const float d = (s.first - x) * (s.first - x) + (s.second - y) * (s.second - y);
                        if (d < best) {
                            best = d;
                            nearest = s;
                        }
                    }
                const float* src = image.at(std::clamp(int(nearest.first), 0, image.width - 1),
                                            std::clamp(int(nearest.second), 0, image.height - 1));
                std::copy(src, src + 4, out.at(x, y));
            }
        }
    });
    return out;
}

FloatImage edges(const FloatImage& image, double intensity)
{
    FloatImage out(image.width, image.height, FloatImage::Uninitialised);
    parallelRows(image.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < image.width; ++x) {
                float* p = out.at(x, y);
                for (int c = 0; c < 3; ++c)
                    p[c] = clamp01(float(intensity) * sobel(x, y, image.width, image.height,
                                                            [&](int sx, int sy) { return image.at(sx, sy)[c]; }));
                p[3] = 1.0f;
            }
    });
    return out;
}

FloatImage lineOverlay(const FloatImage& image)
{
    const std::vector<float> lines = outlines(image, 0.1f, 8.0f);
    FloatImage out(image.width, image.height);
    parallelRows(image.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < image.width; ++x)
                out.at(x, y)[3] = lines[size_t(y) * image.width + x] * image.at(x, y)[3];
    });
    return out;
}

FloatImage pixellate(const FloatImage& image, int scale)
{
    const int block = std::max(1, scale);
    FloatImage out(image.width, image.height, FloatImage::Uninitialised);
    parallelRows(image.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            // Each block takes the colour at its centre (inside the picture).
            const int sy = std::min(image.height - 1, y / block * block + block / 2);
            for (int x = 0; x < image.width; ++x) {
                const int sx = std::min(image.width - 1, x / block * block + block / 2);
                const float* src = image.at(sx, sy);
                std::copy(src, src + 4, out.at(x, y));
            }
        }
    });
    return out;
}

bool isSpatialEffect(int effect)
{
    return effect >= 6 && effect <= 11;
}

FloatImage applySpatialEffect(int effect, const FloatImage& image, double scale)
{
    switch (effect) {
    case 6: return bloom(image, 10.0 * scale, 10.0);
    case 7: return comic(image);
    case 8: return crystallize(image, 20.0 * scale);
    case 9: return edges(image, 1.0);
    case 10: return lineOverlay(image);
    case 11: return pixellate(image, int(std::lround(20 * scale)));
    default: return image;
    }
}

} // namespace ql::effects
