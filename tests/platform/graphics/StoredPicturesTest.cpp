// Pictures as documents store them: whatever their decoding gives, their
// bytes go back unchanged, and pictures past the toolkit's memory limit are
// decoded all the same.
#include "platform/archive/ImageArchiveData.h"
#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/RowReading.h"
#include "platform/graphics/RowWriting.h"
#include "platform/graphics/SharedPictureDecoding.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "fuzz/ArchiveProbe.h"
#include "support/GreyPicture.h"
#include "support/PictureKinds.h"

#include <QBuffer>
#include <QImageWriter>
#include <gtest/gtest.h>

using namespace ql;

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, format).write(image);
    return bytes;
}

QImage filled(int width, int height, QImage::Format format, QColor colour)
{
    QImage image(width, height, format);
    image.fill(colour);
    return image;
}

// A PNG whose first data chunk is damaged: its header still gives the size.
QByteArray damagedPng()
{
    QByteArray png = encoded(filled(30, 20, QImage::Format_RGB32, Qt::blue), "png");
    const qsizetype data = png.indexOf("IDAT");
    png[data + 6] = char(png[data + 6] ^ 0xFF);
    return png;
}

} // namespace

TEST(StoredPictures, GoBackAsTheirOwnBytesWhetherOrNotTheyDecode)
{
    const QByteArray jpeg = encoded(filled(40, 30, QImage::Format_RGB32, Qt::red), "jpeg");
    const QList<QByteArray> stored {
        encoded(filled(40, 30, QImage::Format_RGB32, Qt::green), "png"), // opaque, yet PNG
        encoded(filled(40, 30, QImage::Format_RGB32, Qt::green), "tiff"),
        jpeg.left(jpeg.size() / 2), // cut short: decodes, grey below the cut
        damagedPng(),
        QByteArray("no picture at all"),
    };
    for (const QByteArray& bytes : stored) {
        const Image image = Image::fromStoredData(bytes);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(imageArchiveData(image).value(), bytes) << bytes.left(8).toHex().toStdString();
    }
    const Image damaged = Image::fromStoredData(damagedPng());
    EXPECT_TRUE(damaged.isUndecodable());
    EXPECT_EQ(damaged.size(), QSizeF(30, 20)) << "the header's size, at 72 dpi";

    // A picture record (as tiled fills and shape fills are stored) keeps an
    // undecodable representation instead of failing the whole document.
    KeyedArchiver archiver;
    archiver.encodeReference(QStringLiteral("fill"),
                             archiver.encodeRecord({QStringLiteral("NSImage"), QStringLiteral("NSObject")},
                                                   [&](KeyedArchiver& record) {
                                                       record.encodeSize(QStringLiteral("NSSize"), QSizeF(8, 6));
                                                       record.encodeObject(QStringLiteral("NSReps"),
                                                                           QVariantList {damagedPng()});
                                                   }));
    KeyedUnarchiver reader(probe::registry());
    ASSERT_TRUE(reader.open(archiver.finish().value()).ok());
    const Image fill = reader.decodeValueOfType<Image>(QStringLiteral("fill"));
    ASSERT_TRUE(reader.finish().ok());
    EXPECT_TRUE(fill.isUndecodable());
    EXPECT_EQ(fill.size(), QSizeF(8, 6));
    EXPECT_EQ(imageArchiveData(fill).value(), damagedPng());
}

TEST(StoredPictures, PicturesPastTheToolkitsLimitDecodeAndKeepTheirSize)
{
    // 36 megapixels: 144 MB decoded, past the toolkit's 128 MB.
    const QByteArray photo = encoded(filled(6000, 6000, QImage::Format_RGB32, QColor(200, 120, 40)), "jpeg");
    const Result<Image> decoded = Image::fromData(photo);
    ASSERT_TRUE(decoded.ok()) << decoded.error().message.toStdString();
    EXPECT_EQ(decoded->pixelSize(), QSize(6000, 6000));

    // Past what one picture may take decoded: read smaller, its size in
    // points the file's own.
    QImage huge = filled(9000, 8000, QImage::Format_RGB32, QColor(30, 90, 160));
    huge.setDotsPerMeterX(11811); // 300 dpi
    huge.setDotsPerMeterY(11811);
    const QByteArray png = encoded(huge, "png");
    huge = QImage();
    const Image big = Image::fromStoredData(png);
    ASSERT_FALSE(big.isUndecodable());
    EXPECT_LT(big.pixelSize().width(), 9000);
    EXPECT_NEAR(big.size().width(), 9000 * 72.0 / 300.0, 0.5);
    EXPECT_NEAR(big.size().height(), 8000 * 72.0 / 300.0, 0.5);
    EXPECT_EQ(big.bitmap().pixelColor(100, 100), QColor(30, 90, 160));
    EXPECT_EQ(imageArchiveData(big).value(), png) << "the full picture is what is saved";
}

