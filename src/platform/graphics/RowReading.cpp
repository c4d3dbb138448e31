#include "platform/graphics/RowReading.h"

#include "platform/graphics/BitmapDecoding.h"

#include <QSysInfo>
#include <algorithm>
#include <array>
#include <climits>
#include <csetjmp>
#include <cstring>
#include <memory>
#include <png.h>
#include <tiffio.h>
#include <vector>

namespace ql::bitmaps {

namespace {

// Wider than this no picture is read: a header may claim anything, and each
// column costs a little memory of its own.
constexpr qint64 kWidestRow = 1'000'000;

bool isGrey(QImage::Format format)
{
    return format == QImage::Format_Grayscale8 || format == QImage::Format_Grayscale16;
}

// Sums of the source pixels each pixel of the result covers: one result row
// at a time while source rows come in order, or all of them while they come
// in passes (an interlaced PNG). Colour is summed premultiplied, so that
// clear pixels lend no colour to their neighbours.
class Averager {
public:
    Averager(QSize source, QSize target, QImage::Format format, bool inPasses, bool premultiply)
        : m_source(source),
          m_target(target),
          m_channels(isGrey(format) ? 1 : 4),
          m_inPasses(inPasses),
          m_premultiply(premultiply),
          m_format(format)
    {
        if (target.isEmpty() || source.isEmpty())
            return;
        m_column.resize(size_t(source.width()));
        m_perColumn.assign(size_t(target.width()), 0);
        m_firstOfColumn.assign(size_t(target.width()) + 1, source.width());
        for (int x = source.width() - 1; x >= 0; --x) {
            m_column[size_t(x)] = int(qint64(x) * target.width() / source.width());
            ++m_perColumn[size_t(m_column[size_t(x)])];
            m_firstOfColumn[size_t(m_column[size_t(x)])] = x;
        }
        // The source rows of each result row, y · target / source rounded down.
        const auto firstRow = [&](qint64 row) {
            return (row * source.height() + target.height() - 1) / target.height();
        };
        m_perRow.resize(size_t(target.height()));
        for (int row = 0; row < target.height(); ++row)
            m_perRow[size_t(row)] = quint64(firstRow(row + 1) - firstRow(row));
    }

    bool isNull() const { return m_perRow.empty(); }
    // Memory the sums take for a result of `target` pixels.
    static double sumBytes(QSize target, QImage::Format format, bool inPasses)
    {
        return double(target.width()) * (inPasses ? double(target.height()) : 1.0) * (isGrey(format) ? 1 : 4) * 8.0;
    }

