#include "platform/graphics/RowMirroring.h"

#include "platform/graphics/ImageRep.h"
#include "platform/graphics/RowReaders.h"
#include "platform/graphics/RowWriting.h"

#include <algorithm>

namespace ql::bitmaps {

namespace {

// Each band of rows is read from the top of the file again.
constexpr int kMostBands = 8;

// What a reader says of the picture, and no row read.
class StreamProbe final : public RowSink {
public:
    bool begin(const RowStream& stream) override
    {
        found = stream;
        return false;
    }
    void add(int, const quint8*, int, int, int) override {}
    void add(int, const quint16*, int, int, int) override {}

    std::optional<RowStream> found;
};

// The form a band keeps the rows in: as they come, nothing lost.
QImage::Format bandFormat(const RowStream& stream)
{
    if (isGrey(stream.format) || stream.format == QImage::Format_RGB32)
        return stream.format;
    return stream.premultiplied ? QImage::Format_ARGB32_Premultiplied : QImage::Format_ARGB32;
}

// Rows [top, top + rows) of the picture at its full resolution, into
// `pixels` (made, or kept from the band before).
class Band final : public RowSink {
public:
    Band(int top, int rows, QImage& pixels) : m_top(top), m_rows(rows), m_pixels(pixels) {}

    bool begin(const RowStream& stream) override
    {
        const QImage::Format format = bandFormat(stream);
        if (m_pixels.format() != format || m_pixels.width() != stream.size.width() || m_pixels.height() != m_rows)
            m_pixels = QImage(stream.size.width(), m_rows, format);
        return !m_pixels.isNull();
    }

    void add(int y, const quint8* samples, int x0, int dx, int count) override
    {
        if (y < m_top || y >= m_top + m_rows)
            return;
        uchar* line = m_pixels.scanLine(y - m_top);
        if (m_pixels.format() == QImage::Format_Grayscale8) {
            for (int i = 0, x = x0; i < count; ++i, x += dx)
                line[x] = samples[i];
            return;
        }
        const bool opaque = m_pixels.format() == QImage::Format_RGB32;
        for (int i = 0, x = x0; i < count; ++i, x += dx) {
            const quint8* p = samples + 4 * i;
            reinterpret_cast<QRgb*>(line)[x] = qRgba(p[0], p[1], p[2], opaque ? 255 : p[3]);
        }
    }

    void add(int y, const quint16* samples, int x0, int dx, int count) override
    {
        if (y < m_top || y >= m_top + m_rows)
            return;
        uchar* line = m_pixels.scanLine(y - m_top);
        const bool deep = m_pixels.format() == QImage::Format_Grayscale16;
        for (int i = 0, x = x0; i < count; ++i, x += dx) {
            if (deep)
                reinterpret_cast<quint16*>(line)[x] = samples[i];
            else
                line[x] = uchar(samples[i]);
        }
    }

    int firstRow() const override { return m_top; }
    int endRow() const override { return m_top + m_rows; }

private:
    const int m_top;
    const int m_rows;
    QImage& m_pixels;
};

// The density a JPEG states for the picture, so that it reads back at the
// same size in points; none where no JPEG can.
std::optional<JpegDensity> densityKeepingSize(std::optional<QPoint> dotsPerMeter)
{
    if (std::optional<JpegDensity> exact = jpegDensityFor(dotsPerMeter))
        return exact;
    // A resolution taken for none (the toolkit's default) may go unstated.
    const bool likeNone = ImageRep::dotsPerPoint(dotsPerMeter->x()) == ImageRep::dotsPerPoint(0)
        && ImageRep::dotsPerPoint(dotsPerMeter->y()) == ImageRep::dotsPerPoint(0);
    return likeNone ? std::optional<JpegDensity>(JpegDensity {}) : std::nullopt;
}

} // namespace

std::optional<QByteArray> mirroredPicture(const QByteArray& data, bool leftToRight, bool topToBottom,
                                          MirroredStorage storage, qint64 bandBytes)
{
    StreamProbe probe;
    readRows(data, probe);
    if (!probe.found)
        return std::nullopt;
    const RowStream stream = *probe.found;
    const QSize size = stream.size;
    const QImage::Format format = bandFormat(stream);
    // As a band holds a row: in whole 32-bit words.
    const qint64 rowBytes = std::max<qint64>(1, qint64(decodedBytes(QSize(size.width(), 1), format)));
    const int bandRows = int(std::clamp<qint64>(bandBytes / rowBytes, 1, size.height()));
    if ((qint64(size.height()) + bandRows - 1) / bandRows > kMostBands)
        return std::nullopt;

    const bool alpha = QImage::toPixelFormat(format).alphaUsage() == QPixelFormat::UsesAlpha;
    const bool fitsJpeg = size.width() <= kLargestJpegSide && size.height() <= kLargestJpegSide;
    const std::optional<JpegDensity> density = storage == MirroredStorage::AsChanged && !alpha && fitsJpeg
        ? densityKeepingSize(stream.dotsPerMeter)
        : std::nullopt;
    const QImage::Format rows = isGrey(format) ? (density ? QImage::Format_Grayscale8 : format)
                              : alpha          ? QImage::Format_RGBA8888
                                               : QImage::Format_RGB888;

    QImage pixels;
    int top = -1;
    QImage row;
    const RowSource source = [&](int y) -> const uchar* {
        const int from = topToBottom ? size.height() - 1 - y : y;
        if (top < 0 || from < top || from >= top + bandRows) {
            // Bottom up, the band ends at the row asked for.
            top = topToBottom ? std::max(0, from - bandRows + 1) : from;
            Band band(top, bandRows, pixels);
            if (!readRows(data, band))
                return nullptr;
        }
        const QImage line(pixels.constScanLine(from - top), size.width(), 1, pixels.bytesPerLine(), format);
        row = line.mirrored(leftToRight, false).convertToFormat(rows);
        return row.constBits();
    };
    return density ? jpegFromRows(size, rows, 90, *density, source)
                   : pngFromRows(size, rows, stream.dotsPerMeter, source);
}

} // namespace ql::bitmaps
