#include "platform/graphics/RowReading.h"

#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/RowReaders.h"

#include <algorithm>
#include <vector>

namespace ql::bitmaps {

namespace {

// A colour sample multiplied by its alpha, rounded.
template <class Sample>
quint32 premultiplied(Sample colour, Sample alpha)
{
    return (quint32(colour) * alpha + 127) / 255;
}

// Sums of the source pixels each pixel of the result covers: one result row
// at a time while source rows come in order, or all of them while they come
// in passes (an interlaced PNG). Colour is summed premultiplied, so that
// clear pixels lend no colour to their neighbours. A result as large as the
// source needs no sums: each pixel is written as it comes.
class Averager final : public RowSink {
public:
    explicit Averager(QSize wanted) : m_wanted(wanted) {}

    bool begin(const RowStream& stream) override;
    void add(int y, const quint8* samples, int x0, int dx, int count) override { addSamples(y, samples, x0, dx, count); }
    void add(int y, const quint16* samples, int x0, int dx, int count) override { addSamples(y, samples, x0, dx, count); }
    QSize sizeWanted() const override { return m_wanted; }

    // Memory the sums and the tables of columns take besides the result,
    // for a result of `target` pixels: those that grow with it, and those of
    // the source's width.
    static double sumBytes(QSize source, QSize target, QImage::Format format, bool inPasses)
    {
        if (target == source)
            return 0;
        const double columns = double(target.width());
        return columns * (inPasses ? double(target.height()) : 1.0) * (isGrey(format) ? 1 : 4) * 8.0
            + columns * (sizeof(quint64) + sizeof(int));
    }
    static double columnBytes(QSize source) { return double(source.width()) * sizeof(int); }

    // The result, once every source row was added.
    QImage finish()
    {
        if (m_result.isNull())
            return {};
        if (m_inPasses && !m_direct) {
            for (int row = 0; row < m_target.height(); ++row)
                write(row, m_sums.data() + qint64(row) * m_target.width() * m_channels);
        } else if (!m_direct) {
            flush();
        }
        if (m_dotsPerMeter) {
            m_result.setDotsPerMeterX(m_dotsPerMeter->x());
            m_result.setDotsPerMeterY(m_dotsPerMeter->y());
        }
        return m_result;
    }

private:
    // `count` pixels of source row `y`, from column `x0` every `dx`
    // columns: one sample each for grey, four (RGBA) for colour.
    template <class Sample>
    void addSamples(int y, const Sample* samples, int x0, int dx, int count)
    {
        // Made with the first row: a header that promises much over data
        // that holds nothing costs nothing.
        if (!m_allocated && !allocate())
            return;
        if (m_direct) {
            writeDirect(y, samples, x0, dx, count);
            return;
        }
        const int row = resultRow(y);
        if (!m_inPasses && row != m_row) {
            flush();
            m_row = row;
            m_rowFirst = int(firstSourceRow(row));
            m_rowEnd = int(firstSourceRow(row + 1));
        }
        quint64* sums = m_sums.data() + (m_inPasses ? qint64(row) * m_target.width() * m_channels : 0);
        if (x0 == 0 && dx == 1 && count == m_source.width()) {
            addWholeRow(sums, samples);
            return;
        }
        if (m_channels == 1) {
            for (int i = 0, x = x0; i < count; ++i, x += dx)
                sums[m_column[size_t(x)]] += samples[i];
            return;
        }
        for (int i = 0, x = x0; i < count; ++i, x += dx) {
            const Sample* p = samples + 4 * i;
            quint64* s = sums + 4 * m_column[size_t(x)];
            if (m_premultiply && p[3] != 255) {
                s[0] += premultiplied(p[0], p[3]);
                s[1] += premultiplied(p[1], p[3]);
                s[2] += premultiplied(p[2], p[3]);
            } else {
                s[0] += p[0];
                s[1] += p[1];
                s[2] += p[2];
            }
            s[3] += p[3];
        }
    }

    // The samples as they are, into the result's own row.
    template <class Sample>
    void writeDirect(int y, const Sample* samples, int x0, int dx, int count)
    {
        uchar* out = m_result.scanLine(y);
        if (m_format == QImage::Format_Grayscale16) {
            for (int i = 0, x = x0; i < count; ++i, x += dx)
                reinterpret_cast<quint16*>(out)[x] = quint16(samples[i]);
            return;
        }
        if (m_channels == 1) {
            for (int i = 0, x = x0; i < count; ++i, x += dx)
                out[x] = uchar(samples[i]);
            return;
        }
        const bool alpha = m_result.hasAlphaChannel();
        for (int i = 0, x = x0; i < count; ++i, x += dx) {
            const Sample* p = samples + 4 * i;
            QRgb pixel = qRgb(int(p[0]), int(p[1]), int(p[2]));
            if (alpha && m_premultiply && p[3] != 255)
                pixel = qRgba(int(premultiplied(p[0], p[3])), int(premultiplied(p[1], p[3])), int(premultiplied(p[2], p[3])),
                              int(p[3]));
            else if (alpha)
                pixel = qRgba(int(p[0]), int(p[1]), int(p[2]), int(p[3]));
            reinterpret_cast<QRgb*>(out)[x] = pixel;
        }
    }

