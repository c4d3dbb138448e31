#include "platform/graphics/RowReaders.h"

#include "platform/graphics/BitmapDecoding.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <tiffio.h>
#include <vector>

namespace ql::bitmaps {

namespace {

QPoint dotsPerMeter(double x, double y, double metresPerUnit)
{
    return QPoint(int(x / metresPerUnit + 0.5), int(y / metresPerUnit + 0.5));
}

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
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kLargestReaderBytes));
    TIFFOpenOptionsSetErrorHandlerExtR(options, quietTiff, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, quietTiff, nullptr);
    TIFF* tiff = TIFFClientOpenExt("picture", "r", &source, readTiffBytes, writeNoTiffBytes, seekTiff, closeTiff,
                                   tiffSize, mapTiff, unmapTiff, options);
    TIFFOpenOptionsFree(options);
    return TiffFile(tiff);
}

// How a TIFF is laid out, and so how it is read: samples unpacked here from
// rows of strips or tiles, or libtiff's RGBA conversion for the rest (YCbCr,
// CMYK, and other kinds of colour).
struct TiffLayout {
    quint32 width = 0;
    quint32 height = 0;
    quint16 bits = 1;
    quint16 samples = 1;
    quint16 photometric = PHOTOMETRIC_MINISWHITE;
    bool alpha = false;
    bool associated = false;
    bool planar = false;
    bool tiled = false;
    quint32 tileWidth = 0;
    quint32 tileHeight = 0;
    quint32 stripRows = 0;
    bool bySamples = false;
    QImage::Format format = QImage::Format_Invalid;
    std::optional<QPoint> dotsPerMeter;

    bool grey() const { return photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE; }
    // The toolkit's reader drops a grey picture's alpha, misreads 16-bit
    // samples kept in planes, and refuses a tile of more bytes than the
    // whole picture (as libtiff's tools tile a small one), which only a
    // tile larger than the picture can be.
    bool misreadByToolkit() const
    {
        return (grey() && alpha) || (planar && bits == 16 && samples > 1)
            || (tiled && (tileWidth > width || tileHeight > height));
    }
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
    layout.planar = planar == PLANARCONFIG_SEPARATE && layout.samples > 1;
    layout.tiled = TIFFIsTiled(tiff);
    if (layout.tiled) {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &layout.tileWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &layout.tileHeight);
    }
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &layout.stripRows);
    layout.stripRows = std::clamp<quint32>(layout.stripRows, 1, layout.height);
    const bool photometric = TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout.photometric);
    quint16 extraCount = 0;
    quint16* extra = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) && extraCount > 0) {
        layout.alpha = extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA;
        layout.associated = extra[0] == EXTRASAMPLE_ASSOCALPHA;
    }
    const quint16 p = layout.photometric;
    const quint16 colourSamples = p == PHOTOMETRIC_RGB ? 3 : 1;
    const bool bits = layout.bits == 1 || layout.bits == 2 || layout.bits == 4 || layout.bits == 8 || layout.bits == 16;
    // Tiles of whole bytes; samples in planes of whole bytes each.
    const bool blocks = !layout.tiled
        || (layout.tileWidth > 0 && layout.tileHeight > 0 && qint64(layout.tileWidth) * layout.bits % 8 == 0);
    layout.bySamples = photometric && bits && blocks && (!layout.planar || layout.bits >= 8)
        && (layout.grey() || p == PHOTOMETRIC_RGB || (p == PHOTOMETRIC_PALETTE && layout.bits <= 8))
        && layout.samples >= colourSamples + (layout.alpha ? 1 : 0) && (p != PHOTOMETRIC_RGB || layout.bits >= 8);
    if (layout.bySamples && layout.grey() && layout.samples == 1)
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

// One row of samples as the sink takes them: grey at the picture's depth,
// or 8-bit RGBA.
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
            const auto entry = [eightBit](quint16 value) { return quint8(eightBit ? value : (value + 128) / 257); };
            for (int i = 0; i < entries; ++i)
                m_palette[size_t(i)] = {entry(red[i]), entry(green[i]), entry(blue[i])};
        }
    }

    // A row of samples as a contiguous TIFF holds them.
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
        // Rounded, as the toolkit's reader does.
        const auto eight = [&](quint32 value) {
            return quint8(m_layout.bits == 8 ? value : m_layout.bits == 16 ? (value + 128) / 257 : value * 255 / max);
        };
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

    void addTo(RowSink& sink, int y) const
    {
        if (m_grey.empty())
            sink.add(y, m_rgba.data(), 0, 1, int(m_layout.width));
        else
            sink.add(y, m_grey.data(), 0, 1, int(m_layout.width));
    }