TEST(StoredPictures, GreyPicturesDecodeAtTheirOwnDepthPastTheToolkitsLimitAndTheBudget)
{
    // 49 megapixels: 49 MB decoded, which the toolkit counts as 196 MB.
    const Result<Image> scan = Image::fromData(ql::testing::splitGreyPng(QSize(7000, 7000), 3500));
    ASSERT_TRUE(scan.ok()) << scan.error().message.toStdString();
    EXPECT_EQ(scan->pixelSize(), QSize(7000, 7000));

    // 400 MB decoded: read smaller, whether placed or stored, its size in
    // points its own; read for a small drawing, only as many pixels as that.
    const QByteArray png = ql::testing::splitGreyPng(QSize(20000, 20000), 10000);
    const Result<Image> placed = Image::fromData(png);
    ASSERT_TRUE(placed.ok()) << placed.error().message.toStdString();
    const Image stored = Image::fromStoredData(png);
    ASSERT_FALSE(stored.isUndecodable());
    const QImage small = stored.firstRepresentation().imageForPixels(QSize(640, 480));
    EXPECT_TRUE(small.width() >= 640 && small.height() >= 480 && small.width() < 16384) << small.width();
    EXPECT_EQ(small.pixelColor(small.width() / 2 - 1, 240), QColor(Qt::black));
    EXPECT_EQ(small.pixelColor(small.width() / 2, 240), QColor(Qt::white)) << "every pixel counted on its own side";
    for (const Image& big : {*placed, stored}) {
        EXPECT_EQ(big.size(), QSizeF(20000, 20000));
        const QImage pixels = big.bitmap();
        EXPECT_LT(pixels.width(), 20000);
        EXPECT_EQ(pixels.format(), QImage::Format_Grayscale8) << "no 32-bit copy";
        EXPECT_EQ(pixels.pixelColor(pixels.width() / 4, 10), QColor(Qt::black));
        EXPECT_EQ(pixels.pixelColor(3 * pixels.width() / 4, 10), QColor(Qt::white));
    }
    EXPECT_EQ(imageArchiveData(stored).value(), png);
}

TEST(StoredPictures, OneBitPaletteAndGreyPicturesOfAnySizeDecodeReducedWithinTheBudget)
{
    using ql::testing::SplitDepth;
    struct Case {
        SplitDepth depth;
        int side;
        bool tiff;
    };
    QList<Case> cases {{SplitDepth::Grey8, 24000, false}, {SplitDepth::Grey16, 17000, false}};
    for (const int side : {12000, 30000}) {
        for (const bool tiff : {false, true}) {
            cases.append({SplitDepth::OneBit, side, tiff});
            cases.append({SplitDepth::Palette8, side, tiff});
        }
    }
    cases.append({SplitDepth::Palette1, 12000, false});
    for (const Case& c : std::as_const(cases)) {
        SCOPED_TRACE(::testing::Message() << int(c.depth) << " " << c.side << (c.tiff ? " TIFF" : " PNG"));
        const QSize size(c.side, c.side);
        const QByteArray bytes = c.tiff ? ql::testing::splitTiff(size, c.side / 2, c.depth)
                                        : ql::testing::splitPng(size, c.side / 2, c.depth);
        const bool palette = c.depth == SplitDepth::Palette8 || c.depth == SplitDepth::Palette1;
        const QColor left = palette ? ql::testing::kSplitLeftColour : QColor(Qt::black);
        const QColor right = palette ? ql::testing::kSplitRightColour : QColor(Qt::white);
        const Result<Image> placed = Image::fromData(bytes);
        ASSERT_TRUE(placed.ok()) << placed.error().message.toStdString();
        QList<QImage> decoded {placed->bitmap()};
        if (c.depth == SplitDepth::OneBit && !c.tiff) {
            const Image stored = Image::fromStoredData(bytes);
            ASSERT_FALSE(stored.isUndecodable());
            EXPECT_EQ(stored.size(), QSizeF(size));
            decoded.append(stored.firstRepresentation().imageForPixels(QSize(600, 600)));
        }
        EXPECT_EQ(placed->size(), QSizeF(size));
        for (const QImage& pixels : std::as_const(decoded)) {
            // Rows of whole 32-bit words.
            EXPECT_LE(qint64(pixels.width()) * pixels.height() * pixels.depth() / 8, qint64(256) << 20);
            EXPECT_EQ(pixels.pixelColor(pixels.width() / 4, pixels.height() / 2), left);
            EXPECT_EQ(pixels.pixelColor(3 * pixels.width() / 4, pixels.height() / 2), right);
        }
    }

    // A header that promises 30,000 pixels square over a 10 × 10 body.
    const QByteArray cut = ql::testing::cutShortPng(QSize(30000, 30000));
    EXPECT_FALSE(Image::fromData(cut).ok());
    EXPECT_TRUE(Image::fromStoredData(cut).isUndecodable());
}

