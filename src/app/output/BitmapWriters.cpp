#include "app/output/BitmapWriters.h"

#include "imaging/effects/Parallel.h"

#include <QBuffer>
#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <memory>
#include <new>
#include <optional>
#include <thread>
#include <tiffio.h>
#include <vector>
#include <zlib.h>

namespace ql {

namespace {

QByteArray bigEndian32(quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

Error writerError(const QString& message)
{
    return Error {QStringLiteral("Quiverleaf.output"), 3, message};
}

// One row of the bitmap in the order a file stores it: R, G, B for RGB;
// C, M, Y, K for CMYK, inverted when `inverted` (0 full ink).
void fileRow(const SheetBitmap& bitmap, int y, bool inverted, std::vector<uchar>& row)
{
    const uchar* line = bitmap.pixels.constScanLine(y);
    const int width = bitmap.width();
    if (bitmap.cmyk) {
        row.resize(size_t(width) * 4);
        for (int i = 0; i < width * 4; ++i)
            row[size_t(i)] = inverted ? uchar(255 - line[i]) : line[i];
        return;
    }
    row.resize(size_t(width) * 3);
    const auto* pixels = reinterpret_cast<const QRgb*>(line);
    for (int x = 0; x < width; ++x) {
        row[size_t(x) * 3] = uchar(qRed(pixels[x]));
        row[size_t(x) * 3 + 1] = uchar(qGreen(pixels[x]));
        row[size_t(x) * 3 + 2] = uchar(qBlue(pixels[x]));
    }
}

QByteArray profileFor(const SheetBitmap& bitmap)
{
    if (!bitmap.cmyk)
        return rgbProfileData();
    const Result<QByteArray> data = cmykProfileData();
    return data ? *data : QByteArray();
}

// libjpeg reports failures by a jump back into the encoder.
struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

void jpegFailed(j_common_ptr info)
{
    auto* failure = reinterpret_cast<JpegFailure*>(info->err);
    (*info->err->format_message)(info, failure->message);
    std::longjmp(failure->back, 1);
}

// libtiff writes through these into a growing byte array.
struct TiffSink {
    QByteArray data;
    qint64 at = 0;
};

tsize_t tiffRead(thandle_t, tdata_t, tsize_t)
{
    return 0;
}

tsize_t tiffWrite(thandle_t handle, tdata_t buffer, tsize_t size)
{
    auto* sink = static_cast<TiffSink*>(handle);
    const qint64 end = sink->at + size;
    if (end > sink->data.size())
        sink->data.resize(end);
    std::memcpy(sink->data.data() + sink->at, buffer, size_t(size));
    sink->at = end;
    return size;
}

toff_t tiffSeek(thandle_t handle, toff_t offset, int whence)
{
    auto* sink = static_cast<TiffSink*>(handle);
    qint64 target = qint64(offset);
    if (whence == SEEK_CUR)
        target += sink->at;
    else if (whence == SEEK_END)
        target += sink->data.size();
    if (target < 0)
        return toff_t(-1);
    if (target > sink->data.size())
        sink->data.resize(target);
    sink->at = target;
    return toff_t(target);
}

int tiffClose(thandle_t)
{
    return 0;
}

toff_t tiffSize(thandle_t handle)
{
    return toff_t(static_cast<TiffSink*>(handle)->data.size());
}

int tiffMap(thandle_t, tdata_t*, toff_t*)
{
    return 0;
}

void tiffUnmap(thandle_t, tdata_t, toff_t) {}


// PNG rows as a file stores them: a filter byte (none), then R, G, B.
void pngRow(const SheetBitmap& bitmap, int y, std::vector<uchar>& row)
{
    const int width = bitmap.width();
    row.resize(size_t(width) * 3 + 1);
    row[0] = 0;
    const auto* pixels = reinterpret_cast<const QRgb*>(bitmap.pixels.constScanLine(y));
    uchar* out = row.data() + 1;
    for (int x = 0; x < width; ++x, out += 3) {
        out[0] = uchar(qRed(pixels[x]));
        out[1] = uchar(qGreen(pixels[x]));
        out[2] = uchar(qBlue(pixels[x]));
    }
}

// Rows below this much data are deflated in one piece: a thread costs more
// than it saves.
constexpr size_t LeastBandBytes = size_t(1) << 20;
constexpr size_t WindowBytes = 32768; // deflate looks back this far
constexpr int BandsPerCore = 4;

struct Band {
    int first = 0;
    int end = 0;
    QByteArray deflated;
    uLong adler = 1;
    uLong length = 0;
    bool ok = false;
};

// Deflates one band of rows as raw deflate data that the next band's data
// can follow: it ends on a byte boundary (sync flush), or ends the stream
// when it is the last. The band sees the 32 KB of rows before it as its
// dictionary, so splitting costs almost nothing in size.
void deflateBand(const SheetBitmap& bitmap, Band& band, bool last)
{
    z_stream stream {};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    const std::unique_ptr<z_stream, int (*)(z_stream*)> ending(&stream, deflateEnd);
    std::vector<uchar> row;
    if (band.first > 0) {
        std::vector<uchar> before;
        for (int y = band.first - 1; y >= 0 && before.size() < WindowBytes; --y) {
            pngRow(bitmap, y, row);
            before.insert(before.begin(), row.begin(), row.end());
        }
        const size_t kept = std::min(before.size(), WindowBytes);
        deflateSetDictionary(&stream, before.data() + (before.size() - kept), uInt(kept));
    }
    QByteArray out(1 << 16, Qt::Uninitialized);
    qsizetype produced = 0;
    bool failed = false;
    const auto run = [&](int mode) {
        do {
            if (out.size() - produced < (1 << 15))
                out.resize(out.size() * 2);
            stream.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
            stream.avail_out = uInt(out.size() - produced);
            const int status = deflate(&stream, mode);
            if (status == Z_STREAM_ERROR)
                failed = true;
            produced = out.size() - qsizetype(stream.avail_out);
        } while (!failed && stream.avail_out == 0);
    };
    for (int y = band.first; y < band.end && !failed; ++y) {
        pngRow(bitmap, y, row);
        band.adler = adler32(band.adler, row.data(), uInt(row.size()));
        band.length += uLong(row.size());
        stream.next_in = row.data();
        stream.avail_in = uInt(row.size());
        run(Z_NO_FLUSH);
    }
    if (!failed)
        run(last ? Z_FINISH : Z_SYNC_FLUSH);
    out.truncate(produced);
    band.deflated = std::move(out);
    band.ok = !failed;
}

// The zlib stream of the PNG's rows. A large page is cut into bands deflated
// on all cores at once and joined into one stream, the checksums combined,
// as parallel compressors do; readers see one ordinary stream.
std::optional<QByteArray> deflatedRows(const SheetBitmap& bitmap)
{
    const int height = bitmap.height();
    const size_t rowBytes = size_t(bitmap.width()) * 3 + 1;
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    // A few bands per core, taken in turn by whichever core is free: on a
    // busy machine a core that gets less time then holds up less of the page.
    const int count = int(std::clamp<size_t>(rowBytes * size_t(height) / LeastBandBytes, 1,
                                             size_t(std::min(BandsPerCore * cores, height))));
    std::vector<Band> bands(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        bands[size_t(i)].first = int(qint64(height) * i / count);
        bands[size_t(i)].end = int(qint64(height) * (i + 1) / count);
    }
    std::atomic<int> next {0};
    const auto work = [&] {
        for (int i = next++; i < count; i = next++) {
            try {
                deflateBand(bitmap, bands[size_t(i)], i == count - 1);
            } catch (const std::bad_alloc&) {
                // The band stays failed; the writer reports it.
            }
        }
    };
    effects::parallelRows(std::min(cores, count), [&](int, int) { work(); }, 1);
    QByteArray stream("\x78\x9c", 2); // deflate, 32 KB window, default level
    uLong adler = 1;
    for (const Band& band : bands) {
        if (!band.ok)
            return std::nullopt;
        stream += band.deflated;
        adler = adler32_combine(adler, band.adler, z_off_t(band.length));
    }
    stream += bigEndian32(quint32(adler));
    return stream;
}
} // namespace

Result<QByteArray> encodePNG(const SheetBitmap& bitmap, const PNGText& text)
{
    if (bitmap.isNull())
        return writerError(QStringLiteral("There is no picture to write."));
    if (bitmap.cmyk)
        return writerError(QStringLiteral("PNG files hold RGB pictures only."));
    // Written here rather than through a general writer: rows go to zlib
    // unfiltered as they are converted, which keeps a page at print
    // resolution close to the cost of deflating its pixels.
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    const auto chunk = [&png](const char* type, const QByteArray& data) {
        QByteArray body(type, 4);
        body += data;
        png += bigEndian32(quint32(data.size()));
        png += body;
        png += bigEndian32(quint32(crc32(0L, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
    };
    QByteArray header = bigEndian32(quint32(bitmap.width())) + bigEndian32(quint32(bitmap.height()));
    header += QByteArray("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter, no interlace
    chunk("IHDR", header);
    chunk("sRGB", QByteArray(1, '\0'));
    const quint32 perMetre = quint32(std::lround(bitmap.dpi / 0.0254));
    chunk("pHYs", bigEndian32(perMetre) + bigEndian32(perMetre) + QByteArray(1, '\1'));
    for (const auto& [keyword, value] : text)
        chunk("tEXt", keyword + '\0' + value);

    const std::optional<QByteArray> pixels = deflatedRows(bitmap);
    if (!pixels)
        return writerError(QStringLiteral("The PNG could not be compressed."));
    constexpr qsizetype IdatBytes = 1 << 18;
    for (qsizetype at = 0; at < pixels->size(); at += IdatBytes)
        chunk("IDAT", pixels->mid(at, IdatBytes));
    chunk("IEND", {});
    return png;
}

Result<QByteArray> encodeJPEG(const SheetBitmap& bitmap, double quality)
{
    if (bitmap.isNull())
        return writerError(QStringLiteral("There is no picture to write."));
    jpeg_compress_struct info {};
    JpegFailure failure {};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpegFailed;
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    // Everything the jump back may skip lies above it.
    std::vector<uchar> row;
    const QByteArray profile = profileFor(bitmap);
    if (setjmp(failure.back)) {
        jpeg_destroy_compress(&info);
        std::free(output);
        return writerError(QStringLiteral("The JPEG could not be written: %1").arg(QString::fromLocal8Bit(failure.message)));
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &output, &outputSize);
    info.image_width = JDIMENSION(bitmap.width());
    info.image_height = JDIMENSION(bitmap.height());
    info.input_components = bitmap.cmyk ? 4 : 3;
    info.in_color_space = bitmap.cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    // CMYK stays CMYK (with the Adobe marker readers look for).
    if (bitmap.cmyk)
        jpeg_set_colorspace(&info, JCS_CMYK);
    jpeg_set_quality(&info, std::clamp(int(std::lround(std::clamp(quality, 0.0, 1.0) * 100)), 1, 100), TRUE);
    // The resolution goes in the JFIF header, which CMYK files also carry.
    info.write_JFIF_header = TRUE;
    info.density_unit = 1;
    info.X_density = UINT16(std::clamp(bitmap.dpi, 1, 65535));
    info.Y_density = info.X_density;
    jpeg_start_compress(&info, TRUE);
    if (!profile.isEmpty())
        jpeg_write_icc_profile(&info, reinterpret_cast<const JOCTET*>(profile.constData()), unsigned(profile.size()));
    while (info.next_scanline < info.image_height) {
        // CMYK JPEGs store inverted samples, as the Adobe marker tells readers.
        fileRow(bitmap, int(info.next_scanline), true, row);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray data(reinterpret_cast<const char*>(output), qsizetype(outputSize));
    std::free(output);
    return data;
}

Result<QByteArray> encodeTIFF(const SheetBitmap& bitmap)
{
    if (bitmap.isNull())
        return writerError(QStringLiteral("There is no picture to write."));
    TiffSink sink;
    TIFF* tiff = TIFFClientOpen("sheet", "w", &sink, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize, tiffMap,
                                tiffUnmap);
    if (!tiff)
        return writerError(QStringLiteral("The TIFF could not be started."));
    const int samples = bitmap.cmyk ? 4 : 3;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(bitmap.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(bitmap.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, bitmap.cmyk ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_RGB);
    if (bitmap.cmyk)
        TIFFSetField(tiff, TIFFTAG_INKSET, INKSET_CMYK);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, float(bitmap.dpi));
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, float(bitmap.dpi));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff, 0));
    const QByteArray profile = profileFor(bitmap);
    if (!profile.isEmpty())
        TIFFSetField(tiff, TIFFTAG_ICCPROFILE, uint32_t(profile.size()), profile.constData());
    std::vector<uchar> row;
    for (int y = 0; y < bitmap.height(); ++y) {
        fileRow(bitmap, y, false, row);
        if (TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) < 0) {
            TIFFClose(tiff);
            return writerError(QStringLiteral("The TIFF could not be written."));
        }
    }
    TIFFClose(tiff);
    return sink.data;
}

Result<QByteArray> encodeBitmap(const SheetBitmap& bitmap, ExportFormat format, double quality)
{
    switch (format) {
    case ExportFormat::JPEG:
        return encodeJPEG(bitmap, quality);
    case ExportFormat::PNG:
        return encodePNG(bitmap);
    case ExportFormat::TIFF:
        return encodeTIFF(bitmap);
    case ExportFormat::PDF:
        break;
    }
    return writerError(QStringLiteral("PDF is not a picture format."));
}

} // namespace ql