private:
    const TiffLayout& m_layout;
    std::vector<quint16> m_grey;
    std::vector<quint8> m_rgba;
    std::array<std::array<quint8, 3>, 256> m_palette {};
};

// Bands of rows as a contiguous TIFF holds them, gathered from strips or
// tiles, of samples together or in planes.
class SampleBands {
public:
    SampleBands(TIFF* tiff, const TiffLayout& layout) : m_tiff(tiff), m_layout(layout)
    {
        // libtiff counts one plane's samples in a row of planes.
        m_planeRowBytes = layout.planar ? (qint64(layout.width) * layout.bits + 7) / 8 : qint64(TIFFScanlineSize64(tiff));
        m_rowBytes = layout.planar ? m_planeRowBytes * layout.samples : m_planeRowBytes;
        // Compressed strips are read from their first row: each plane's
        // strip is read whole before the next plane's.
        m_height = layout.tiled ? int(layout.tileHeight) : layout.planar ? int(layout.stripRows) : 1;
        m_tileBytes = layout.tiled ? qint64(TIFFTileSize64(tiff)) : 0;
        m_bytes = double(m_height) * double(m_rowBytes) * (layout.planar ? 2 : 1) + double(m_tileBytes);
        m_usable = m_rowBytes > 0 && m_height > 0 && (!layout.tiled || m_tileBytes > 0);
    }

    bool usable() const { return m_usable; }
    // What the bands hold, made only by allocate().
    double bytes() const { return m_bytes; }
    void allocate()
    {
        m_band.resize(size_t(m_height * m_rowBytes));
        if (m_layout.planar)
            m_planes.resize(size_t(m_layout.samples) * size_t(m_height * m_planeRowBytes));
        m_tile.resize(size_t(m_tileBytes));
    }
    int height() const { return m_height; }
    // Where reading may begin: at a strip's or a tile's first row.
    int firstRowFrom(int row) const
    {
        const int unit = int(m_layout.tiled ? m_layout.tileHeight : m_layout.stripRows);
        return row / unit * unit;
    }

    // Rows [top, top + rows) of the picture; false when they do not read.
    bool read(int top, int rows)
    {
        const int planes = m_layout.planar ? m_layout.samples : 1;
        for (int plane = 0; plane < planes; ++plane) {
            uchar* out = m_layout.planar ? m_planes.data() + qint64(plane) * m_height * m_planeRowBytes : m_band.data();
            const qint64 stride = m_layout.planar ? m_planeRowBytes : m_rowBytes;
            if (!(m_layout.tiled ? readTiles(top, rows, plane, out, stride) : readLines(top, rows, plane, out, stride)))
                return false;
        }
        if (m_layout.planar)
            interleave(rows);
        return true;
    }

    const uchar* row(int k) const { return m_band.data() + qint64(k) * m_rowBytes; }

private:
    bool readLines(int top, int rows, int plane, uchar* out, qint64 stride)
    {
        for (int k = 0; k < rows; ++k) {
            if (TIFFReadScanline(m_tiff, out + k * stride, quint32(top + k), quint16(plane)) < 0)
                return false;
        }
        return true;
    }

    bool readTiles(int top, int rows, int plane, uchar* out, qint64 stride)
    {
        const qint64 tileRowBytes = m_layout.planar ? (qint64(m_layout.tileWidth) * m_layout.bits + 7) / 8
                                                    : qint64(TIFFTileRowSize64(m_tiff));
        for (quint32 left = 0; left < m_layout.width; left += m_layout.tileWidth) {
            if (TIFFReadTile(m_tiff, m_tile.data(), left, quint32(top), 0, quint16(plane)) < 0)
                return false;
            // Tiles are whole bytes wide, so each starts on a byte of the row.
            const qint64 at = tileRowBytes * (left / m_layout.tileWidth);
            const qint64 length = std::min(tileRowBytes, stride - at);
            for (int k = 0; k < rows; ++k)
                std::memcpy(out + k * stride + at, m_tile.data() + k * tileRowBytes, size_t(length));
        }
        return true;
    }