    // A whole row, summed a result column at a time in locals: adding
    // pixel by pixel into the sums would wait on each previous store.
    template <class Sample>
    void addWholeRow(quint64* sums, const Sample* samples)
    {
        const int columns = m_target.width();
        if (m_channels == 1) {
            for (int c = 0; c < columns; ++c) {
                quint64 sum = 0;
                for (int x = m_firstOfColumn[size_t(c)], end = m_firstOfColumn[size_t(c) + 1]; x < end; ++x)
                    sum += samples[x];
                sums[c] += sum;
            }
            return;
        }
        const bool alpha = m_result.hasAlphaChannel();
        for (int c = 0; c < columns; ++c) {
            quint64 r = 0, g = 0, b = 0, a = 0;
            const int first = m_firstOfColumn[size_t(c)], end = m_firstOfColumn[size_t(c) + 1];
            if (!alpha) {
                // Opaque: alpha is 255 throughout.
                for (int x = first; x < end; ++x) {
                    r += samples[4 * x];
                    g += samples[4 * x + 1];
                    b += samples[4 * x + 2];
                }
                quint64* s = sums + 4 * c;
                s[0] += r;
                s[1] += g;
                s[2] += b;
                continue;
            }
            for (int x = first; x < end; ++x) {
                const Sample* p = samples + 4 * x;
                if (m_premultiply && p[3] != 255) {
                    r += premultiplied(p[0], p[3]);
                    g += premultiplied(p[1], p[3]);
                    b += premultiplied(p[2], p[3]);
                } else {
                    r += p[0];
                    g += p[1];
                    b += p[2];
                }
                a += p[3];
            }
            quint64* s = sums + 4 * c;
            s[0] += r;
            s[1] += g;
            s[2] += b;
            s[3] += a;
        }
    }

    bool allocate()
    {
        if (m_failed)
            return false;
        m_result = QImage(m_target, m_format);
        const qint64 rows = m_direct ? 0 : m_inPasses ? m_target.height() : 1;
        if (!m_result.isNull())
            m_sums.assign(size_t(rows * m_target.width() * m_channels), 0);
        m_failed = m_result.isNull();
        m_allocated = !m_failed;
        return m_allocated;
    }

    void flush()
    {
        if (m_row < 0)
            return;
        write(m_row, m_sums.data());
        std::fill(m_sums.begin(), m_sums.end(), 0);
    }

    // Source row y falls in result row y · target / source rounded down,
    // which begins at this source row.
    qint64 firstSourceRow(qint64 row) const
    {
        return (row * m_source.height() + m_target.height() - 1) / m_target.height();
    }
    quint64 rowsOf(int row) const { return quint64(firstSourceRow(row + 1) - firstSourceRow(row)); }
    // Rows in order need no division until the next result row.
    int resultRow(int y) const
    {
        if (!m_inPasses && y >= m_rowFirst && y < m_rowEnd)
            return m_row;
        return int(qint64(y) * m_target.height() / m_source.height());
    }

    void write(int row, const quint64* sums)
    {
        const quint64 rows = std::max<quint64>(1, rowsOf(row));
        uchar* out = m_result.scanLine(row);
        const QImage::Format format = m_result.format();
        const bool alpha = m_result.hasAlphaChannel();
        for (int x = 0; x < m_target.width(); ++x) {
            const quint64 count = m_perColumn[size_t(x)] * rows;
            // A pixel of one source pixel, common in a slight reduction, needs no division.
            const auto mean = [count](quint64 sum) { return count == 1 ? sum : (sum + count / 2) / count; };
            switch (format) {
            case QImage::Format_Grayscale8:
                out[x] = uchar(mean(sums[x]));
                break;
            case QImage::Format_Grayscale16:
                reinterpret_cast<quint16*>(out)[x] = quint16(mean(sums[x]));
                break;
            default: {
                const quint64* s = sums + 4 * x;
                const QRgb pixel = alpha
                    ? qRgba(int(mean(s[0])), int(mean(s[1])), int(mean(s[2])), int(mean(s[3])))
                    : qRgb(int(mean(s[0])), int(mean(s[1])), int(mean(s[2])));
                reinterpret_cast<QRgb*>(out)[x] = pixel;
            }
            }
        }
    }

