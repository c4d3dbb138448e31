#include "support/GreyPicture.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QList>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <vector>
#include <tiffio.h>
#include <zlib.h>

namespace ql::testing {

namespace {

// A PNG chunk: length, type, body and the check of type and body.
QByteArray chunk(const char* type, const QByteArray& body)
{
    const QByteArray typed = QByteArray(type, 4) + body;
    QByteArray length(4, '\0');
    qToBigEndian<quint32>(quint32(body.size()), length.data());
    QByteArray check(4, '\0');
    qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))),
                          check.data());
    return length + typed + check;
}

int bitsOf(SplitDepth depth)
{
    switch (depth) {
    case SplitDepth::Grey16:
        return 16;
    case SplitDepth::Rgba8:
        return 32;
    case SplitDepth::OneBit:
    case SplitDepth::Palette1:
        return 1;
    default:
        return 8;
    }
}

// One row of samples, packed: `left` left of the split, `right` from there.
QByteArray splitRow(int width, int split, int bits, quint32 left, quint32 right)
{
    QByteArray row((qint64(width) * bits + 7) / 8, '\0');
    auto* bytes = reinterpret_cast<uchar*>(row.data());
    for (int x = 0; x < width; ++x) {
        const quint32 value = x < split ? left : right;
        if (bits == 32) {
            qToBigEndian<quint32>(value, bytes + 4 * x);
        } else if (bits == 16) {
            qToBigEndian<quint16>(quint16(value), bytes + 2 * x);
        } else if (bits == 8) {
            bytes[x] = uchar(value);
        } else if (value) {
            bytes[x / 8] |= uchar(0x80 >> (x % 8));
        }
    }
    return row;
}

QByteArray paletteOf(int entries)
{
    QByteArray palette;
    for (const QColor& c : {kSplitLeftColour, kSplitRightColour})
        palette += QByteArray(1, char(c.red())) + char(c.green()) + char(c.blue());
    return palette + QByteArray(3 * (entries - 2), '\0');
}

} // namespace

namespace {

// The rows of every Adam7 pass, each row the same: where the pass's columns
// start and how far apart they lie, and the same for its rows.
struct Pass {
    int x0, dx, y0, dy;
};
constexpr Pass kAdam7[] {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                         {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};

QByteArray splitPngOf(QSize size, int split, SplitDepth depth, bool interlaced)
{
    const bool palette = depth == SplitDepth::Palette8 || depth == SplitDepth::Palette1;
    const bool rgba = depth == SplitDepth::Rgba8;
    const int bits = bitsOf(depth);
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(quint32(size.width()), header.data());
    qToBigEndian<quint32>(quint32(size.height()), header.data() + 4);
    header[8] = char(rgba ? 8 : bits);
    header[9] = char(palette ? 3 : rgba ? 6 : 0);
    header[12] = char(interlaced ? 1 : 0);
    const auto packed = [](const QColor& c, int alpha) {
        return quint32(c.red()) << 24 | quint32(c.green()) << 16 | quint32(c.blue()) << 8 | quint32(alpha);
    };
    const quint32 left = rgba ? packed(kSplitLeftColour, 255) : 0;
    const quint32 right = palette ? 1 : rgba ? packed(kSplitRightColour, 192) : (1u << bits) - 1;
    split = std::clamp(split, 0, size.width());
    // The rows of each pass: filter "none", then its samples.
    QList<std::pair<QByteArray, int>> passes;
    for (const Pass& pass : interlaced ? QList<Pass>(std::begin(kAdam7), std::end(kAdam7)) : QList<Pass> {{0, 1, 0, 1}}) {
        const int columns = size.width() > pass.x0 ? (size.width() - pass.x0 + pass.dx - 1) / pass.dx : 0;
        const int rows = size.height() > pass.y0 ? (size.height() - pass.y0 + pass.dy - 1) / pass.dy : 0;
        if (columns == 0 || rows == 0)
            continue;
        // Left of the split in the pass's own columns.
        const int leftColumns = std::clamp((split - pass.x0 + pass.dx - 1) / pass.dx, 0, columns);
        passes.append({QByteArray(1, '\0') + splitRow(columns, leftColumns, bits, left, right), rows});
    }
    z_stream stream {};
    deflateInit(&stream, 1);
    QByteArray data;
    QByteArray buffer(1 << 16, '\0');
    const auto deflateRow = [&](const QByteArray* row) {
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row ? row->constData() : nullptr));
        stream.avail_in = row ? uInt(row->size()) : 0;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = uInt(buffer.size());
            deflate(&stream, row ? Z_NO_FLUSH : Z_FINISH);
            data.append(buffer.constData(), buffer.size() - qsizetype(stream.avail_out));
        } while (stream.avail_out == 0);
    };
    for (const auto& [row, rows] : std::as_const(passes)) {
        for (int y = 0; y < rows; ++y)
            deflateRow(&row);
    }
    deflateRow(nullptr);
    deflateEnd(&stream);
    const QByteArray clear = interlaced ? chunk("tRNS", QByteArray(1, char(128))) : QByteArray();
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header)
        + (palette ? chunk("PLTE", paletteOf(2)) + clear : QByteArray()) + chunk("IDAT", data) + chunk("IEND", {});
}

} // namespace