TEST(StoredPictures, AFlippedScanOfTheLargestSizeAFlipTakesIsDrawnReduced)
{
    // Rows of 2 GiB at most are flipped; a scan of 1, 8 or 16 bits flipped is
    // this, a grey JPEG written a row at a time: black left, white right.
    const QSize size(46340, 46340);
    std::vector<uchar> row(size_t(size.width()), 255);
    std::fill_n(row.begin(), size.width() / 2, 0);
    const std::optional<QByteArray> flipped = bitmaps::jpegFromRows(
        size, QImage::Format_Grayscale8, 90, bitmaps::JpegDensity {}, [&row](int) { return row.data(); });
    ASSERT_TRUE(flipped.has_value());
    const Image stored = Image::fromStoredData(*flipped);
    ASSERT_FALSE(stored.isUndecodable());
    EXPECT_EQ(stored.size(), QSizeF(size));
    const QImage shown = stored.firstRepresentation().imageForPixels(QSize(1000, 1000));
    ASSERT_FALSE(shown.isNull());
    EXPECT_GE(shown.width(), 1000);
    EXPECT_LE(shown.width(), size.width() / 8 + 1) << "decoded at an eighth, not whole";
    EXPECT_EQ(shown.format(), QImage::Format_Grayscale8);
    EXPECT_LE(qGray(shown.pixel(shown.width() / 4, shown.height() / 2)), 2);
    EXPECT_GE(qGray(shown.pixel(3 * shown.width() / 4, shown.height() / 2)), 253);

    // Read reduced by rows, a grey JPEG gives what the toolkit's reader gives.
    QImage ramp(1600, 1200, QImage::Format_Grayscale8);
    for (int y = 0; y < ramp.height(); ++y)
        for (int x = 0; x < ramp.width(); ++x)
            ramp.scanLine(y)[x] = uchar((x + y) * 255 / (ramp.width() + ramp.height()));
    const QByteArray jpeg = encoded(ramp, "jpeg");
    for (const QSize reducedTo : {QSize(400, 300), QSize(500, 375)}) {
        QBuffer buffer;
        buffer.setData(jpeg);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setScaledSize(reducedTo);
        EXPECT_LE(ql::testing::largestChannelDifference(bitmaps::readRowByRow(jpeg, reducedTo).convertToFormat(QImage::Format_RGB32),
                                                        reader.read().convertToFormat(QImage::Format_RGB32))
                      .largest,
                  2)
            << reducedTo.width();
    }
}

