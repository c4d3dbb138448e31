// The row-by-row reader against the toolkit's: every layout it takes gives
// the same pixels by both roads, and pictures past the toolkit's limit are
// read as the toolkit would read them.
#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/RowReading.h"
#include "support/DecodedPicture.h"
#include "support/GreyPicture.h"
#include "support/PictureKinds.h"

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ql;

namespace {

QImage premultiplied(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Each pixel the average of the `fx` × `fy` pixels it covers, premultiplied.
QImage boxAveraged(const QImage& image, int fx, int fy)
{
    QImage result(image.width() / fx, image.height() / fy, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < result.height(); ++y) {
        for (int x = 0; x < result.width(); ++x) {
            int sums[4] {};
            for (int j = 0; j < fy; ++j) {
                for (int i = 0; i < fx; ++i) {
                    const QRgb p = image.pixel(x * fx + i, y * fy + j);
                    sums[0] += qRed(p), sums[1] += qGreen(p), sums[2] += qBlue(p), sums[3] += qAlpha(p);
                }
            }
            const int n = fx * fy;
            result.setPixel(x, y, qRgba((sums[0] + n / 2) / n, (sums[1] + n / 2) / n, (sums[2] + n / 2) / n,
                                        (sums[3] + n / 2) / n));
        }
    }
    return result;
}

// Premultiplied, within one level in every channel.
bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1
        && std::abs(qBlue(a) - qBlue(b)) <= 1 && std::abs(qAlpha(a) - qAlpha(b)) <= 1;
}

} // namespace

TEST(RowReading, EveryLayoutGivesTheToolkitsPixelsWholeAndReduced)
{
    const QSize size(36, 30);
    const QList<ql::testing::PictureKind> kinds = ql::testing::pictureKinds(size);
    ASSERT_GE(kinds.size(), 100);
    const QTemporaryDir folder;
    const auto expectNear = [](const QImage& got, const QImage& expected, const char* what) {
        ASSERT_EQ(got.size(), expected.size()) << what;
        const auto [off, at] = ql::testing::largestChannelDifference(got, expected);
        EXPECT_LE(off, 1) << what << " at " << at.x() << ", " << at.y() << ": " << std::hex << got.pixel(at)
                          << " for " << expected.pixel(at);
    };
    for (const ql::testing::PictureKind& kind : kinds) {
        SCOPED_TRACE(kind.name.toStdString());
        ASSERT_FALSE(kind.data.isEmpty());
        const QImage whole = premultiplied(bitmaps::readRowByRow(kind.data, size));
        expectNear(whole, kind.expected, "by rows");
        // A half and a third: interlaced pictures are summed pass by pass.
        expectNear(premultiplied(bitmaps::readRowByRow(kind.data, QSize(18, 10))), boxAveraged(kind.expected, 2, 3),
                   "by rows, reduced");

        // The toolkit's road, where the program takes it; the layouts it
        // gets wrong are read by rows whatever their size, and a third
        // reader says which road is right.
        const bool byRows = bitmaps::pictureReadByRows(kind.data).has_value();
        EXPECT_EQ(byRows, kind.misreadByToolkit);
        // PIL reads no grey TIFF with associated alpha, and takes grey and
        // alpha in planes for other samples.
        const bool pilReads = !(kind.name.startsWith(QLatin1String("TIFF grey+"))
                                && (kind.name.contains(QLatin1String("associated"))
                                    || kind.name.contains(QLatin1String("planar"))));
        if (byRows && pilReads) {
            const QString path = folder.filePath(QStringLiteral("kind"));
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kind.data) == kind.data.size());
            file.close();
            // PIL keeps the top byte of a 16-bit sample, where we round.
            const QImage third = premultiplied(ql::testing::decodedRGBA(path));
            const auto [off, at] = ql::testing::largestChannelDifference(third, kind.expected);
            EXPECT_LE(off, 2) << "PIL at " << at.x() << ", " << at.y();
        } else if (!byRows) {
            QBuffer buffer;
            buffer.setData(kind.data);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer);
            expectNear(premultiplied(reader.read()), whole, "the toolkit's reader");
        }
        for (const auto& [road, image] : {std::pair("placed", Image::fromData(kind.data)),
                                          std::pair("as a thumbnail", Image::thumbnailFromData(kind.data, size))}) {
            EXPECT_TRUE(image.ok()) << road;
            if (image.ok())
                expectNear(premultiplied(image->bitmap()), kind.expected, road);
        }
    }
}