    // `count` pixels of source row `y`, from column `x0` every `dx`
    // columns: one sample each for grey, four (RGBA) for colour.
    template <class Sample>
    void add(int y, const Sample* samples, int x0, int dx, int count)
    {
        // Made with the first row: a header that promises much over data
        // that holds nothing costs nothing.
        if (m_result.isNull() && !allocate())
            return;
        const int row = int(qint64(y) * m_target.height() / m_source.height());
        if (!m_inPasses && row != m_row) {
            flush();
            m_row = row;
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
                s[0] += p[0] * p[3] / 255;
                s[1] += p[1] * p[3] / 255;
                s[2] += p[2] * p[3] / 255;
            } else {
                s[0] += p[0];
                s[1] += p[1];
                s[2] += p[2];
            }
            s[3] += p[3];
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
                    r += p[0] * p[3] / 255;
                    g += p[1] * p[3] / 255;
                    b += p[2] * p[3] / 255;
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

    // The result, once every source row was added.
    QImage finish()
    {
        if (m_result.isNull())
            return {};
        if (m_inPasses) {
            for (int row = 0; row < m_target.height(); ++row)
                write(row, m_sums.data() + qint64(row) * m_target.width() * m_channels);
        } else {
            flush();
        }
        return m_result;
    }

private:
    bool allocate()
    {
        if (m_failed)
            return false;
        m_result = QImage(m_target, m_format);
        const qint64 rows = m_inPasses ? m_target.height() : 1;
        if (!m_result.isNull())
            m_sums.assign(size_t(rows * m_target.width() * m_channels), 0);
        m_failed = m_result.isNull();
        return !m_failed;
    }

    void flush()
    {
        if (m_row < 0)
            return;
        write(m_row, m_sums.data());
        std::fill(m_sums.begin(), m_sums.end(), 0);
    }

    void write(int row, const quint64* sums)
    {
        const quint64 rows = std::max<quint64>(1, m_perRow[size_t(row)]);
        uchar* out = m_result.scanLine(row);
        for (int x = 0; x < m_target.width(); ++x) {
            const quint64 count = m_perColumn[size_t(x)] * rows;
            const auto mean = [count](quint64 sum) { return (sum + count / 2) / count; };
            switch (m_result.format()) {
            case QImage::Format_Grayscale8:
                out[x] = uchar(mean(sums[x]));
                break;
            case QImage::Format_Grayscale16:
                reinterpret_cast<quint16*>(out)[x] = quint16(mean(sums[x]));
                break;
            default: {
                const quint64* s = sums + 4 * x;
                const QRgb pixel = m_result.hasAlphaChannel()
                    ? qRgba(int(mean(s[0])), int(mean(s[1])), int(mean(s[2])), int(mean(s[3])))
                    : qRgb(int(mean(s[0])), int(mean(s[1])), int(mean(s[2])));
                reinterpret_cast<QRgb*>(out)[x] = pixel;
            }
            }
        }
    }

    const QSize m_source;
    const QSize m_target;
    const int m_channels;
    const bool m_inPasses;
    const bool m_premultiply;
    const QImage::Format m_format;
    QImage m_result;
    bool m_failed = false;
    std::vector<int> m_column;
    std::vector<quint64> m_perColumn;
    // Source columns are consecutive per result column: where each begins,
    // and (last) the source's width.
    std::vector<int> m_firstOfColumn;
    std::vector<quint64> m_perRow;
    std::vector<quint64> m_sums;
    int m_row = -1;
};

// The target shrunk, keeping its shape, until reading takes no more than
// the transient bound: the result, the sums, and the rows being read.
QSize affordable(QSize target, QImage::Format format, bool inPasses, double rowBytes)
{
    const auto cost = [&](QSize size) {
        return decodedBytes(size, format) + Averager::sumBytes(size, format, inPasses) + rowBytes;
    };
    while (!target.isEmpty() && cost(target) > double(kLargestTransientBytes))
        target = QSize(std::max(1, target.width() * 3 / 4), std::max(1, target.height() * 3 / 4));
    return target;
}

QPoint dotsPerMeter(double x, double y, double metresPerUnit)
{
    return QPoint(int(x / metresPerUnit + 0.5), int(y / metresPerUnit + 0.5));
}

// PNG ----------------------------------------------------------------------

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colourType = 0;
    bool interlaced = false;
    bool transparency = false;
    std::optional<QPoint> dotsPerMeter;
};

struct PngSource {
    const QByteArray* data;
    size_t at = 0;
};

void readPngBytes(png_structp png, png_bytep out, size_t length)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > size_t(source->data->size()) - source->at)
        png_error(png, "cut short");
    std::memcpy(out, source->data->constData() + source->at, length);
    source->at += length;
}

