#include "support/PictureKinds.h"

#include <QFile>
#include <algorithm>
#include <cstdlib>
#include <QPoint>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <png.h>
#include <tiffio.h>
#include <vector>

namespace ql::testing {

namespace {

// A sample of `bits` (up to 16) for channel `c` of pixel (x, y): noise, with
// the extremes common enough that clear and opaque pixels both occur.
quint32 sampleAt(int x, int y, int c, int bits)
{
    quint32 h = quint32(x) * 73856093u ^ quint32(y) * 19349663u ^ quint32(c + 1) * 83492791u;
    h = (h ^ (h >> 13)) * 0x5bd1e995u;
    h ^= h >> 15;
    const quint32 max = (1u << bits) - 1;
    switch (h % 8) {
    case 0: return 0;
    case 1: return max;
    default: return (h >> 8) & max;
    }
}

// A sample of `bits` at 8 bits, rounded.
int eight(quint32 value, int bits)
{
    return bits == 16 ? int((value + 128) / 257) : int(value * 255 / ((1u << bits) - 1));
}

// Samples packed MSB first into rows of whole bytes, 16-bit ones big-endian.
class PackedRow {
public:
    PackedRow(int samples, int bits) : m_bits(bits), m_bytes(size_t((qint64(samples) * bits + 7) / 8), 0) {}
    void set(int index, quint32 value)
    {
        if (m_bits == 16) {
            qToBigEndian<quint16>(quint16(value), m_bytes.data() + 2 * index);
        } else if (m_bits == 8) {
            m_bytes[size_t(index)] = uchar(value);
        } else {
            const qint64 bit = qint64(index) * m_bits;
            m_bytes[size_t(bit >> 3)] |= uchar(value << (8 - m_bits - (bit & 7)));
        }
    }
    uchar* data() { return m_bytes.data(); }
    // libtiff wants 16-bit samples in this machine's order.
    void toMachineOrder()
    {
        if (m_bits != 16)
            return;
        for (size_t i = 0; i + 1 < m_bytes.size(); i += 2)
            qToLittleEndian<quint16>(qFromBigEndian<quint16>(m_bytes.data() + i), m_bytes.data() + i);
    }

private:
    int m_bits;
    std::vector<uchar> m_bytes;
};

// PNG ----------------------------------------------------------------------

void appendPngBytes(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), qsizetype(length));
}

struct PngKind {
    const char* name;
    int colourType;
    int bits;
    bool transparency = false;
};

// What the PNG holds at (x, y), straight. A transparency chunk on grey or
// RGB names the brightest colour: its pixels are clear.
QRgb pngPixel(const PngKind& kind, int x, int y)
{
    const auto at = [&](int c) { return eight(sampleAt(x, y, c, kind.bits), kind.bits); };
    const quint32 max = (1u << kind.bits) - 1;
    const int colours = kind.colourType == PNG_COLOR_TYPE_RGB ? 3 : 1;
    bool named = kind.transparency && kind.colourType != PNG_COLOR_TYPE_PALETTE;
    for (int c = 0; c < colours; ++c)
        named = named && sampleAt(x, y, c, kind.bits) == max;
    if (named)
        return qRgba(0, 0, 0, 0);
    switch (kind.colourType) {
    case PNG_COLOR_TYPE_GRAY: return qRgb(at(0), at(0), at(0));
    case PNG_COLOR_TYPE_GRAY_ALPHA: return qRgba(at(0), at(0), at(0), at(1));
    case PNG_COLOR_TYPE_RGB: return qRgb(at(0), at(1), at(2));
    case PNG_COLOR_TYPE_RGB_ALPHA: return qRgba(at(0), at(1), at(2), at(3));
    default: {
        const int i = int(sampleAt(x, y, 0, kind.bits));
        const auto entry = [i](int c) { return int(sampleAt(i, 0, c, 8)); };
        return qRgba(entry(0), entry(1), entry(2), kind.transparency ? entry(3) : 255);
    }
    }
}