    // Planes of 8- or 16-bit samples woven into rows of pixels.
    void interleave(int rows)
    {
        const int n = m_layout.samples;
        const int size = m_layout.bits / 8;
        for (int k = 0; k < rows; ++k) {
            uchar* out = m_band.data() + k * m_rowBytes;
            for (int s = 0; s < n; ++s) {
                const uchar* in = m_planes.data() + (qint64(s) * m_height + k) * m_planeRowBytes;
                for (qint64 x = 0; x < qint64(m_layout.width); ++x)
                    std::memcpy(out + (x * n + s) * size, in + x * size, size_t(size));
            }
        }
    }

    TIFF* m_tiff;
    const TiffLayout& m_layout;
    qint64 m_rowBytes = 0;
    qint64 m_planeRowBytes = 0;
    qint64 m_tileBytes = 0;
    int m_height = 0;
    double m_bytes = 0;
    bool m_usable = false;
    std::vector<uchar> m_band;
    std::vector<uchar> m_planes;
    std::vector<uchar> m_tile;
};

// The bands of rows the sink wants, read from a band's first row (SampleBands
// or RgbaRows), each row handed on as `add(k, y)`: row k of the band, row y
// of the picture.
template <class Bands, class Add>
bool readBands(const TiffLayout& layout, Bands& bands, RowSink& sink, Add add)
{
    const int height = int(layout.height);
    const int end = std::min(height, sink.endRow());
    const int first = bands.firstRowFrom(std::clamp(sink.firstRow(), 0, height));
    for (int top = first; top < end; top += bands.height()) {
        const int rows = std::min(bands.height(), height - top);
        if (!bands.read(top, rows))
            return false;
        for (int k = 0; k < rows; ++k)
            add(k, top + k);
    }
    return true;
}

bool readTiffSamples(TIFF* tiff, const TiffLayout& layout, SampleBands& bands, RowSink& sink)
{
    SampleRow row(tiff, layout);
    return readBands(layout, bands, sink, [&](int k, int y) {
        row.unpack(bands.row(k));
        row.addTo(sink, y);
    });
}

// libtiff's conversion of the kinds of colour it knows (CMYK, YCbCr, Lab,
// ...) to premultiplied RGBA, packed A B G R from the top byte. Its rows come
// top down as the file stores them, whatever the file's orientation tag says,
// as the toolkit's reader gives them. Rows of samples together in strips are
// decoded and converted one at a time, so that a strip of any size costs a
// row; tiles, planes and subsampled strips a strip or a row of tiles at a
// time, which libtiff decodes whole.
class RgbaRows {
public:
    RgbaRows(TIFF* tiff, const TiffLayout& layout) : m_tiff(tiff), m_width(layout.width), m_stripRows(layout.stripRows)
    {
        char message[1024];
        m_begun = TIFFRGBAImageBegin(&m_image, tiff, 1, message) != 0;
        if (!m_begun)
            return;
        // Asked for the orientation it has, libtiff turns no row over.
        m_image.req_orientation = m_image.orientation;
        quint16 across = 1, down = 1;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_YCBCRSUBSAMPLING, &across, &down);
        const bool subsampled = m_image.photometric == PHOTOMETRIC_YCBCR && (across != 1 || down != 1);
        m_byLines = m_image.isContig && !layout.tiled && !subsampled;
        m_bandRows = m_byLines ? 1 : int(layout.tiled ? layout.tileHeight : layout.stripRows);
        // libtiff decodes a block of each plane, three or four at least.
        const double planes = m_image.isContig ? 1.0 : double(std::max<int>(m_image.samplesperpixel, 4));
        const double decoded = m_byLines ? double(TIFFScanlineSize64(tiff))
                                         : double(layout.tiled ? TIFFTileSize64(tiff) : TIFFStripSize64(tiff)) * planes;
        m_usable = m_bandRows > 0 && decoded > 0;
        m_bytes = decoded + double(m_width) * m_bandRows * 4;
    }
    ~RgbaRows()
    {
        if (m_begun)
            TIFFRGBAImageEnd(&m_image);
    }
    RgbaRows(const RgbaRows&) = delete;
    RgbaRows& operator=(const RgbaRows&) = delete;

    bool usable() const { return m_begun && m_usable; }
    double bytes() const { return m_bytes; }
    int height() const { return m_bandRows; }
    // Where reading may begin: at a band's first row, a strip's where rows
    // are decoded one by one (compressed strips are read from their first).
    int firstRowFrom(int row) const
    {
        const int unit = m_byLines ? int(m_stripRows) : m_bandRows;
        return row / unit * unit;
    }
    void allocate()
    {
        m_band.resize(size_t(m_width) * size_t(m_bandRows));
        if (m_byLines)
            m_line.resize(size_t(TIFFScanlineSize64(m_tiff)));
    }

    // Rows [top, top + rows) of the picture, a band's or one; false when
    // they do not read.
    bool read(int top, int rows)
    {
        if (!m_byLines) {
            m_image.row_offset = top;
            m_image.col_offset = 0;
            return TIFFRGBAImageGet(&m_image, m_band.data(), m_width, quint32(rows)) != 0;
        }
        if (TIFFReadScanline(m_tiff, m_line.data(), quint32(top), 0) < 0)
            return false;
        m_image.put.contig(&m_image, m_band.data(), 0, quint32(top), m_width, 1, 0, 0, m_line.data());
        return true;
    }

    const quint32* row(int k) const { return m_band.data() + qint64(k) * m_width; }