void pngFailed(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void pngWarned(png_structp, png_const_charp) {}

// Owns libpng's state; C++ objects with destructors live outside the
// functions that set a jump point.
class PngReading {
public:
    explicit PngReading(const QByteArray& data) : m_source {&data}
    {
        if (data.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(data.constData()), 0, 8) != 0)
            return;
        m_png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarned);
        if (m_png)
            m_info = png_create_info_struct(m_png);
        if (m_info)
            png_set_read_fn(m_png, &m_source, readPngBytes);
    }
    ~PngReading() { png_destroy_read_struct(&m_png, &m_info, nullptr); }
    PngReading(const PngReading&) = delete;
    PngReading& operator=(const PngReading&) = delete;

    bool readHeader(PngHeader& header)
    {
        if (!m_info || setjmp(png_jmpbuf(m_png)))
            return false;
        png_read_info(m_png, m_info);
        header.width = png_get_image_width(m_png, m_info);
        header.height = png_get_image_height(m_png, m_info);
        header.depth = png_get_bit_depth(m_png, m_info);
        header.colourType = png_get_color_type(m_png, m_info);
        header.interlaced = png_get_interlace_type(m_png, m_info) != PNG_INTERLACE_NONE;
        header.transparency = png_get_valid(m_png, m_info, PNG_INFO_tRNS) != 0;
        png_uint_32 x = 0, y = 0;
        int unit = 0;
        if (png_get_pHYs(m_png, m_info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER && x > 0 && y > 0
            && x <= png_uint_32(INT_MAX) && y <= png_uint_32(INT_MAX))
            header.dotsPerMeter = QPoint(int(x), int(y));
        return true;
    }

    // Asks libpng for 8-bit grey, 16-bit grey in this machine's order, or
    // 8-bit RGBA; the bytes of one row as they then come.
    bool prepare(const PngHeader& header, QImage::Format format, size_t& rowBytes)
    {
        if (setjmp(png_jmpbuf(m_png)))
            return false;
        if (header.depth == 16) {
            if (format == QImage::Format_Grayscale16) {
                if (QSysInfo::ByteOrder == QSysInfo::LittleEndian)
                    png_set_swap(m_png);
            } else {
                png_set_strip_16(m_png);
            }
        }
        if (!isGrey(format)) {
            png_set_palette_to_rgb(m_png);
            if (header.transparency)
                png_set_tRNS_to_alpha(m_png);
            png_set_gray_to_rgb(m_png);
            if (!(header.colourType & PNG_COLOR_MASK_ALPHA) && !header.transparency)
                png_set_filler(m_png, 0xFF, PNG_FILLER_AFTER);
        }
        if (header.depth < 8)
            png_set_expand_gray_1_2_4_to_8(m_png);
        png_read_update_info(m_png, m_info);
        rowBytes = png_get_rowbytes(m_png, m_info);
        return true;
    }

    // Reads every row of every pass into the averager.
    bool readRows(const PngHeader& header, QImage::Format format, uchar* row, Averager& averager)
    {
        if (setjmp(png_jmpbuf(m_png)))
            return false;
        const int passes = header.interlaced ? 7 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const png_uint_32 rows = header.interlaced ? PNG_PASS_ROWS(header.height, pass) : header.height;
            const png_uint_32 columns = header.interlaced ? PNG_PASS_COLS(header.width, pass) : header.width;
            if (rows == 0 || columns == 0)
                continue;
            const int y0 = header.interlaced ? int(PNG_PASS_START_ROW(pass)) : 0;
            const int dy = header.interlaced ? 1 << PNG_PASS_ROW_SHIFT(pass) : 1;
            const int x0 = header.interlaced ? int(PNG_PASS_START_COL(pass)) : 0;
            const int dx = header.interlaced ? 1 << PNG_PASS_COL_SHIFT(pass) : 1;
            for (png_uint_32 j = 0; j < rows; ++j) {
                png_read_row(m_png, row, nullptr);
                const int y = y0 + int(j) * dy;
                if (format == QImage::Format_Grayscale16)
                    averager.add(y, reinterpret_cast<const quint16*>(row), x0, dx, int(columns));
                else
                    averager.add(y, row, x0, dx, int(columns));
            }
        }
        return true;
    }

private:
    PngSource m_source;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