QByteArray png(QSize size, const PngKind& kind, bool interlaced)
{
    QByteArray out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendPngBytes, nullptr);
    png_set_IHDR(png, info, png_uint_32(size.width()), png_uint_32(size.height()), kind.bits, kind.colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    const int entries = kind.colourType == PNG_COLOR_TYPE_PALETTE ? 1 << kind.bits : 0;
    std::vector<png_color> palette(static_cast<size_t>(entries));
    std::vector<png_byte> alphas(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        palette[size_t(i)] = {png_byte(sampleAt(i, 0, 0, 8)), png_byte(sampleAt(i, 0, 1, 8)),
                              png_byte(sampleAt(i, 0, 2, 8))};
        alphas[size_t(i)] = png_byte(sampleAt(i, 0, 3, 8));
    }
    if (entries) {
        png_set_PLTE(png, info, palette.data(), entries);
        if (kind.transparency)
            png_set_tRNS(png, info, alphas.data(), entries, nullptr);
    } else if (kind.transparency) {
        const png_uint_16 max = png_uint_16((1u << kind.bits) - 1);
        png_color_16 brightest {0, max, max, max, max};
        png_set_tRNS(png, info, nullptr, 0, &brightest);
    }
    png_write_info(png, info);
    const int channels = png_get_channels(png, info);
    std::vector<PackedRow> rows;
    std::vector<png_bytep> pointers;
    for (int y = 0; y < size.height(); ++y) {
        rows.emplace_back(size.width() * channels, kind.bits);
        for (int x = 0; x < size.width(); ++x) {
            for (int c = 0; c < channels; ++c)
                rows.back().set(x * channels + c, entries ? sampleAt(x, y, 0, kind.bits) : sampleAt(x, y, c, kind.bits));
        }
    }
    for (PackedRow& row : rows)
        pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// TIFF ---------------------------------------------------------------------

struct TiffKind {
    const char* name;
    quint16 photometric;
    quint16 bits;
    quint16 samples;
    quint16 extra = EXTRASAMPLE_UNSPECIFIED;
};

quint32 tiffSample(const TiffKind& kind, int x, int y, int s);

// What the TIFF holds at (x, y), premultiplied.
QRgb tiffPixel(const TiffKind& kind, int x, int y)
{
    const auto at = [&](int s) { return eight(tiffSample(kind, x, y, s), kind.bits); };
    const bool alpha = kind.extra != EXTRASAMPLE_UNSPECIFIED;
    const int a = alpha ? at(kind.samples - 1) : 255;
    QRgb pixel = 0;
    if (kind.photometric == PHOTOMETRIC_PALETTE) {
        const int i = int(sampleAt(x, y, 0, kind.bits));
        const auto entry = [i](int c) { return eight(sampleAt(i, 0, c, 16), 16); };
        pixel = qRgb(entry(0), entry(1), entry(2));
    } else if (kind.photometric == PHOTOMETRIC_RGB) {
        pixel = qRgba(at(0), at(1), at(2), a);
    } else if (kind.photometric == PHOTOMETRIC_SEPARATED) {
        // Inks taken away from white, as libtiff converts them.
        const int white = 255 - at(3);
        pixel = qRgb(white * (255 - at(0)) / 255, white * (255 - at(1)) / 255, white * (255 - at(2)) / 255);
    } else {
        const int grey = kind.photometric == PHOTOMETRIC_MINISWHITE ? 255 - at(0) : at(0);
        pixel = qRgba(grey, grey, grey, a);
    }
    return kind.extra == EXTRASAMPLE_ASSOCALPHA ? pixel : qPremultiply(pixel);
}

// An associated alpha's colour is never above its alpha.
quint32 tiffSample(const TiffKind& kind, int x, int y, int s)
{
    const quint32 value = sampleAt(x, y, s, kind.bits);
    if (kind.extra != EXTRASAMPLE_ASSOCALPHA || s == kind.samples - 1)
        return value;
    const quint32 alpha = sampleAt(x, y, kind.samples - 1, kind.bits);
    const quint32 max = (1u << kind.bits) - 1;
    return value * alpha / max;
}

// A sample of plane or channel `s` at (x, y).
using SampleOf = std::function<quint32(int x, int y, int s)>;

// How a TIFF's samples are laid out: in strips of 7 rows (16 for JPEG) or
// in tiles of `tile` pixels square, together or in planes, and which way up
// its orientation tag says its rows are.
struct TiffStorage {
    bool tiled = false;
    bool planar = false;
    int tile = 16;
    quint16 orientation = ORIENTATION_TOPLEFT;
};

// YCbCr is written as RGB that libtiff's JPEG coder turns into YCbCr.
QByteArray tiff(QSize size, const TiffKind& kind, TiffStorage storage, SampleOf sampleOf = {})
{
    const bool tiled = storage.tiled, planar = storage.planar;
    const int tile = storage.tile;
    const bool jpeg = kind.photometric == PHOTOMETRIC_YCBCR;
    if (!sampleOf)
        sampleOf = [&kind](int x, int y, int s) { return tiffSample(kind, x, y, s); };
    const QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("kind.tif"));
    TIFF* tiff = TIFFOpen(QFile::encodeName(file).constData(), "w");
    if (!tiff)
        return {};
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, quint32(size.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, quint32(size.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, kind.bits);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, kind.samples);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, kind.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, storage.orientation);
    if (jpeg) {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
        TIFFSetField(tiff, TIFFTAG_YCBCRSUBSAMPLING, quint16(2), quint16(2));
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    } else {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, 1);
    }
    if (kind.extra != EXTRASAMPLE_UNSPECIFIED) {
        const quint16 extra = kind.extra;
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, quint16(1), &extra);
    }
    if (kind.photometric == PHOTOMETRIC_PALETTE) {
        std::vector<quint16> red(size_t(1) << kind.bits), green(red.size()), blue(red.size());
        for (size_t i = 0; i < red.size(); ++i) {
            red[i] = quint16(sampleAt(int(i), 0, 0, 16));
            green[i] = quint16(sampleAt(int(i), 0, 1, 16));
            blue[i] = quint16(sampleAt(int(i), 0, 2, 16));
        }
        TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    }
    const int planes = planar ? kind.samples : 1;
    const int perPixel = planar ? 1 : kind.samples;
    // One block (a strip of 7 rows, or a tile) of plane `plane` at `origin`.
    const auto block = [&](QPoint origin, QSize blockSize, int plane) {
        QByteArray bytes;
        for (int k = 0; k < blockSize.height(); ++k) {
            PackedRow row(blockSize.width() * perPixel, kind.bits);
            for (int i = 0; i < blockSize.width(); ++i) {
                for (int s = 0; s < perPixel; ++s) {
                    const int x = origin.x() + i;
                    const int y = origin.y() + k;
                    const bool inside = x < size.width() && y < size.height();
                    row.set(i * perPixel + s, inside ? sampleOf(x, y, planar ? plane : s) : 0);
                }
            }
            row.toMachineOrder();
            bytes.append(reinterpret_cast<const char*>(row.data()),
                         qsizetype((qint64(blockSize.width()) * perPixel * kind.bits + 7) / 8));
        }
        return bytes;
    };
    bool written = true;
    if (tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, quint32(tile));
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, quint32(tile));
        for (int plane = 0; plane < planes; ++plane) {
            for (int top = 0; top < size.height() && written; top += tile) {
                for (int left = 0; left < size.width() && written; left += tile) {
                    QByteArray bytes = block(QPoint(left, top), QSize(tile, tile), plane);
                    written = written
                        && TIFFWriteTile(tiff, bytes.data(), quint32(left), quint32(top), 0, quint16(plane)) >= 0;
                }
            }
        }
    } else {
        const int kStrip = jpeg ? 16 : 7;
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, quint32(kStrip));
        for (int plane = 0; plane < planes; ++plane) {
            for (int top = 0; top < size.height(); top += kStrip) {
                QByteArray bytes = block(QPoint(0, top), QSize(size.width(), std::min(kStrip, size.height() - top)), plane);
                const tstrip_t strip = TIFFComputeStrip(tiff, quint32(top), quint16(plane));
                written = written && TIFFWriteEncodedStrip(tiff, strip, bytes.data(), bytes.size()) >= 0;
            }
        }
    }
    TIFFClose(tiff);
    QFile read(file);
    return written && read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
}

} // namespace