    const QSize m_wanted;
    QSize m_source;
    QSize m_target;
    int m_channels = 1;
    bool m_inPasses = false;
    bool m_premultiply = false;
    bool m_direct = false;
    QImage::Format m_format = QImage::Format_Invalid;
    std::optional<QPoint> m_dotsPerMeter;
    QImage m_result;
    bool m_failed = false;
    std::vector<int> m_column;
    std::vector<quint64> m_perColumn;
    // Source columns are consecutive per result column: where each begins,
    // and (last) the source's width.
    std::vector<int> m_firstOfColumn;
    std::vector<quint64> m_sums;
    int m_row = -1;
    // The source rows of m_row.
    int m_rowFirst = 0;
    int m_rowEnd = 0;
    bool m_allocated = false;
};

// The target shrunk, keeping its shape, until reading takes no more than
// the transient bound: the result, the sums and tables, and what the reader
// holds. Empty when what the reader holds leaves no room for a pixel.
QSize affordable(QSize target, const RowStream& stream)
{
    const double room = double(kLargestTransientBytes) - stream.readerBytes - Averager::columnBytes(stream.size);
    if (target.isEmpty() || room <= 0)
        return {};
    return sizeWithin(target, room, [&stream](QSize size) {
        return decodedBytes(size, stream.format)
            + Averager::sumBytes(stream.size, size, stream.format, stream.inPasses);
    });
}

bool Averager::begin(const RowStream& stream)
{
    m_source = stream.size;
    m_target = affordable(m_wanted.boundedTo(stream.size), stream);
    m_format = stream.format;
    m_channels = isGrey(stream.format) ? 1 : 4;
    m_inPasses = stream.inPasses;
    m_premultiply = !stream.premultiplied;
    m_direct = m_target == m_source;
    m_dotsPerMeter = stream.dotsPerMeter;
    if (m_target.isEmpty() || m_source.isEmpty())
        return false;
    if (m_direct)
        return true;
    const QSize source = m_source, target = m_target;
    m_column.resize(size_t(source.width()));
    m_perColumn.assign(size_t(target.width()), 0);
    m_firstOfColumn.assign(size_t(target.width()) + 1, source.width());
    for (int x = source.width() - 1; x >= 0; --x) {
        m_column[size_t(x)] = int(qint64(x) * target.width() / source.width());
        ++m_perColumn[size_t(m_column[size_t(x)])];
        m_firstOfColumn[size_t(m_column[size_t(x)])] = x;
    }
    return true;
}

} // namespace

std::optional<RowPicture> rowPictureOf(const QByteArray& data)
{
    if (std::optional<RowPicture> png = pngRowPicture(data))
        return png;
    return tiffRowPicture(data);
}

std::optional<RowPicture> pictureReadByRows(const QByteArray& data)
{
    // What the toolkit's readers allocate without a raised limit.
    constexpr double kToolkitLimit = double(qint64(128) << 20);
    std::optional<RowPicture> picture = rowPictureOf(data);
    if (!picture)
        return std::nullopt;
    if (countedBytes(picture->size, QImage::Format_RGB32) > kToolkitLimit || pngMisreadByToolkit(data)
        || tiffMisreadByToolkit(data))
        return picture;
    return std::nullopt;
}

bool readRows(const QByteArray& data, RowSink& sink)
{
    if (data.startsWith("\x89PNG"))
        return readPngRows(data, sink);
    if (data.startsWith("\xFF\xD8"))
        return readJpegRows(data, sink);
    return readTiffRows(data, sink);
}

QImage reducedByRows(const QImage& bitmap, QSize size)
{
    if (bitmap.isNull() || size.isEmpty())
        return {};
    const bool alpha = bitmap.hasAlphaChannel();
    const RowStream stream {bitmap.size(),
                            alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32,
                            false,
                            true,
                            0,
                            QPoint(bitmap.dotsPerMeterX(), bitmap.dotsPerMeterY())};
    Averager averager(size);
    if (!averager.begin(stream))
        return {};
    // A few rows at a time made 8-bit RGBA, as the file readers hand them.
    constexpr int kBandRows = 16;
    const QImage::Format rows = alpha ? QImage::Format_RGBA8888_Premultiplied : QImage::Format_RGBX8888;
    for (int top = 0; top < bitmap.height(); top += kBandRows) {
        const QImage band =
            bitmap.copy(0, top, bitmap.width(), std::min(kBandRows, bitmap.height() - top)).convertToFormat(rows);
        for (int line = 0; line < band.height(); ++line)
            averager.add(top + line, band.constScanLine(line), 0, 1, band.width());
    }
    return averager.finish();
}

QImage readRowByRow(const QByteArray& data, QSize size)
{
    if (size.isEmpty())
        return {};
    Averager averager(size);
    if (!readRows(data, averager))
        return {};
    return averager.finish();
}

} // namespace ql::bitmaps
