#include "imaging/effects/FloatImage.h"

#include "imaging/effects/Parallel.h"

#include <array>
#include <cmath>
#include <vector>

namespace ql::effects {

void toFloats(const uchar* in, float* out, int count)
{
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t {};
        for (int i = 0; i < 256; ++i)
            t[i] = float(i) / 255.0f;
        return t;
    }();
    for (int i = 0; i < count; ++i)
        out[i] = table[in[i]];
}

void toBytes(const float* in, uchar* out, int count)
{
    for (int i = 0; i < count; ++i) {
        const float v = in[i] > 0.0f ? (in[i] < 1.0f ? in[i] : 1.0f) : 0.0f; // NaN lands on 0
        out[i] = uchar(v * 255.0f + 0.5f);
    }
}

FloatImage FloatImage::fromImage(const QImage& image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    FloatImage out(rgba.width(), rgba.height(), Uninitialised);
    parallelRows(out.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            toFloats(rgba.constScanLine(y), out.row(y), out.width * 4);
    });
    return out;
}

QImage mapRows(const QImage& image, const std::function<void(float*, size_t)>& map)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QImage out(rgba.size(), QImage::Format_RGBA8888);
    if (out.isNull())
        return out;
    const int width = rgba.width();
    // Rows are written through one pointer taken here: the non-const
    // scanLine() touches the image's shared state, so threads must not call it.
    uchar* const pixels = out.bits();
    const qsizetype stride = out.bytesPerLine();
    parallelRows(rgba.height(), [&](int y0, int y1) {
        std::vector<float> row(size_t(width) * 4);
        for (int y = y0; y < y1; ++y) {
            toFloats(rgba.constScanLine(y), row.data(), width * 4);
            map(row.data(), size_t(width));
            toBytes(row.data(), pixels + y * stride, width * 4);
        }
    });
    return out;
}

QImage FloatImage::toImage() const
{
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull())
        return image;
    uchar* const pixels = image.bits(); // see mapRows
    const qsizetype stride = image.bytesPerLine();
    parallelRows(height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            toBytes(row(y), pixels + y * stride, width * 4);
    });
    return image;
}

} // namespace ql::effects