QList<PictureKind> pictureKinds(QSize size)
{
    QList<PictureKind> kinds;
    const QList<PngKind> pngs {
        {"grey 1", PNG_COLOR_TYPE_GRAY, 1},
        {"grey 2", PNG_COLOR_TYPE_GRAY, 2},
        {"grey 4", PNG_COLOR_TYPE_GRAY, 4},
        {"grey 8", PNG_COLOR_TYPE_GRAY, 8},
        {"grey 16", PNG_COLOR_TYPE_GRAY, 16},
        {"grey+alpha 8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {"grey+alpha 16", PNG_COLOR_TYPE_GRAY_ALPHA, 16},
        {"palette 4", PNG_COLOR_TYPE_PALETTE, 4},
        {"palette 8", PNG_COLOR_TYPE_PALETTE, 8},
        {"palette 8 tRNS", PNG_COLOR_TYPE_PALETTE, 8, true},
        {"palette 2 tRNS", PNG_COLOR_TYPE_PALETTE, 2, true},
        {"RGB 8", PNG_COLOR_TYPE_RGB, 8},
        {"RGB 16", PNG_COLOR_TYPE_RGB, 16},
        {"grey 16 tRNS", PNG_COLOR_TYPE_GRAY, 16, true},
        {"RGB 16 tRNS", PNG_COLOR_TYPE_RGB, 16, true},
        {"RGBA 8", PNG_COLOR_TYPE_RGB_ALPHA, 8},
        {"RGBA 16", PNG_COLOR_TYPE_RGB_ALPHA, 16},
    };
    for (const PngKind& kind : pngs) {
        for (const bool interlaced : {false, true}) {
            QImage expected(size, QImage::Format_ARGB32);
            for (int y = 0; y < size.height(); ++y) {
                for (int x = 0; x < size.width(); ++x)
                    expected.setPixel(x, y, pngPixel(kind, x, y));
            }
            // The toolkit shifts the channels of 16-bit RGB with a
            // transparency chunk.
            const bool misread = kind.colourType == PNG_COLOR_TYPE_RGB && kind.bits == 16 && kind.transparency;
            kinds.append({QStringLiteral("PNG %1%2").arg(QLatin1String(kind.name), interlaced ? QStringLiteral(" interlaced") : QString()),
                          png(size, kind, interlaced), expected.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                          misread});
        }
    }
    const QList<TiffKind> tiffs {
        {"1-bit black is zero", PHOTOMETRIC_MINISBLACK, 1, 1},
        {"1-bit white is zero", PHOTOMETRIC_MINISWHITE, 1, 1},
        {"palette 8", PHOTOMETRIC_PALETTE, 8, 1},
        {"grey 8", PHOTOMETRIC_MINISBLACK, 8, 1},
        {"grey 16", PHOTOMETRIC_MINISBLACK, 16, 1},
        {"grey+alpha", PHOTOMETRIC_MINISBLACK, 8, 2, EXTRASAMPLE_UNASSALPHA},
        {"grey+associated alpha", PHOTOMETRIC_MINISBLACK, 8, 2, EXTRASAMPLE_ASSOCALPHA},
        {"RGB 8", PHOTOMETRIC_RGB, 8, 3},
        {"RGB 16", PHOTOMETRIC_RGB, 16, 3},
        {"RGBA", PHOTOMETRIC_RGB, 8, 4, EXTRASAMPLE_UNASSALPHA},
        {"RGBA associated", PHOTOMETRIC_RGB, 8, 4, EXTRASAMPLE_ASSOCALPHA},
        {"RGBA 16", PHOTOMETRIC_RGB, 16, 4, EXTRASAMPLE_UNASSALPHA},
        {"CMYK", PHOTOMETRIC_SEPARATED, 8, 4},
        {"YCbCr JPEG", PHOTOMETRIC_YCBCR, 8, 3},
    };
    for (const TiffKind& kind : tiffs) {
        const bool jpeg = kind.photometric == PHOTOMETRIC_YCBCR;
        QList<TiffStorage> storages;
        for (const bool tiled : {false, true}) {
            for (const bool planar : {false, true}) {
                if (!planar || (kind.samples > 1 && !jpeg))
                    storages.append({tiled, planar});
            }
        }
        // As libtiff's own tools tile a small picture: one tile larger than it.
        if (kind.photometric == PHOTOMETRIC_RGB && kind.extra == EXTRASAMPLE_UNASSALPHA)
            storages.append({true, false, 64});
        // Rows stored as they are whatever the tag says, read through
        // libtiff's conversion (by strips or tiles) or as samples.
        for (quint16 orientation = ORIENTATION_TOPRIGHT; orientation <= ORIENTATION_LEFTBOT; ++orientation) {
            if (jpeg || kind.photometric == PHOTOMETRIC_SEPARATED || QLatin1String(kind.name) == QLatin1String("RGB 8"))
                storages.append({false, false, 16, orientation});
            if (jpeg)
                storages.append({true, false, 16, orientation});
        }
        QImage expected(size, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x)
                expected.setPixel(x, y, tiffPixel(kind, x, y));
        }
        for (const TiffStorage& storage : std::as_const(storages)) {
            const bool largeTile = storage.tiled && (storage.tile > size.width() || storage.tile > size.height());
            QString name = QStringLiteral("TIFF %1 by %2%3")
                               .arg(QLatin1String(kind.name),
                                    storage.tiled ? QStringLiteral("tiles") : QStringLiteral("strips"),
                                    storage.planar ? QStringLiteral(", planar") : QString());
            if (largeTile)
                name += QStringLiteral(" larger than the picture");
            if (storage.orientation != ORIENTATION_TOPLEFT)
                name += QStringLiteral(", orientation %1").arg(storage.orientation);
            if (jpeg) {
                // Lossy: the pixels are those of the same file with no tag.
                TiffStorage upright = storage;
                upright.orientation = ORIENTATION_TOPLEFT;
                expected = QImage::fromData(tiff(size, kind, upright))
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            }
            // The toolkit drops a grey picture's alpha, misreads 16-bit
            // samples in planes and refuses a tile larger than the picture.
            const bool misread = (kind.photometric == PHOTOMETRIC_MINISBLACK && kind.samples == 2)
                || (kind.bits == 16 && storage.planar) || largeTile;
            kinds.append({name, tiff(size, kind, storage), expected, misread});
        }
    }
    return kinds;
}