QImage::Format pngFormat(const PngHeader& header)
{
    if (header.colourType == PNG_COLOR_TYPE_GRAY && !header.transparency)
        return header.depth == 16 && !header.interlaced ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8;
    const bool alpha = (header.colourType & PNG_COLOR_MASK_ALPHA) || header.transparency;
    return alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

std::optional<RowPicture> pngPicture(const QByteArray& data, PngHeader& header)
{
    PngReading reading(data);
    if (!reading.readHeader(header) || header.width == 0 || header.height == 0 || header.width > kWidestRow
        || header.height > png_uint_32(INT_MAX))
        return std::nullopt;
    return RowPicture {QSize(int(header.width), int(header.height)), pngFormat(header)};
}

QImage readPng(const QByteArray& data, QSize size)
{
    PngHeader header;
    PngReading reading(data);
    if (!reading.readHeader(header) || header.width == 0 || header.height == 0 || header.width > kWidestRow
        || header.height > png_uint_32(INT_MAX))
        return {};
    const QImage::Format format = pngFormat(header);
    size_t rowBytes = 0;
    if (!reading.prepare(header, format, rowBytes))
        return {};
    const QSize source(int(header.width), int(header.height));
    const QSize target = affordable(size.boundedTo(source), format, header.interlaced, double(rowBytes));
    Averager averager(source, target, format, header.interlaced, true);
    if (averager.isNull())
        return {};
    std::vector<uchar> row(rowBytes);
    if (!reading.readRows(header, format, row.data(), averager))
        return {};
    QImage image = averager.finish();
    if (!image.isNull() && header.dotsPerMeter) {
        image.setDotsPerMeterX(header.dotsPerMeter->x());
        image.setDotsPerMeterY(header.dotsPerMeter->y());
    }
    return image;
}

// TIFF ---------------------------------------------------------------------

struct TiffSource {
    const QByteArray* data;
    qint64 at = 0;
};

tmsize_t readTiffBytes(thandle_t handle, void* out, tmsize_t length)
{
    auto* source = static_cast<TiffSource*>(handle);
    const tmsize_t n = std::clamp<tmsize_t>(source->data->size() - source->at, 0, length);
    std::memcpy(out, source->data->constData() + source->at, size_t(n));
    source->at += n;
    return n;
}

tmsize_t writeNoTiffBytes(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t seekTiff(thandle_t handle, toff_t offset, int whence)
{
    auto* source = static_cast<TiffSource*>(handle);
    const qint64 base = whence == SEEK_CUR ? source->at : whence == SEEK_END ? source->data->size() : 0;
    const qint64 at = base + qint64(offset);
    if (at < 0)
        return toff_t(-1);
    source->at = at;
    return toff_t(at);
}

int closeTiff(thandle_t)
{
    return 0;
}

toff_t tiffSize(thandle_t handle)
{
    return toff_t(static_cast<TiffSource*>(handle)->data->size());
}

int mapTiff(thandle_t handle, void** base, toff_t* size)
{
    auto* source = static_cast<TiffSource*>(handle);
    *base = const_cast<char*>(source->data->constData());
    *size = toff_t(source->data->size());
    return 1;
}

void unmapTiff(thandle_t, void*, toff_t) {}

int quietTiff(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

struct TiffClose {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffFile = std::unique_ptr<TIFF, TiffClose>;

TiffFile openTiff(TiffSource& source)
{
    const QByteArray& data = *source.data;
    if (data.size() < 8 || !(data.startsWith("II*\0") || data.startsWith("MM\0*")))
        return nullptr;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kLargestTransientBytes));
    TIFFOpenOptionsSetErrorHandlerExtR(options, quietTiff, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quietTiff, nullptr);
    TIFF* tiff = TIFFClientOpenExt("picture", "r", &source, readTiffBytes, writeNoTiffBytes, seekTiff, closeTiff,
                                   tiffSize, mapTiff, unmapTiff, options);
    TIFFOpenOptionsFree(options);
    return TiffFile(tiff);
}

// How a TIFF is laid out, and so how it is read: rows of samples unpacked
// here, or libtiff's RGBA conversion by tiles or strips.
struct TiffLayout {
    quint32 width = 0;
    quint32 height = 0;
    quint16 bits = 1;
    quint16 samples = 1;
    quint16 photometric = PHOTOMETRIC_MINISWHITE;
    bool alpha = false;
    bool associated = false;
    bool bySamples = false;
    QImage::Format format = QImage::Format_Invalid;
    std::optional<QPoint> dotsPerMeter;
};

std::optional<TiffLayout> tiffLayout(TIFF* tiff)
{
    TiffLayout layout;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &layout.width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &layout.height)
        || layout.width == 0 || layout.height == 0 || layout.width > kWidestRow || layout.height > quint32(INT_MAX))
        return std::nullopt;
    quint16 planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &layout.bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    const bool photometric = TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric);
    quint16 extraCount = 0;
    quint16* extra = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0) {
        layout.alpha = extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA;
        layout.associated = extra[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    const quint16 p = layout.photometric;
    const bool grey = p == PHOTOMETRIC_MINISBLACK || p == PHOTOMETRIC_MINISWHITE;
    const quint16 colourSamples = p == PHOTOMETRIC_RGB ? 3 : 1;
    const bool bits = layout.bits == 1 || layout.bits == 2 || layout.bits == 4 || layout.bits == 8 || layout.bits == 16;
    layout.bySamples = photometric && !TIFFIsTiled(tiff) && (planar == PLANARCONFIG_CONTIG || layout.samples == 1)
        && bits && (grey || p == PHOTOMETRIC_RGB || (p == PHOTOMETRIC_PALETTE && layout.bits <= 8))
        && layout.samples >= colourSamples + (layout.alpha ? 1 : 0)
        && (p != PHOTOMETRIC_RGB || layout.bits >= 8);
    if (layout.bySamples && grey && layout.samples == 1)
        layout.format = layout.bits == 16 ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8;
    else
        layout.format = layout.alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    char message[1024];
    if (!layout.bySamples && !TIFFRGBAImageOK(tiff, message))
        return std::nullopt;
    float x = 0, y = 0;
    quint16 unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x) && TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y) && x > 0 && y > 0
        && x < 1e7f && y < 1e7f && unit != RESUNIT_NONE)
        layout.dotsPerMeter = dotsPerMeter(x, y, unit == RESUNIT_CENTIMETER ? 0.01 : 0.0254);
    return layout;
}

