#include "imaging/effects/ImageLevels.h"

#include "imaging/effects/Blur.h"
#include "imaging/effects/ColorEffects.h"
#include "imaging/effects/FloatImage.h"
#include "imaging/effects/Parallel.h"
#include "imaging/effects/SpatialEffects.h"

#include <algorithm>
#include <atomic>
#include <vector>

namespace ql::effects {

namespace {

// The blur that luminance sharpening measures detail against.
constexpr double kSharpenSigma = 1.69;

float clamp01(float v)
{
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
}

bool readsDirectly(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888_Premultiplied:
        return true;
    default:
        return false;
    }
}

void unpremultiplied(float alpha, float* p)
{
    if (alpha <= 0.0f) {
        p[0] = p[1] = p[2] = p[3] = 0.0f;
        return;
    }
    const float scale = 1.0f / alpha;
    for (int c = 0; c < 3; ++c)
        p[c] = clamp01(p[c] * scale);
    p[3] = alpha;
}

// One row of the picture as RGBA floats, not premultiplied.
void loadRow(const QImage& picture, int y, float* out)
{
    const int width = picture.width();
    const uchar* line = picture.constScanLine(y);
    constexpr float unit = 1.0f / 255.0f;
    switch (picture.format()) {
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBX8888:
        toFloats(line, out, width * 4);
        return;
    case QImage::Format_RGBA8888_Premultiplied:
        toFloats(line, out, width * 4);
        for (int x = 0; x < width; ++x, out += 4)
            unpremultiplied(out[3], out);
        return;
    default: {
        const auto* pixels = reinterpret_cast<const QRgb*>(line);
        const QImage::Format format = picture.format();
        for (int x = 0; x < width; ++x, out += 4) {
            const QRgb p = pixels[x];
            out[0] = float(qRed(p)) * unit;
            out[1] = float(qGreen(p)) * unit;
            out[2] = float(qBlue(p)) * unit;
            out[3] = format == QImage::Format_RGB32 ? 1.0f : float(qAlpha(p)) * unit;
            if (format == QImage::Format_ARGB32_Premultiplied)
                unpremultiplied(out[3], out);
        }
        return;
    }
    }
}

// Rows of a picture as RGBA floats: one of another kind is made 8-bit RGBA
// a band of rows at a time, so that no converted copy of the whole is made.
// One for each thread.
class RowLoader {
public:
    explicit RowLoader(const QImage& picture) : m_picture(picture), m_direct(readsDirectly(picture.format())) {}

    void load(int y, float* out)
    {
        if (m_direct) {
            loadRow(m_picture, y, out);
            return;
        }
        if (m_band.isNull() || y < m_top || y >= m_top + m_band.height()) {
            m_top = y;
            const int rows = std::min(kBandRows, m_picture.height() - y);
            m_band = m_picture.copy(0, y, m_picture.width(), rows).convertToFormat(QImage::Format_RGBA8888);
        }
        loadRow(m_band, y - m_top, out);
    }

private:
    static constexpr int kBandRows = 32;
    const QImage& m_picture;
    const bool m_direct;
    QImage m_band;
    int m_top = 0;
};

struct Stages {
    bool colour = false;
    bool sharpen = false;
    bool blur = false;
    bool tint = false;
    std::array<float, 3> tintFactor {1.0f, 1.0f, 1.0f};
    int effect = 0;

    explicit Stages(const LevelSettings& s)
    {
        colour = s.brightness != 0.0f || s.contrast != 1.0f || s.saturation != 1.0f;
        sharpen = s.sharpness != 0.0f;
        blur = s.blur > 0.0;
        if (s.tintEnabled) {
            for (int c = 0; c < 3; ++c) {
                tintFactor[c] = 1.0f + (s.tint[c] - 1.0f) * s.tint[3];
                tint = tint || tintFactor[c] != 1.0f;
            }
        }
        effect = isColorEffect(s.effect) || isSpatialEffect(s.effect) ? s.effect : 0;
    }
    bool none() const { return !colour && !sharpen && !blur && !tint && effect == 0; }
};

void colourControls(float* p, int count, const LevelSettings& s)
{
    for (int i = 0; i < count; ++i, p += 4) {
        const float y = luma(p);
        for (int c = 0; c < 3; ++c) {
            const float v = y + (p[c] - y) * s.saturation + s.brightness;
            p[c] = clamp01((v - 0.5f) * s.contrast + 0.5f);
        }
    }
}

// The stages after the blur that work pixel by pixel: tint (inside the
// picture only: transparent pixels stay transparent), then a colour effect.
void finishRow(float* p, int count, const Stages& stages)
{
    if (stages.tint) {
        float* q = p;
        for (int i = 0; i < count; ++i, q += 4) {
            for (int c = 0; c < 3; ++c)
                q[c] *= stages.tintFactor[c];
        }
    }
    if (isColorEffect(stages.effect))
        applyColorEffect(stages.effect, p, size_t(count));
}

// Adds sharpness × (Y − blurred Y) to every pixel. For a picture with
// transparency the blurred luma is weighed by alpha.
void sharpen(FloatImage& pixels, float sharpness, bool translucent, double scale)
{
    const int width = pixels.width;
    const int height = pixels.height;
    const size_t count = size_t(width) * size_t(height);
    std::vector<float> weighedLuma(count);
    std::vector<float> alpha(translucent ? count : 0);
    parallelRows(height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const float* p = pixels.row(y);
            const size_t start = size_t(y) * size_t(width);
            for (int x = 0; x < width; ++x, p += 4) {
                weighedLuma[start + x] = luma(p) * p[3];
                if (translucent)
                    alpha[start + x] = p[3];
            }
        }
    });
    gaussianBlur(weighedLuma, width, height, kSharpenSigma * scale);
    if (translucent)
        gaussianBlur(alpha, width, height, kSharpenSigma * scale);
    parallelRows(height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            float* p = pixels.row(y);
            const size_t start = size_t(y) * size_t(width);
            for (int x = 0; x < width; ++x, p += 4) {
                const float own = luma(p);
                float blurred = weighedLuma[start + x];
                if (translucent) {
                    const float weight = alpha[start + x];
                    blurred = weight > 1e-6f ? blurred / weight : own;
                }
                const float detail = sharpness * (own - blurred);
                for (int c = 0; c < 3; ++c)
                    p[c] = clamp01(p[c] + detail);
            }
        }
    });
}