TEST(RowReading, ATiledTiffWithUnassociatedAlphaPastTheToolkitsLimitIsNotDarkened)
{
    // 35.8 megapixels, past what the toolkit's reader takes: three quarters
    // white at half alpha, the rest black.
    const QSize size(6400, 5600);
    const QByteArray tiff = ql::testing::halfClearTiledTiff(size, 4800);
    ASSERT_TRUE(bitmaps::pictureReadByRows(tiff));
    const Result<Image> placed = Image::fromData(tiff);
    ASSERT_TRUE(placed.ok()) << placed.error().message.toStdString();
    const QImage pixels = premultiplied(placed->bitmap());
    ASSERT_EQ(pixels.size(), size);
    EXPECT_PRED2(near, pixels.pixel(100, 100), qRgba(128, 128, 128, 128)) << "white at half alpha";
    EXPECT_PRED2(near, pixels.pixel(6000, 5000), qRgba(0, 0, 0, 255));
}

TEST(RowReading, AnInterlacedPictureWithinTheBudgetIsDecodedWhole)
{
    // 49 megapixels, 196 MB decoded: past the toolkit's limit, within the
    // budget.
    const QSize size(7000, 7000);
    const QByteArray png = ql::testing::interlacedClearSplitPng(size, 3500);
    ASSERT_TRUE(bitmaps::pictureReadByRows(png));
    const Result<Image> placed = Image::fromData(png);
    ASSERT_TRUE(placed.ok()) << placed.error().message.toStdString();
    EXPECT_EQ(placed->pixelSize(), size);
    const QImage pixels = premultiplied(placed->bitmap());
    const QColor left = ql::testing::kSplitLeftColour, right = ql::testing::kSplitRightColour;
    EXPECT_PRED2(near, pixels.pixel(3499, 3000), qRgba(left.red() / 2, left.green() / 2, left.blue() / 2, 128))
        << "the left colour at half alpha";
    EXPECT_PRED2(near, pixels.pixel(3500, 3001), right.rgba());
}

TEST(RowReading, APictureWhoseStripOrTileWouldPassTheBudgetEndsAtOnceAndOneStripIsReadARowAtATime)
{
    for (const ql::testing::PictureKind& kind : ql::testing::oversizedTiffHeaders()) {
        SCOPED_TRACE(kind.name.toStdString());
        ASSERT_FALSE(kind.data.isEmpty());
        EXPECT_LT(kind.data.size(), 1024);
        EXPECT_TRUE(bitmaps::readRowByRow(kind.data, QSize(64, 64)).isNull());
        const Result<Image> placed = Image::fromData(kind.data);
        ASSERT_FALSE(placed.ok());
        EXPECT_TRUE(Image::isUndecodable(placed.error())) << placed.error().message.toStdString();
        EXPECT_TRUE(Image::fromStoredData(kind.data).isUndecodable());
    }

    // CMYK in one deflated strip, which libtiff would convert whole (269 MB).
    const QSize size(16384, 4100);
    const QByteArray cmyk = ql::testing::splitTiff(size, 4096, ql::testing::SplitDepth::Cmyk);
    const Result<Image> placed = Image::fromData(cmyk);
    ASSERT_TRUE(placed.ok()) << placed.error().message.toStdString();
    EXPECT_EQ(placed->size(), QSizeF(size));
    const QImage pixels = placed->bitmap();
    EXPECT_LE(pixels.sizeInBytes(), bitmaps::kLargestDecodedBytes);
    EXPECT_EQ(pixels.pixel(pixels.width() / 8, 10), qRgb(0, 0, 0));
    EXPECT_EQ(pixels.pixel(pixels.width() / 2, pixels.height() - 1), qRgb(255, 255, 255));

    // One pixel wide, a row takes 4 bytes decoded whatever its depth.
    for (const auto& [tall, format] : {std::pair(QSize(1, 300'000'000), QImage::Format_Grayscale8),
                                       std::pair(QSize(1, 150'000'000), QImage::Format_Grayscale16),
                                       std::pair(QSize(300'000'000, 2), QImage::Format_Grayscale8)}) {
        const QSize within = bitmaps::decodedSizeWithin(tall, format);
        const qint64 bytes = qint64(QImage(within.width(), 1, format).bytesPerLine()) * within.height();
        EXPECT_LE(bytes, bitmaps::kLargestDecodedBytes) << within.width() << " × " << within.height();
        EXPECT_GT(bytes, bitmaps::kLargestDecodedBytes / 2) << within.width() << " × " << within.height();
    }
}