// One row of samples as the averager takes them: grey at the picture's
// depth, or 8-bit RGBA.
class SampleRow {
public:
    SampleRow(TIFF* tiff, const TiffLayout& layout) : m_layout(layout)
    {
        const int width = int(layout.width);
        if (isGrey(layout.format))
            m_grey.resize(size_t(width));
        else
            m_rgba.resize(size_t(width) * 4);
        quint16 *red = nullptr, *green = nullptr, *blue = nullptr;
        if (layout.photometric == PHOTOMETRIC_PALETTE && TIFFGetField(tiff, TIFFTAG_COLORMAP, &red, &green, &blue)) {
            const int entries = 1 << layout.bits;
            // Some writers store 8-bit entries where 16-bit ones belong.
            bool eightBit = true;
            for (int i = 0; i < entries; ++i)
                eightBit = eightBit && red[i] < 256 && green[i] < 256 && blue[i] < 256;
            const int shift = eightBit ? 0 : 8;
            for (int i = 0; i < entries; ++i)
                m_palette[size_t(i)] = {quint8(red[i] >> shift), quint8(green[i] >> shift), quint8(blue[i] >> shift)};
        }
    }

    void unpack(const uchar* in)
    {
        const quint32 max = (1u << m_layout.bits) - 1;
        const bool inverted = m_layout.photometric == PHOTOMETRIC_MINISWHITE;
        const auto sample = [&](qint64 index) -> quint32 {
            switch (m_layout.bits) {
            case 8:
                return in[index];
            case 16:
                return reinterpret_cast<const quint16*>(in)[index];
            default: {
                const qint64 bit = index * m_layout.bits;
                return (in[bit >> 3] >> (8 - m_layout.bits - (bit & 7))) & max;
            }
            }
        };
        const auto eight = [&](quint32 value) { return quint8(m_layout.bits == 16 ? value >> 8 : value * 255 / max); };
        const int n = m_layout.samples;
        for (qint64 x = 0; x < qint64(m_layout.width); ++x) {
            if (!m_grey.empty()) {
                quint32 v = sample(x * n);
                v = inverted ? max - v : v;
                m_grey[size_t(x)] = quint16(m_layout.bits == 16 ? v : eight(v));
                continue;
            }
            quint8* out = m_rgba.data() + 4 * x;
            if (m_layout.photometric == PHOTOMETRIC_PALETTE) {
                const auto& entry = m_palette[size_t(sample(x * n) & 0xFF)];
                std::copy(entry.cbegin(), entry.cend(), out);
                out[3] = 255;
            } else if (m_layout.photometric == PHOTOMETRIC_RGB) {
                for (int s = 0; s < 3; ++s)
                    out[s] = eight(sample(x * n + s));
                out[3] = m_layout.alpha ? eight(sample(x * n + 3)) : 255;
            } else {
                const quint32 v = sample(x * n);
                out[0] = out[1] = out[2] = eight(inverted ? max - v : v);
                out[3] = m_layout.alpha ? eight(sample(x * n + 1)) : 255;
            }
        }
    }