// Blurs colour weighed by alpha (premultiplied), so that a shape's edge
// keeps its colour as it fades instead of darkening.
void blur(FloatImage& pixels, double sigma, bool translucent)
{
    const auto eachPixel = [&pixels](auto fn) {
        parallelRows(pixels.height, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y) {
                float* p = pixels.row(y);
                for (int x = 0; x < pixels.width; ++x, p += 4)
                    fn(p);
            }
        });
    };
    if (translucent) {
        eachPixel([](float* p) {
            for (int c = 0; c < 3; ++c)
                p[c] *= p[3];
        });
    }
    gaussianBlur(pixels.row(0), pixels.width, pixels.height, 4, sigma);
    if (translucent)
        eachPixel([](float* p) { unpremultiplied(clamp01(p[3]), p); });
}

} // namespace

bool LevelSettings::isIdentity() const
{
    return Stages(*this).none();
}

bool adjustsWholePicture(const LevelSettings& settings)
{
    const Stages stages(settings);
    return stages.sharpen || stages.blur || isSpatialEffect(stages.effect);
}

QImage applyLevels(const QImage& picture, const LevelSettings& settings)
{
    if (picture.isNull())
        return {};
    const Stages stages(settings);
    if (stages.none())
        return picture;
    const int width = picture.width();
    const int height = picture.height();

    if (!adjustsWholePicture(settings)) {
        // Pixel by pixel only: stream the rows, no picture of floats.
        QImage out(width, height, QImage::Format_RGBA8888);
        if (out.isNull())
            return {};
        uchar* const bits = out.bits(); // taken once: threads must not touch the image itself
        const qsizetype stride = out.bytesPerLine();
        parallelRows(height, [&](int y0, int y1) {
            std::vector<float> row(size_t(width) * 4);
            RowLoader rows(picture);
            for (int y = y0; y < y1; ++y) {
                rows.load(y, row.data());
                if (stages.colour)
                    colourControls(row.data(), width, settings);
                finishRow(row.data(), width, stages);
                toBytes(row.data(), bits + y * stride, width * 4);
            }
        });
        return out;
    }

    FloatImage pixels(width, height, FloatImage::Uninitialised);
    std::atomic<bool> translucent {false};
    parallelRows(height, [&](int y0, int y1) {
        bool seen = false;
        RowLoader rows(picture);
        for (int y = y0; y < y1; ++y) {
            float* row = pixels.row(y);
            rows.load(y, row);
            if (stages.colour)
                colourControls(row, width, settings);
            for (int x = 0; x < width && !seen; ++x)
                seen = row[x * 4 + 3] < 1.0f;
        }
        if (seen)
            translucent = true;
    });
    if (stages.sharpen)
        sharpen(pixels, settings.sharpness, translucent, settings.scale);
    if (stages.blur)
        blur(pixels, settings.blur * settings.scale, translucent);

    if (isSpatialEffect(stages.effect)) {
        parallelRows(height, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y)
                finishRow(pixels.row(y), width, stages);
        });
        return applySpatialEffect(stages.effect, pixels, settings.scale).toImage();
    }
    QImage out(width, height, QImage::Format_RGBA8888);
    if (out.isNull())
        return {};
    uchar* const bits = out.bits();
    const qsizetype stride = out.bytesPerLine();
    parallelRows(height, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            float* row = pixels.row(y);
            finishRow(row, width, stages);
            toBytes(row, bits + y * stride, width * 4);
        }
    });
    return out;
}

} // namespace ql::effects
