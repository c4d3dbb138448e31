#include "platform/graphics/RowWriting.h"

#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/JpegFailure.h"

#include <QSysInfo>
#include <array>
#include <cmath>
#include <png.h>

namespace ql::bitmaps {

namespace {

// Compressed bytes gathered a buffer at a time.
struct JpegOutput {
    jpeg_destination_mgr manager;
    QByteArray* bytes;
    std::array<JOCTET, 1 << 16> buffer;
};

void startOutput(j_compress_ptr info)
{
    auto* out = reinterpret_cast<JpegOutput*>(info->dest);
    out->manager.next_output_byte = out->buffer.data();
    out->manager.free_in_buffer = out->buffer.size();
}

boolean flushOutput(j_compress_ptr info)
{
    auto* out = reinterpret_cast<JpegOutput*>(info->dest);
    out->bytes->append(reinterpret_cast<const char*>(out->buffer.data()), qsizetype(out->buffer.size()));
    startOutput(info);
    return TRUE;
}

void endOutput(j_compress_ptr info)
{
    auto* out = reinterpret_cast<JpegOutput*>(info->dest);
    out->bytes->append(reinterpret_cast<const char*>(out->buffer.data()),
                       qsizetype(out->buffer.size() - out->manager.free_in_buffer));
}

// Owns libjpeg's state; C++ objects with destructors live outside the
// function that sets the jump point.
class JpegWriting {
public:
    JpegWriting()
    {
        m_info.err = quietFailure(m_failure);
        jpeg_create_compress(&m_info);
        m_output.manager.init_destination = startOutput;
        m_output.manager.empty_output_buffer = flushOutput;
        m_output.manager.term_destination = endOutput;
        m_output.bytes = &m_bytes;
        m_info.dest = &m_output.manager;
    }
    ~JpegWriting() { jpeg_destroy_compress(&m_info); }
    JpegWriting(const JpegWriting&) = delete;
    JpegWriting& operator=(const JpegWriting&) = delete;

    bool write(QSize size, bool grey, int quality, JpegDensity density, const RowSource& row)
    {
        if (setjmp(m_failure.back))
            return false;
        m_info.image_width = JDIMENSION(size.width());
        m_info.image_height = JDIMENSION(size.height());
        m_info.input_components = grey ? 1 : 3;
        m_info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
        jpeg_set_defaults(&m_info);
        jpeg_set_quality(&m_info, quality, TRUE);
        m_info.write_JFIF_header = TRUE;
        m_info.density_unit = UINT8(density.unit);
        m_info.X_density = UINT16(density.x);
        m_info.Y_density = UINT16(density.y);
        jpeg_start_compress(&m_info, TRUE);
        for (int y = 0; y < size.height(); ++y) {
            JSAMPROW line = const_cast<uchar*>(row(y));
            if (!line)
                return false;
            jpeg_write_scanlines(&m_info, &line, 1);
        }
        jpeg_finish_compress(&m_info);
        return true;
    }

    QByteArray& bytes() { return m_bytes; }

private:
    jpeg_compress_struct m_info {};
    JpegFailure m_failure {};
    JpegOutput m_output {};
    QByteArray m_bytes;
};

void appendPngBytes(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(length));
}

void flushNoPngBytes(png_structp) {}

void pngFailed(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void pngWarned(png_structp, png_const_charp) {}

class PngWriting {
public:
    PngWriting()
    {
        m_png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarned);
        if (m_png)
            m_info = png_create_info_struct(m_png);
    }
    ~PngWriting() { png_destroy_write_struct(&m_png, &m_info); }
    PngWriting(const PngWriting&) = delete;
    PngWriting& operator=(const PngWriting&) = delete;

    bool write(QSize size, QImage::Format format, std::optional<QPoint> dotsPerMeter, const RowSource& row)
    {
        if (!m_info || setjmp(png_jmpbuf(m_png)))
            return false;
        png_set_write_fn(m_png, &m_bytes, appendPngBytes, flushNoPngBytes);
        const int type = format == QImage::Format_RGB888        ? PNG_COLOR_TYPE_RGB
                       : format == QImage::Format_RGBA8888      ? PNG_COLOR_TYPE_RGB_ALPHA
                                                                : PNG_COLOR_TYPE_GRAY;
        const int depth = format == QImage::Format_Grayscale16 ? 16 : 8;
        png_set_IHDR(m_png, m_info, png_uint_32(size.width()), png_uint_32(size.height()), depth, type,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (dotsPerMeter)
            png_set_pHYs(m_png, m_info, png_uint_32(dotsPerMeter->x()), png_uint_32(dotsPerMeter->y()),
                         PNG_RESOLUTION_METER);
        png_write_info(m_png, m_info);
        if (depth == 16 && QSysInfo::ByteOrder == QSysInfo::LittleEndian)
            png_set_swap(m_png);
        for (int y = 0; y < size.height(); ++y) {
            const uchar* line = row(y);
            if (!line)
                return false;
            png_write_row(m_png, line);
        }
        png_write_end(m_png, nullptr);
        return true;
    }

    QByteArray& bytes() { return m_bytes; }

private:
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
    QByteArray m_bytes;
};

} // namespace

std::optional<JpegDensity> jpegDensityFor(std::optional<QPoint> dotsPerMeter)
{
    if (!dotsPerMeter)
        return JpegDensity {};
    const QPoint dots = *dotsPerMeter;
    const auto states = [dots](JpegDensity density) {
        return density.x > 0 && density.y > 0 && density.x <= 65535 && density.y <= 65535
            && jfifDotsPerMeter(density.unit, density.x, density.y) == dots;
    };
    const JpegDensity perCentimetre {2, dots.x() / 100, dots.y() / 100};
    if (states(perCentimetre))
        return perCentimetre;
    const JpegDensity perInch {1, int(std::lround(dots.x() * 0.0254)), int(std::lround(dots.y() * 0.0254))};
    if (states(perInch))
        return perInch;
    return std::nullopt;
}

std::optional<QByteArray> jpegFromRows(QSize size, QImage::Format format, int quality, JpegDensity density,
                                       const RowSource& row)
{
    if (size.isEmpty() || size.width() > kLargestJpegSide || size.height() > kLargestJpegSide
        || (format != QImage::Format_Grayscale8 && format != QImage::Format_RGB888))
        return std::nullopt;
    JpegWriting writing;
    if (!writing.write(size, format == QImage::Format_Grayscale8, quality, density, row))
        return std::nullopt;
    return std::move(writing.bytes());
}

std::optional<QByteArray> pngFromRows(QSize size, QImage::Format format, std::optional<QPoint> dotsPerMeter,
                                      const RowSource& row)
{
    if (size.isEmpty()
        || (format != QImage::Format_Grayscale8 && format != QImage::Format_Grayscale16
            && format != QImage::Format_RGB888 && format != QImage::Format_RGBA8888))
        return std::nullopt;
    PngWriting writing;
    if (!writing.write(size, format, dotsPerMeter, row))
        return std::nullopt;
    return std::move(writing.bytes());
}

} // namespace ql::bitmaps