QList<PictureKind> oversizedTiffHeaders()
{
    struct Header {
        const char* name;
        quint16 photometric;
        quint16 bits;
        quint16 samples;
        QSize size;
        // One tile of this side, or one strip.
        int tile = 0;
        bool planar = false;
        quint16 compression = COMPRESSION_ADOBE_DEFLATE;
    };
    const QSize strip(16384, 8200);
    const QList<Header> headers {
        {"Lab", PHOTOMETRIC_CIELAB, 8, 3, strip},
        {"YCbCr in JPEG", PHOTOMETRIC_YCBCR, 8, 3, strip, 0, false, COMPRESSION_JPEG},
        {"CMYK", PHOTOMETRIC_SEPARATED, 8, 4, strip},
        {"CMYK with alpha", PHOTOMETRIC_SEPARATED, 8, 5, strip},
        {"CMYK in planes", PHOTOMETRIC_SEPARATED, 8, 4, strip, 0, true},
        {"CMYK in one tile", PHOTOMETRIC_SEPARATED, 8, 4, QSize(8192, 4200), 8192},
        {"16-bit palette", PHOTOMETRIC_PALETTE, 16, 1, QSize(32768, 8200)},
        {"RGB of 2 bits", PHOTOMETRIC_RGB, 2, 3, QSize(65536, 16384)},
        {"RGB of 4 bits", PHOTOMETRIC_RGB, 4, 3, QSize(65536, 8200)},
        {"grey of 4 bits with alpha in planes", PHOTOMETRIC_MINISBLACK, 4, 2, QSize(16, 16), 16384, true},
    };
    QList<PictureKind> kinds;
    for (const Header& header : headers) {
        const QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("header.tif"));
        TIFF* tiff = TIFFOpen(QFile::encodeName(file).constData(), "w");
        if (!tiff)
            return {};
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, quint32(header.size.width()));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, quint32(header.size.height()));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, header.bits);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, header.samples);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, header.photometric);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, header.planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, header.compression);
        if (header.samples == 5 || header.samples == 2) {
            const quint16 extra = EXTRASAMPLE_UNASSALPHA;
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, quint16(1), &extra);
        }
        if (header.tile) {
            TIFFSetField(tiff, TIFFTAG_TILEWIDTH, quint32(header.tile));
            TIFFSetField(tiff, TIFFTAG_TILELENGTH, quint32(header.tile));
        } else {
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, quint32(header.size.height()));
        }
        // A byte of data for each block, where its pixels would take megabytes.
        char byte = 0;
        const quint32 blocks = header.tile ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
        for (quint32 block = 0; block < blocks; ++block)
            header.tile ? TIFFWriteRawTile(tiff, block, &byte, 1) : TIFFWriteRawStrip(tiff, block, &byte, 1);
        TIFFClose(tiff);
        QFile read(file);
        if (!read.open(QIODevice::ReadOnly))
            return {};
        kinds.append({QString::fromLatin1(header.name), read.readAll(), QImage()});
    }
    return kinds;
}

QByteArray halfClearTiledTiff(QSize size, int split)
{
    const TiffKind rgba {"", PHOTOMETRIC_RGB, 8, 4, EXTRASAMPLE_UNASSALPHA};
    return tiff(size, rgba, {true, false, 256}, [split](int x, int, int s) -> quint32 {
        const bool clear = x < split;
        return s == 3 ? (clear ? 128 : 255) : (clear ? 255 : 0);
    });
}

PixelDifference largestChannelDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return {255, {}};
    PixelDifference found;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            if (d > found.largest)
                found = {d, QPoint(x, y)};
        }
    }
    return found;
}

} // namespace ql::testing
