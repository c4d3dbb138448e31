#include "platform/graphics/RowMirroring.h"

#include "platform/graphics/ImageRep.h"
#include "platform/graphics/RowReaders.h"
#include "platform/graphics/RowWriting.h"

#include <QDir>
#include <QTemporaryFile>
#include <algorithm>
#include <climits>
#include <list>
#include <unordered_map>
#include <unistd.h>
#include <vector>

namespace ql::bitmaps {

namespace {

// The most rows a flip takes, in bands: where no temporary file can hold
// the rows, each band is read from the top of the file again.
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

// Puts `count` samples of a row, from column `x0` every `dx` columns, into
// `line`, a row of `format` (bandFormat): nothing is lost on the way.
void place(uchar* line, QImage::Format format, const quint8* samples, int x0, int dx, int count)
{
    if (format == QImage::Format_Grayscale8) {
        for (int i = 0, x = x0; i < count; ++i, x += dx)
            line[x] = samples[i];
        return;
    }
    const bool opaque = format == QImage::Format_RGB32;
    for (int i = 0, x = x0; i < count; ++i, x += dx) {
        const quint8* p = samples + 4 * i;
        reinterpret_cast<QRgb*>(line)[x] = qRgba(p[0], p[1], p[2], opaque ? 255 : p[3]);
    }
}

void place(uchar* line, QImage::Format format, const quint16* samples, int x0, int dx, int count)
{
    const bool deep = format == QImage::Format_Grayscale16;
    for (int i = 0, x = x0; i < count; ++i, x += dx) {
        if (deep)
            reinterpret_cast<quint16*>(line)[x] = samples[i];
        else
            line[x] = uchar(samples[i]);
    }
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
        if (y >= m_top && y < m_top + m_rows)
            place(m_pixels.scanLine(y - m_top), m_pixels.format(), samples, x0, dx, count);
    }

    void add(int y, const quint16* samples, int x0, int dx, int count) override
    {
        if (y >= m_top && y < m_top + m_rows)
            place(m_pixels.scanLine(y - m_top), m_pixels.format(), samples, x0, dx, count);
    }

    int firstRow() const override { return m_top; }
    int endRow() const override { return m_top + m_rows; }

private:
    const int m_top;
    const int m_rows;
    QImage& m_pixels;
};

// Every row of the picture at its full resolution, read once into a
// temporary file: the rows a reader is filling are kept in memory (the
// least recently filled written out first, and read back should a later
// pass of an interlaced picture fill them further), the others on disk.
class RowFile final : public RowSink {
public:
    RowFile(const RowStream& stream, const MirroringProgress& progress)
        : m_size(stream.size),
          m_format(bandFormat(stream)),
          m_rowBytes(qint64(m_size.width()) * QImage::toPixelFormat(m_format).bitsPerPixel() / 8),
          m_progress(progress),
          m_file(QDir::tempPath() + QStringLiteral("/quiverleaf-rows-XXXXXX")),
          m_written(size_t(m_size.height()), false)
    {
        // What the reader fills at once (a row of tiles, a strip) stays in
        // memory, and a few rows more.
        m_keptBytes = std::clamp<qint64>(qint64(2 * stream.readerBytes), kFewestKeptBytes, kLargestDecodedBytes);
        m_keptBytes = std::max(m_keptBytes, 4 * m_rowBytes);
        m_ok = m_file.open() && m_file.resize(m_rowBytes * m_size.height());
    }

    // Whether the file could be made, and every row written so far went in.
    bool ok() const { return m_ok; }
    bool stopped() const { return m_stopped; }

    bool begin(const RowStream& stream) override
    {
        return m_ok && stream.size == m_size && bandFormat(stream) == m_format;
    }

    void add(int y, const quint8* samples, int x0, int dx, int count) override
    {
        if (uchar* line = rowToFill(y, count))
            place(line, m_format, samples, x0, dx, count);
    }

    void add(int y, const quint16* samples, int x0, int dx, int count) override
    {
        if (uchar* line = rowToFill(y, count))
            place(line, m_format, samples, x0, dx, count);
    }

    // Readers that can stop early do once the mirroring is no longer wanted.
    int endRow() const override { return m_stopped || !m_ok ? 0 : INT_MAX; }

    // The rows still in memory written out.
    bool finish()
    {
        while (m_ok && !m_order.empty())
            writeOut(m_order.front());
        return m_ok && !m_stopped;
    }

    // Row `y`, read back from the file into a buffer of the file's own.
    const uchar* row(int y)
    {
        m_row.resize(size_t(m_rowBytes));
        const qint64 at = qint64(y) * m_rowBytes;
        if (m_written[size_t(y)]) {
            if (::pread(m_file.handle(), m_row.data(), size_t(m_rowBytes), off_t(at)) != m_rowBytes)
                return nullptr;
        } else {
            std::fill(m_row.begin(), m_row.end(), uchar(0));
        }
        return m_row.data();
    }