private:
    TIFF* m_tiff;
    quint32 m_width;
    quint32 m_stripRows;
    TIFFRGBAImage m_image {};
    bool m_begun = false;
    bool m_usable = false;
    bool m_byLines = false;
    int m_bandRows = 0;
    double m_bytes = 0;
    std::vector<quint32> m_band;
    std::vector<uchar> m_line;
};

bool readTiffRgba(const TiffLayout& layout, RgbaRows& rows, RowSink& sink)
{
    const int width = int(layout.width);
    std::vector<quint8> rgba(size_t(width) * 4);
    return readBands(layout, rows, sink, [&](int k, int y) {
        const quint32* in = rows.row(k);
        for (int x = 0; x < width; ++x) {
            rgba[size_t(4 * x)] = quint8(TIFFGetR(in[x]));
            rgba[size_t(4 * x + 1)] = quint8(TIFFGetG(in[x]));
            rgba[size_t(4 * x + 2)] = quint8(TIFFGetB(in[x]));
            rgba[size_t(4 * x + 3)] = quint8(TIFFGetA(in[x]));
        }
        sink.add(y, rgba.data(), 0, 1, width);
    });
}

// What reading holds at once: what its road holds, and the row of samples
// handed to the sink.
double heldBytes(double road, const TiffLayout& layout)
{
    return road + double(layout.width) * 4;
}

bool readTiff(const QByteArray& data, RowSink& sink)
{
    TiffSource source {&data};
    const TiffFile tiff = openTiff(source);
    if (!tiff)
        return false;
    const std::optional<TiffLayout> layout = tiffLayout(tiff.get());
    if (!layout)
        return false;
    const QSize picture(int(layout->width), int(layout->height));
    if (!layout->bySamples) {
        RgbaRows rows(tiff.get(), *layout);
        const double held = heldBytes(rows.bytes(), *layout);
        // libtiff gives colour multiplied by alpha, whichever kind the file holds.
        if (!rows.usable() || held > double(kLargestReaderBytes)
            || !sink.begin({picture, layout->format, false, true, held, layout->dotsPerMeter}))
            return false;
        rows.allocate();
        return readTiffRgba(*layout, rows, sink);
    }
    SampleBands bands(tiff.get(), *layout);
    const double held = heldBytes(bands.bytes(), *layout);
    if (!bands.usable() || held > double(kLargestReaderBytes)
        || !sink.begin({picture, layout->format, false, layout->associated, held, layout->dotsPerMeter}))
        return false;
    bands.allocate();
    return readTiffSamples(tiff.get(), *layout, bands, sink);
}

} // namespace

std::optional<RowPicture> tiffRowPicture(const QByteArray& data)
{
    TiffSource source {&data};
    const TiffFile tiff = openTiff(source);
    const std::optional<TiffLayout> layout = tiff ? tiffLayout(tiff.get()) : std::nullopt;
    if (!layout)
        return std::nullopt;
    const double road =
        layout->bySamples ? SampleBands(tiff.get(), *layout).bytes() : RgbaRows(tiff.get(), *layout).bytes();
    return RowPicture {QSize(int(layout->width), int(layout->height)), layout->format, heldBytes(road, *layout)};
}

bool tiffMisreadByToolkit(const QByteArray& data)
{
    TiffSource source {&data};
    const TiffFile tiff = openTiff(source);
    const std::optional<TiffLayout> layout = tiff ? tiffLayout(tiff.get()) : std::nullopt;
    return layout && layout->misreadByToolkit();
}

bool readTiffRows(const QByteArray& data, RowSink& sink)
{
    return readTiff(data, sink);
}

} // namespace ql::bitmaps
