// PNG writer: a page large enough to be deflated in bands on several cores
// is still one PNG that pngcheck accepts and that PIL and Qt decode pixel for
// pixel, about as small as one stream deflated in one go; a tiny picture too.
#include "OutputTestSupport.h"

#include "app/output/BitmapWriters.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>
#include <zlib.h>

namespace ql::testing {
namespace {

// Noise in the top half, bands of colour below: real work for deflate in
// every band, and matches that reach back across band boundaries.
QImage pagePixels(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = y < size.height() / 2 && (x / 7 + y / 5) % 3 == 0 ? qRgb(int(seed >> 24), int(seed >> 16) & 255, 40)
                                                                     : qRgb((y / 13) % 256, (x / 17) % 256, 200);
        }
    }
    return image;
}

uLong singleStreamSize(const QImage& image)
{
    std::vector<uchar> rows;
    for (int y = 0; y < image.height(); ++y) {
        rows.push_back(0);
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            rows.insert(rows.end(), {uchar(qRed(line[x])), uchar(qGreen(line[x])), uchar(qBlue(line[x]))});
    }
    std::vector<uchar> out(compressBound(uLong(rows.size())));
    uLongf size = uLongf(out.size());
    compress2(out.data(), &size, rows.data(), uLong(rows.size()), Z_DEFAULT_COMPRESSION);
    return size;
}

// The pixels alone: a file read back also carries its colour space and resolution.
bool samePixels(const QImage& read, const QImage& written)
{
    const QImage rgb = read.convertToFormat(QImage::Format_RGB32);
    if (rgb.size() != written.size())
        return false;
    for (int y = 0; y < rgb.height(); ++y) {
        if (std::memcmp(rgb.constScanLine(y), written.constScanLine(y), size_t(rgb.width()) * 4) != 0)
            return false;
    }
    return true;
}

TEST(PngWriter, BandedPagesAreOneValidPngEveryReaderDecodesExactly)
{
    QTemporaryDir folder;
    for (const QSize size : {QSize(3, 2), QSize(1700, 1400)}) {
        SCOPED_TRACE(size.width());
        const QImage pixels = pagePixels(size);
        const Result<QByteArray> png = encodePNG(SheetBitmap {pixels, false, 300});
        ASSERT_TRUE(png.ok());
        const QString path = folder.filePath(QStringLiteral("page-%1.png").arg(size.width()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*png);
        file.close();

        const ProgramRun check = runProgram(QStringLiteral("pngcheck"), {path});
        EXPECT_EQ(check.exitCode, 0) << check.out.toStdString() << check.err.toStdString();
        EXPECT_TRUE(samePixels(QImage(path), pixels));
        EXPECT_TRUE(samePixels(decodedRGB(path), pixels));
        if (size.width() > 1000) {
            EXPECT_LT(double(png->size()), double(singleStreamSize(pixels)) * 1.01 + 1024);
        }
    }
}

} // namespace
} // namespace ql::testing
