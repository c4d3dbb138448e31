#include "app/design/effects/Blur.h"

#include "app/design/effects/Parallel.h"

#include <array>
#include <cmath>
#include <memory>

namespace ql::effects {

namespace {

// Box widths whose three passes come closest to a Gaussian of `sigma`.
std::array<int, 3> boxRadii(double sigma)
{
    const int n = 3;
    const double ideal = std::sqrt(12.0 * sigma * sigma / n + 1.0);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const double m = std::round((12.0 * sigma * sigma - n * lower * lower - 4.0 * n * lower - 3.0 * n) / (-4.0 * lower - 4.0));
    std::array<int, 3> radii {};
    for (int i = 0; i < n; ++i)
        radii[i] = ((i < m ? lower : upper) - 1) / 2;
    return radii;
}

struct Plane {
    const float* in;
    float* out;
    int width;
    int height;
    int channels;
    size_t rowSize() const { return size_t(width) * size_t(channels); }
};

template <int Channels>
void boxHorizontal(const Plane& p, int r)
{
    const int w = p.width;
    const float scale = 1.0f / float(2 * r + 1);
    parallelRows(p.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const float* src = p.in + size_t(y) * p.rowSize();
            float* dst = p.out + size_t(y) * p.rowSize();
            float sum[Channels] = {};
            for (int x = -r; x <= r; ++x) {
                const float* s = src + size_t(std::clamp(x, 0, w - 1)) * Channels;
                for (int c = 0; c < Channels; ++c)
                    sum[c] += s[c];
            }
            for (int x = 0; x < w; ++x) {
                const float* add = src + size_t(std::min(x + r + 1, w - 1)) * Channels;
                const float* sub = src + size_t(std::max(x - r, 0)) * Channels;
                float* d = dst + size_t(x) * Channels;
                for (int c = 0; c < Channels; ++c) {
                    d[c] = sum[c] * scale;
                    sum[c] += add[c] - sub[c];
                }
            }
        }
    });
}

void boxVertical(const Plane& p, int r)
{
    const int h = p.height;
    const size_t rowSize = p.rowSize();
    const float scale = 1.0f / float(2 * r + 1);
    // Columns are split across threads; each keeps running sums of its strip.
    const int strips = std::max(1, p.width / 64);
    parallelRows(strips, [&](int s0, int s1) {
        const size_t begin = rowSize * size_t(s0) / size_t(strips);
        const size_t end = rowSize * size_t(s1) / size_t(strips);
        std::vector<float> sums(end - begin, 0.0f);
        const auto row = [&](int y) { return p.in + size_t(std::clamp(y, 0, h - 1)) * rowSize + begin; };
        for (int y = -r; y <= r; ++y) {
            const float* src = row(y);
            for (size_t i = 0; i < sums.size(); ++i)
                sums[i] += src[i];
        }
        for (int y = 0; y < h; ++y) {
            float* dst = p.out + size_t(y) * rowSize + begin;
            const float* add = row(y + r + 1);
            const float* sub = row(y - r);
            for (size_t i = 0; i < sums.size(); ++i) {
                dst[i] = sums[i] * scale;
                sums[i] += add[i] - sub[i];
            }
        }
    }, 1);
}

} // namespace

void gaussianBlur(float* data, int width, int height, int channels, double sigma)
{
    if (!(sigma > 0.0) || !std::isfinite(sigma) || width <= 0 || height <= 0 || (channels != 1 && channels != 4))
        return;
    const std::unique_ptr<float[]> scratch(new float[size_t(width) * size_t(height) * size_t(channels)]);
    for (const int r : boxRadii(sigma)) {
        if (r <= 0)
            continue;
        const Plane across {data, scratch.get(), width, height, channels};
        if (channels == 4)
            boxHorizontal<4>(across, r);
        else
            boxHorizontal<1>(across, r);
        boxVertical(Plane {scratch.get(), data, width, height, channels}, r);
    }
}

int gaussianReach(double sigma)
{
    if (!(sigma > 0.0) || !std::isfinite(sigma))
        return 0;
    int reach = 0;
    for (const int r : boxRadii(sigma))
        reach += std::max(0, r);
    return reach;
}

FloatImage gaussianBlur(const FloatImage& image, double sigma)
{
    FloatImage result = image;
    gaussianBlur(result.row(0), result.width, result.height, 4, sigma);
    return result;
}

void gaussianBlur(std::vector<float>& plane, int width, int height, double sigma)
{
    if (plane.size() == size_t(width) * size_t(height))
        gaussianBlur(plane.data(), width, height, 1, sigma);
}

} // namespace ql::effects
