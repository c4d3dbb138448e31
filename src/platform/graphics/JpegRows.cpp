#include "platform/graphics/RowReaders.h"

#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/JpegFailure.h"

#include <jerror.h>
#include <vector>

namespace ql::bitmaps {

namespace {

// Owns libjpeg's state; C++ objects with destructors live outside the
// function that sets the jump point.
class JpegReading {
public:
    JpegReading()
    {
        m_info.err = quietFailure(m_failure);
        jpeg_create_decompress(&m_info);
    }
    ~JpegReading() { jpeg_destroy_decompress(&m_info); }
    JpegReading(const JpegReading&) = delete;
    JpegReading& operator=(const JpegReading&) = delete;

    // Grey as 8-bit samples, colour as RGBA; CMYK taken as the toolkit's
    // reader takes it (inverted, as most writers store it).
    bool read(const QByteArray& data, RowSink& sink)
    {
        if (setjmp(m_failure.back))
            return false;
        jpeg_mem_src(&m_info, reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)(data.size()));
        jpeg_read_header(&m_info, TRUE);
        const bool grey = m_info.jpeg_color_space == JCS_GRAYSCALE;
        const bool cmyk = m_info.jpeg_color_space == JCS_CMYK || m_info.jpeg_color_space == JCS_YCCK;
        m_info.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_RGBA;
        scaleTo(sink.sizeWanted());
        const QSize size(int(m_info.output_width), int(m_info.output_height));
        if (size.isEmpty() || size.width() > kWidestRow)
            return false;
        m_row.resize(size_t(size.width()) * (grey ? 1 : 4));
        const RowStream stream {size, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32, false, false,
                                jpegScanBufferBytes(data) + double(m_row.size()), jpegDotsPerMeter(data)};
        if (!sink.begin(stream))
            return false;
        jpeg_start_decompress(&m_info);
        while (m_info.output_scanline < m_info.output_height && int(m_info.output_scanline) < sink.endRow()) {
            const int y = int(m_info.output_scanline);
            JSAMPROW line = m_row.data();
            jpeg_read_scanlines(&m_info, &line, 1);
            if (cmyk)
                toRgba(size.width());
            sink.add(y, m_row.data(), 0, 1, size.width());
        }
        return true;
    }

    // Every scanline at an eighth of the size, none of them made up where
    // data ran out. Other warnings (stray bytes some writers leave) are no
    // loss of the picture.
    bool readsToItsEnd(const QByteArray& data)
    {
        if (setjmp(m_failure.back))
            return false;
        m_info.err->emit_message = [](j_common_ptr info, int level) {
            const int code = info->err->msg_code;
            if (level < 0 && (code == JWRN_HIT_MARKER || code == JWRN_JPEG_EOF))
                ++info->err->num_warnings;
        };
        jpeg_mem_src(&m_info, reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)(data.size()));
        jpeg_read_header(&m_info, TRUE);
        m_info.scale_num = 1;
        m_info.scale_denom = 8;
        m_info.dct_method = JDCT_IFAST;
        jpeg_start_decompress(&m_info);
        m_row.resize(size_t(m_info.output_width) * size_t(m_info.output_components));
        while (m_info.output_scanline < m_info.output_height && m_info.err->num_warnings == 0) {
            JSAMPROW line = m_row.data();
            jpeg_read_scanlines(&m_info, &line, 1);
        }
        return m_info.err->num_warnings == 0;
    }

private:
    // Decoded at the smallest of an eighth, a quarter, a half and the whole
    // that still has the pixels wanted: the decoder then reads each block
    // of the file at that size, which costs a fraction of decoding it whole.
    void scaleTo(QSize wanted)
    {
        for (const unsigned denominator : {8u, 4u, 2u, 1u}) {
            m_info.scale_num = 1;
            m_info.scale_denom = denominator;
            jpeg_calc_output_dimensions(&m_info);
            const bool enough = !wanted.isEmpty() && qint64(m_info.output_width) >= wanted.width()
                && qint64(m_info.output_height) >= wanted.height();
            if (enough || denominator == 1)
                return;
        }
    }

    void toRgba(int width)
    {
        for (int x = 0; x < width; ++x) {
            uchar* p = m_row.data() + 4 * x;
            const int k = p[3];
            p[0] = uchar(p[0] * k / 255);
            p[1] = uchar(p[1] * k / 255);
            p[2] = uchar(p[2] * k / 255);
            p[3] = 255;
        }
    }

    jpeg_decompress_struct m_info {};
    JpegFailure m_failure {};
    std::vector<uchar> m_row;
};

} // namespace

bool jpegHoldsItsPicture(const QByteArray& data)
{
    if (jpegScanBufferBytes(data) > double(kLargestTransientBytes))
        return false;
    JpegReading reading;
    return reading.readsToItsEnd(data);
}

bool readJpegRows(const QByteArray& data, RowSink& sink)
{
    // Whose scans would hold more than any picture may is not read.
    if (jpegScanBufferBytes(data) > double(kLargestTransientBytes))
        return false;
    JpegReading reading;
    return reading.read(data, sink);
}

} // namespace ql::bitmaps
