#include "imaging/effects/Blur.h"

#include "imaging/effects/Parallel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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

// One box pass along a contiguous row of `length` pixels of `Channels`
// interleaved floats, edges repeating.
template <int Channels>
void boxAlongRow(const float* src, float* dst, int length, int r)
{
    const float scale = 1.0f / float(2 * r + 1);
    float sum[Channels] = {};
    for (int x = -r; x <= r; ++x) {
        const float* s = src + size_t(std::clamp(x, 0, length - 1)) * Channels;
        for (int c = 0; c < Channels; ++c)
            sum[c] += s[c];
    }
    for (int x = 0; x < length; ++x) {
        const float* add = src + size_t(std::min(x + r + 1, length - 1)) * Channels;
        const float* sub = src + size_t(std::max(x - r, 0)) * Channels;
        float* d = dst + size_t(x) * Channels;
        for (int c = 0; c < Channels; ++c) {
            d[c] = sum[c] * scale;
            sum[c] += add[c] - sub[c];
        }
    }
}

// One box pass down every column of a block of `rows` rows of `rowFloats`
// floats each, edges repeating.
void boxDownColumns(const float* src, float* dst, int rows, size_t rowFloats, int r, std::vector<float>& sums)
{
    const float scale = 1.0f / float(2 * r + 1);
    sums.assign(rowFloats, 0.0f);
    const auto row = [&](int y) { return src + size_t(std::clamp(y, 0, rows - 1)) * rowFloats; };
    for (int y = -r; y <= r; ++y) {
        const float* s = row(y);
        for (size_t i = 0; i < rowFloats; ++i)
            sums[i] += s[i];
    }
    for (int y = 0; y < rows; ++y) {
        float* d = dst + size_t(y) * rowFloats;
        const float* add = row(y + r + 1);
        const float* sub = row(y - r);
        for (size_t i = 0; i < rowFloats; ++i) {
            d[i] = sums[i] * scale;
            sums[i] += add[i] - sub[i];
        }
    }
}

template <int Channels>
void blurRows(float* data, int width, int height, const std::vector<int>& radii)
{
    const size_t rowFloats = size_t(width) * Channels;
    parallelRows(height, [&](int y0, int y1) {
        std::vector<float> a(rowFloats);
        std::vector<float> b(rowFloats);
        for (int y = y0; y < y1; ++y) {
            float* line = data + size_t(y) * rowFloats;
            std::copy(line, line + rowFloats, a.begin());
            for (const int r : radii) {
                boxAlongRow<Channels>(a.data(), b.data(), width, r);
                a.swap(b);
            }
            std::copy(a.begin(), a.end(), line);
        }
    });
}

void blurColumns(float* data, int width, int height, int channels, const std::vector<int>& radii)
{
    // Columns go in strips copied out to contiguous memory, so the picture
    // is blurred in place with a few rows' worth of room per thread.
    constexpr int stripPixels = 64;
    const int strips = (width + stripPixels - 1) / stripPixels;
    const size_t rowFloats = size_t(width) * size_t(channels);
    parallelRows(strips, [&](int s0, int s1) {
        const size_t blockCapacity = size_t(stripPixels) * size_t(channels) * size_t(height);
        std::vector<float> a(blockCapacity);
        std::vector<float> b(blockCapacity);
        std::vector<float> sums;
        for (int s = s0; s < s1; ++s) {
            const size_t first = size_t(s) * stripPixels * size_t(channels);
            const size_t floats = std::min(size_t(stripPixels) * size_t(channels), rowFloats - first);
            for (int y = 0; y < height; ++y) {
                const float* line = data + size_t(y) * rowFloats + first;
                std::copy(line, line + floats, a.begin() + std::ptrdiff_t(size_t(y) * floats));
            }
            for (const int r : radii) {
                boxDownColumns(a.data(), b.data(), height, floats, r, sums);
                a.swap(b);
            }
            for (int y = 0; y < height; ++y) {
                const float* block = a.data() + size_t(y) * floats;
                std::copy(block, block + floats, data + size_t(y) * rowFloats + first);
            }
        }
    }, 1);
}

} // namespace

void gaussianBlur(float* data, int width, int height, int channels, double sigma)
{
    if (!(sigma > 0.0) || !std::isfinite(sigma) || width <= 0 || height <= 0 || (channels != 1 && channels != 4))
        return;
    // Beyond the picture's own size a wider blur changes next to nothing,
    // and box widths must stay within integers.
    sigma = std::min(sigma, double(std::max(width, height)));
    // Box blurs commute: every pass along rows, then every pass down columns.
    std::vector<int> radii;
    for (const int r : boxRadii(sigma)) {
        if (r > 0)
            radii.push_back(r);
    }
    if (radii.empty())
        return;
    if (channels == 4)
        blurRows<4>(data, width, height, radii);
    else
        blurRows<1>(data, width, height, radii);
    blurColumns(data, width, height, channels, radii);
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