    qint64 rowBytes() const { return m_rowBytes; }

private:
    static constexpr qint64 kFewestKeptBytes = qint64(16) << 20;

    struct Kept {
        std::vector<uchar> pixels;
        std::list<int>::iterator place;
    };

    uchar* rowToFill(int y, int count)
    {
        if (!m_ok || m_stopped || y < 0 || y >= m_size.height())
            return nullptr;
        m_placed += count;
        if (m_progress && ++m_calls % 64 == 0
            && !m_progress(0.5 * double(m_placed) / (double(m_size.width()) * m_size.height()))) {
            m_stopped = true;
            return nullptr;
        }
        if (const auto found = m_kept.find(y); found != m_kept.end()) {
            m_order.splice(m_order.end(), m_order, found->second.place);
            return found->second.pixels.data();
        }
        while (m_ok && !m_order.empty() && qint64(m_kept.size() + 1) * m_rowBytes > m_keptBytes)
            writeOut(m_order.front());
        Kept& kept = m_kept[y];
        kept.place = m_order.insert(m_order.end(), y);
        kept.pixels.assign(size_t(m_rowBytes), uchar(0));
        // A row filled before, by an earlier pass, comes back as it was.
        if (m_written[size_t(y)]) {
            m_ok = m_ok
                && ::pread(m_file.handle(), kept.pixels.data(), size_t(m_rowBytes), off_t(qint64(y) * m_rowBytes))
                    == m_rowBytes;
        }
        return m_ok ? kept.pixels.data() : nullptr;
    }

    void writeOut(int y)
    {
        const auto found = m_kept.find(y);
        const qint64 at = qint64(y) * m_rowBytes;
        m_ok = m_ok
            && ::pwrite(m_file.handle(), found->second.pixels.data(), size_t(m_rowBytes), off_t(at)) == m_rowBytes;
        m_written[size_t(y)] = true;
        m_order.erase(found->second.place);
        m_kept.erase(found);
    }

    const QSize m_size;
    const QImage::Format m_format;
    const qint64 m_rowBytes;
    const MirroringProgress m_progress;
    QTemporaryFile m_file;
    qint64 m_keptBytes = 0;
    std::vector<bool> m_written;
    std::unordered_map<int, Kept> m_kept;
    std::list<int> m_order;
    std::vector<uchar> m_row;
    double m_placed = 0;
    quint64 m_calls = 0;
    bool m_ok = false;
    bool m_stopped = false;
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
                                          MirroredStorage storage, qint64 bandBytes, const MirroringProgress& progress)
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
    const auto encoded = [&](const RowSource& source) {
        return density ? jpegFromRows(size, rows, 90, *density, source)
                       : pngFromRows(size, rows, stream.dotsPerMeter, source);
    };
    // Rows are encoded top down, from the picture's bottom row when it turns
    // over; each is told as the second half of the work (reading the first).
    const auto wanted = [&](int y, double from) {
        return !progress || y % 64 != 0 || progress(from + (1.0 - from) * y / size.height());
    };
    const auto sourceRow = [&](int y) { return topToBottom ? size.height() - 1 - y : y; };
    QImage row;
    const auto mirroredRow = [&](const uchar* line, qint64 bytesPerLine) {
        row = QImage(line, size.width(), 1, bytesPerLine, format).mirrored(leftToRight, false).convertToFormat(rows);
        return row.constBits();
    };

    {
        RowFile file(stream, progress);
        if (file.ok()) {
            const bool read = readRows(data, file);
            if (file.stopped() || (file.ok() && !read))
                return std::nullopt;
            if (file.finish()) {
                return encoded([&](int y) -> const uchar* {
                    const uchar* line = wanted(y, 0.5) ? file.row(sourceRow(y)) : nullptr;
                    return line ? mirroredRow(line, file.rowBytes()) : nullptr;
                });
            }
            if (file.stopped())
                return std::nullopt;
        }
        // No temporary file could hold the rows: each band is read anew.
    }

    QImage pixels;
    int top = -1;
    return encoded([&](int y) -> const uchar* {
        if (!wanted(y, 0.0))
            return nullptr;
        const int from = sourceRow(y);
        if (top < 0 || from < top || from >= top + bandRows) {
            // Bottom up, the band ends at the row asked for.
            top = topToBottom ? std::max(0, from - bandRows + 1) : from;
            Band band(top, bandRows, pixels);
            if (!readRows(data, band))
                return nullptr;
        }
        return mirroredRow(pixels.constScanLine(from - top), pixels.bytesPerLine());
    });
}

} // namespace ql::bitmaps