    void addTo(Averager& averager, int y) const
    {
        if (m_grey.empty())
            averager.add(y, m_rgba.data(), 0, 1, int(m_layout.width));
        else
            averager.add(y, m_grey.data(), 0, 1, int(m_layout.width));
    }

private:
    const TiffLayout& m_layout;
    std::vector<quint16> m_grey;
    std::vector<quint8> m_rgba;
    std::array<std::array<quint8, 3>, 256> m_palette {};
};

bool readTiffSamples(TIFF* tiff, const TiffLayout& layout, Averager& averager)
{
    const tmsize_t bytes = TIFFScanlineSize(tiff);
    if (bytes <= 0 || double(bytes) > double(kLargestTransientBytes) / 4)
        return false;
    std::vector<uchar> line(static_cast<size_t>(bytes));
    SampleRow row(tiff, layout);
    for (quint32 y = 0; y < layout.height; ++y) {
        if (TIFFReadScanline(tiff, line.data(), y, 0) < 0)
            return false;
        row.unpack(line.data());
        row.addTo(averager, int(y));
    }
    return true;
}

// libtiff's RGBA pixels (premultiplied, A B G R from the top byte) of a band
// whose rows lie bottom up, added top down.
void addRgbaBand(Averager& averager, const quint32* band, int stride, int width, int top, int rows,
                 std::vector<quint8>& rgba)
{
    for (int k = 0; k < rows; ++k) {
        const quint32* in = band + qint64(rows - 1 - k) * stride;
        for (int x = 0; x < width; ++x) {
            rgba[size_t(4 * x)] = quint8(TIFFGetR(in[x]));
            rgba[size_t(4 * x + 1)] = quint8(TIFFGetG(in[x]));
            rgba[size_t(4 * x + 2)] = quint8(TIFFGetB(in[x]));
            rgba[size_t(4 * x + 3)] = quint8(TIFFGetA(in[x]));
        }
        averager.add(top + k, rgba.data(), 0, 1, width);
    }
}