TEST(StoredPictures, OneScopeDecodesEachPictureOnceWhereverItsBytesLie)
{
    int decodes = 0;
    const auto decodeAs = [&decodes](QColor colour) {
        return [&decodes, colour] {
            ++decodes;
            return Image(filled(4, 4, QImage::Format_RGB32, colour));
        };
    };
    QByteArray buffer(64, 'a');
    const SharedPictureDecoding scope;
    const Image first = SharedPictureDecoding::decoded(buffer, decodeAs(Qt::red));
    const QByteArray copy = buffer; // the same bytes in the same place
    SharedPictureDecoding::decoded(copy, decodeAs(Qt::blue));
    SharedPictureDecoding::decoded(QByteArray(64, 'a'), decodeAs(Qt::blue)); // elsewhere, equal
    EXPECT_EQ(decodes, 1);

    // Bytes changed where they lie are other bytes: borrowed ones and owned
    // ones alike.
    buffer[0] = 'b';
    EXPECT_EQ(QColor(SharedPictureDecoding::decoded(buffer, decodeAs(Qt::green))
                         .bitmap().pixel(0, 0)), QColor(Qt::green));
    char raw[64];
    std::fill(std::begin(raw), std::end(raw), 'c');
    SharedPictureDecoding::decoded(QByteArray::fromRawData(raw, sizeof raw), decodeAs(Qt::red));
    raw[0] = 'd';
    const Image changed = SharedPictureDecoding::decoded(QByteArray::fromRawData(raw, sizeof raw), decodeAs(Qt::yellow));
    EXPECT_EQ(QColor(changed.bitmap().pixel(0, 0)), QColor(Qt::yellow));
    EXPECT_EQ(decodes, 4);
    EXPECT_EQ(QColor(first.bitmap().pixel(0, 0)), QColor(Qt::red));
}

TEST(StoredPictures, AProgressiveJpegClaimingAGiantSizeIsAPlaceholderNotGigabytes)
{
    QByteArray progressive;
    {
        QBuffer buffer(&progressive);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setProgressiveScanWrite(true);
        ASSERT_TRUE(writer.write(filled(64, 48, QImage::Format_RGB32, QColor(20, 160, 90))));
    }
    const qsizetype frame = progressive.indexOf("\xFF\xC2");
    ASSERT_GT(frame, 0) << "a progressive frame";
    // A progressive file of its own size decodes as any other.
    EXPECT_EQ(Image::fromData(progressive)->pixelSize(), QSize(64, 48));
    EXPECT_FALSE(Image::fromStoredData(progressive).isUndecodable());

    // Height and width follow the marker, its length and the precision:
    // 30000 square would keep 2.7 GB of coefficients while decoding.
    QByteArray giant = progressive;
    for (int at : {5, 7}) {
        giant[frame + at] = char(30000 >> 8);
        giant[frame + at + 1] = char(30000 & 0xFF);
    }
    const Image stored = Image::fromStoredData(giant);
    EXPECT_TRUE(stored.isUndecodable());
    EXPECT_EQ(stored.size(), QSizeF(30000, 30000)) << "the size it claims, kept for the frame";
    EXPECT_EQ(imageArchiveData(stored).value(), giant);
    const Result<Image> inserted = Image::fromData(giant);
    ASSERT_FALSE(inserted.ok());
    EXPECT_TRUE(inserted.error().message.contains(QStringLiteral("too large"))) << inserted.error().message.toStdString();
}

TEST(StoredPictures, PreviewsOfEveryKindReduceAsTheToolkitScalesThem)
{
    // Blocks of five pixels, reduced five times: whatever the filter, each
    // reduced pixel is its block's colour. Palette (with a clear entry),
    // 1-bit, straight alpha and 16 bits a channel, which the toolkit would
    // copy whole at 32 bits first; reduced a few rows at a time instead.
    QImage palette(300, 200, QImage::Format_Indexed8);
    palette.setColorTable({qRgba(220, 40, 30, 255), qRgba(30, 60, 220, 255), qRgba(0, 0, 0, 0), qRgba(250, 250, 250, 255)});
    for (int y = 0; y < palette.height(); ++y)
        for (int x = 0; x < palette.width(); ++x)
            palette.setPixel(x, y, uint((x / 5 + 2 * (y / 5)) % 4));
    QImage mono = palette.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    for (const QImage& picture : {palette, mono, palette.convertToFormat(QImage::Format_ARGB32),
                                  palette.convertToFormat(QImage::Format_RGBA64)}) {
        SCOPED_TRACE(int(picture.format()));
        const QImage reduced = bitmaps::reducedForPreview(picture, QSize(60, 40));
        const QImage scaled = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                  .scaled(60, 40, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        ASSERT_EQ(reduced.size(), QSize(60, 40));
        EXPECT_EQ(reduced.depth(), 32);
        EXPECT_LE(ql::testing::largestChannelDifference(reduced, scaled).largest, 1);
    }
}
