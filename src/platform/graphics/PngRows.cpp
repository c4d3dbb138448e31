#include "platform/graphics/RowReaders.h"

#include <QSysInfo>
#include <climits>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <png.h>
#include <vector>

namespace ql::bitmaps {

namespace {

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
                // Rounded, as the toolkit's reader does.
                png_set_scale_16(m_png);
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

    // Reads every row of every pass into the sink; in order, no further
    // than the rows it wants.
    bool readRows(const PngHeader& header, QImage::Format format, uchar* row, RowSink& sink)
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
                const int y = y0 + int(j) * dy;
                if (!header.interlaced && y >= sink.endRow())
                    return true;
                png_read_row(m_png, row, nullptr);
                if (format == QImage::Format_Grayscale16)
                    sink.add(y, reinterpret_cast<const quint16*>(row), x0, dx, int(columns));
                else
                    sink.add(y, row, x0, dx, int(columns));
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

// What reading holds at once: libpng's row and the one before it, at the
// file's depth, and the row handed to the sink.
double pngReaderBytes(const PngHeader& header, size_t rowBytes)
{
    const int channels = header.colourType == PNG_COLOR_TYPE_RGB_ALPHA ? 4
        : header.colourType == PNG_COLOR_TYPE_RGB                      ? 3
        : header.colourType == PNG_COLOR_TYPE_GRAY_ALPHA               ? 2
                                                                       : 1;
    const double fileRow = std::ceil(double(header.width) * channels * header.depth / 8.0) + 1;
    return 2 * fileRow + double(rowBytes);
}

// What the sink is handed a row of: 8-bit RGBA, or grey at its own depth.
size_t pngRowBytes(const PngHeader& header, QImage::Format format)
{
    return size_t(header.width) * (isGrey(format) ? (format == QImage::Format_Grayscale16 ? 2 : 1) : 4);
}

// The header read, and the picture it states one that can be read.
bool readsAsPicture(PngReading& reading, PngHeader& header)
{
    return reading.readHeader(header) && header.width > 0 && header.height > 0 && header.width <= kWidestRow
        && header.height <= png_uint_32(INT_MAX);
}

std::optional<RowPicture> pngPicture(const QByteArray& data, PngHeader& header)
{
    PngReading reading(data);
    if (!readsAsPicture(reading, header))
        return std::nullopt;
    const QImage::Format format = pngFormat(header);
    return RowPicture {QSize(int(header.width), int(header.height)), format,
                       pngReaderBytes(header, pngRowBytes(header, format))};
}

bool readPng(const QByteArray& data, RowSink& sink)
{
    PngHeader header;
    PngReading reading(data);
    if (!readsAsPicture(reading, header))
        return false;
    const QImage::Format format = pngFormat(header);
    size_t rowBytes = 0;
    if (!reading.prepare(header, format, rowBytes))
        return false;
    const RowStream stream {QSize(int(header.width), int(header.height)), format, header.interlaced, false,
                            pngReaderBytes(header, rowBytes), header.dotsPerMeter};
    if (!sink.begin(stream))
        return false;
    std::vector<uchar> row(rowBytes);
    return reading.readRows(header, format, row.data(), sink);
}

} // namespace

std::optional<RowPicture> pngRowPicture(const QByteArray& data)
{
    PngHeader header;
    return pngPicture(data, header);
}

bool pngMisreadByToolkit(const QByteArray& data)
{
    // The toolkit's reader shifts the channels of 16-bit RGB whose
    // transparency chunk names a colour.
    PngHeader header;
    PngReading reading(data);
    return readsAsPicture(reading, header) && header.colourType == PNG_COLOR_TYPE_RGB && header.depth == 16
        && header.transparency;
}

bool readPngRows(const QByteArray& data, RowSink& sink)
{
    return readPng(data, sink);
}

} // namespace ql::bitmaps
