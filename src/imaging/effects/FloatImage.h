// An RGBA picture of floats from 0 to 1 (not premultiplied), row by row:
// what the image effects compute on.
#pragma once

#include <QImage>
#include <cstring>
#include <functional>
#include <memory>

namespace ql::effects {

struct FloatImage {
    int width = 0;
    int height = 0;

    FloatImage() = default;
    // Zero-filled (transparent black).
    FloatImage(int w, int h) : FloatImage(w, h, Uninitialised) { std::memset(m_data.get(), 0, byteCount()); }
    FloatImage(const FloatImage& other) : FloatImage(other.width, other.height, Uninitialised)
    {
        std::memcpy(m_data.get(), other.m_data.get(), byteCount());
    }
    FloatImage(FloatImage&&) noexcept = default;
    FloatImage& operator=(FloatImage other) noexcept
    {
        width = other.width;
        height = other.height;
        m_data = std::move(other.m_data);
        return *this;
    }
    // Left unset, for results every pixel of which is written: the pages are
    // first touched by the threads that fill them.
    enum UninitialisedTag { Uninitialised };
    FloatImage(int w, int h, UninitialisedTag)
        : width(w), height(h), m_data(new float[size_t(w) * size_t(h) * 4])
    {
    }

    static FloatImage fromImage(const QImage& image);
    // 8-bit RGBA, values clamped to 0..1 first.
    QImage toImage() const;

    float* row(int y) { return m_data.get() + size_t(y) * size_t(width) * 4; }
    const float* row(int y) const { return m_data.get() + size_t(y) * size_t(width) * 4; }
    float* at(int x, int y) { return row(y) + size_t(x) * 4; }
    const float* at(int x, int y) const { return row(y) + size_t(x) * 4; }

private:
    size_t byteCount() const { return size_t(width) * size_t(height) * 4 * sizeof(float); }
    std::unique_ptr<float[]> m_data;
};

// Bytes 0..255 to floats 0..1, and back rounded, values clamped first (NaN
// becomes 0).
void toFloats(const uchar* in, float* out, int count);
void toBytes(const float* in, uchar* out, int count);

// Runs `map` over each row of the picture as floats, in parallel, and
// gives the 8-bit RGBA result; no buffer of the whole picture is made.
QImage mapRows(const QImage& image, const std::function<void(float* pixels, size_t count)>& map);

// Rec. 709 luma, as colour controls weigh the channels.
inline float luma(const float* p)
{
    return 0.2125f * p[0] + 0.7154f * p[1] + 0.0721f * p[2];
}

} // namespace ql::effects