QByteArray splitPng(QSize size, int split, SplitDepth depth)
{
    return splitPngOf(size, split, depth, false);
}

QByteArray interlacedClearSplitPng(QSize size, int split)
{
    return splitPngOf(size, split, SplitDepth::Palette8, true);
}

QByteArray splitGreyPng(QSize size, int split)
{
    return splitPng(size, split, SplitDepth::Grey8);
}

QByteArray splitTiff(QSize size, int split, SplitDepth depth)
{
    const QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("split.tif"));
    TIFF* tiff = TIFFOpen(QFile::encodeName(file).constData(), "w");
    if (!tiff)
        return {};
    const bool palette = depth == SplitDepth::Palette8 || depth == SplitDepth::Palette1;
    const bool cmyk = depth == SplitDepth::Cmyk;
    const int bits = bitsOf(depth);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, quint32(size.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, quint32(size.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, quint16(bits));
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, quint16(cmyk ? 4 : 1));
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, 1);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, quint32(palette ? 64 : size.height()));
    const quint32 top = (1u << bits) - 1;
    quint32 left = 0, right = 1;
    if (palette) {
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        std::vector<quint16> red(size_t(1) << bits), green(red.size()), blue(red.size());
        for (const auto& [index, c] : {std::pair(0, kSplitLeftColour), std::pair(1, kSplitRightColour)}) {
            red[size_t(index)] = quint16(c.red() * 257);
            green[size_t(index)] = quint16(c.green() * 257);
            blue[size_t(index)] = quint16(c.blue() * 257);
        }
        TIFFSetField(tiff, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    } else if (depth == SplitDepth::OneBit) {
        // Black is 1.
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
        left = 1;
        right = 0;
    } else if (cmyk) {
        // Full black ink, then none.
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_SEPARATED);
    } else {
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        left = 0;
        right = top;
    }
    split = std::clamp(split, 0, size.width());
    QByteArray row = splitRow(size.width(), split, bits, left, right);
    if (cmyk) {
        row = QByteArray(qsizetype(size.width()) * 4, '\0');
        for (int x = 0; x < split; ++x)
            row[4 * x + 3] = char(255);
    }
    if (bits == 16) {
        // libtiff takes samples in this machine's order.
        for (qsizetype i = 0; i + 1 < row.size(); i += 2)
            qToLittleEndian<quint16>(qFromBigEndian<quint16>(row.constData() + i), row.data() + i);
    }
    bool written = true;
    for (int y = 0; y < size.height() && written; ++y)
        written = TIFFWriteScanline(tiff, row.data(), quint32(y), 0) >= 0;
    TIFFClose(tiff);
    QFile read(file);
    return written && read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
}

QByteArray cutShortPng(QSize claimed)
{
    QImage pixels(10, 10, QImage::Format_RGB32);
    pixels.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, "PNG");
    // The header's body follows the signature, the chunk's length and type.
    QByteArray header = png.mid(16, 13);
    qToBigEndian<quint32>(quint32(claimed.width()), header.data());
    qToBigEndian<quint32>(quint32(claimed.height()), header.data() + 4);
    return png.left(8) + chunk("IHDR", header) + png.mid(33);
}

} // namespace ql::testing
