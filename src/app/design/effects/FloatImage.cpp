#include "app/design/effects/FloatImage.h"

#include "app/design/effects/Parallel.h"

#include <array>
#include <cmath>

namespace ql::effects {

FloatImage FloatImage::fromImage(const QImage& image)
{
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    FloatImage out(rgba.width(), rgba.height(), Uninitialised);
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t {};
        for (int i = 0; i < 256; ++i)
            t[i] = float(i) / 255.0f;
        return t;
    }();
    parallelRows(out.height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const uchar* in = rgba.constScanLine(y);
            float* o = out.row(y);
            for (int i = 0; i < out.width * 4; ++i)
                o[i] = table[in[i]];
        }
    });
    return out;
}

QImage FloatImage::toImage() const
{
    QImage image(width, height, QImage::Format_RGBA8888);
    if (image.isNull())
        return image;
    parallelRows(height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const float* in = row(y);
            uchar* o = image.scanLine(y);
            for (int i = 0; i < width * 4; ++i) {
                const float v = in[i] > 0.0f ? (in[i] < 1.0f ? in[i] : 1.0f) : 0.0f; // NaN lands on 0
                o[i] = uchar(v * 255.0f + 0.5f);
            }
        }
    });
    return image;
}

} // namespace ql::effects