bool readTiffRgba(TIFF* tiff, const TiffLayout& layout, Averager& averager)
{
    const int width = int(layout.width);
    const int height = int(layout.height);
    std::vector<quint8> rgba(size_t(width) * 4);
    if (TIFFIsTiled(tiff)) {
        quint32 tileWidth = 0, tileHeight = 0;
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
        if (tileWidth == 0 || tileHeight == 0
            || double(width + tileWidth) * tileHeight * 8 > double(kLargestTransientBytes))
            return false;
        std::vector<quint32> tile(size_t(tileWidth) * tileHeight);
        std::vector<quint32> band(size_t(width) * tileHeight);
        for (int top = 0; top < height; top += int(tileHeight)) {
            const int rows = std::min(int(tileHeight), height - top);
            for (int left = 0; left < width; left += int(tileWidth)) {
                if (!TIFFReadRGBATile(tiff, quint32(left), quint32(top), tile.data()))
                    return false;
                // The tile's rows bottom up, the last of them its first row.
                const int columns = std::min(int(tileWidth), width - left);
                for (int k = 0; k < rows; ++k) {
                    std::copy_n(tile.data() + qint64(tileHeight - 1 - k) * tileWidth, columns,
                                band.data() + qint64(rows - 1 - k) * width + left);
                }
            }
            addRgbaBand(averager, band.data(), width, width, top, rows, rgba);
        }
        return true;
    }
    quint32 stripRows = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &stripRows);
    stripRows = std::clamp<quint32>(stripRows, 1, quint32(height));
    if (double(width) * stripRows * 8 > double(kLargestTransientBytes))
        return false;
    std::vector<quint32> strip(size_t(width) * stripRows);
    for (int top = 0; top < height; top += int(stripRows)) {
        if (!TIFFReadRGBAStrip(tiff, quint32(top), strip.data()))
            return false;
        addRgbaBand(averager, strip.data(), width, width, top, std::min(int(stripRows), height - top), rgba);
    }
    return true;
}

QImage readTiff(const QByteArray& data, QSize size)
{
    TiffSource source {&data};
    const TiffFile tiff = openTiff(source);
    if (!tiff)
        return {};
    const std::optional<TiffLayout> layout = tiffLayout(tiff.get());
    if (!layout)
        return {};
    const QSize picture(int(layout->width), int(layout->height));
    const QSize target = affordable(size.boundedTo(picture), layout->format, false, double(layout->width) * 16);
    Averager averager(picture, target, layout->format, false, layout->alpha && !layout->associated);
    if (averager.isNull())
        return {};
    const bool read = layout->bySamples ? readTiffSamples(tiff.get(), *layout, averager)
                                        : readTiffRgba(tiff.get(), *layout, averager);
    QImage image = read ? averager.finish() : QImage();
    if (!image.isNull() && layout->dotsPerMeter) {
        image.setDotsPerMeterX(layout->dotsPerMeter->x());
        image.setDotsPerMeterY(layout->dotsPerMeter->y());
    }
    return image;
}

} // namespace

std::optional<RowPicture> rowPictureOf(const QByteArray& data)
{
    PngHeader header;
    if (std::optional<RowPicture> png = pngPicture(data, header))
        return png;
    TiffSource source {&data};
    const TiffFile tiff = openTiff(source);
    if (!tiff)
        return std::nullopt;
    const std::optional<TiffLayout> layout = tiffLayout(tiff.get());
    if (!layout)
        return std::nullopt;
    return RowPicture {QSize(int(layout->width), int(layout->height)), layout->format};
}

std::optional<RowPicture> pictureReadByRows(const QByteArray& data)
{
    // What the toolkit's readers allocate without a raised limit.
    constexpr double kToolkitLimit = double(qint64(128) << 20);
    std::optional<RowPicture> picture = rowPictureOf(data);
    if (!picture || countedBytes(picture->size, QImage::Format_RGB32) <= kToolkitLimit)
        return std::nullopt;
    return picture;
}

QImage readRowByRow(const QByteArray& data, QSize size)
{
    if (size.isEmpty())
        return {};
    if (data.startsWith("\x89PNG"))
        return readPng(data, size);
    return readTiff(data, size);
}

} // namespace ql::bitmaps
