// Pictures mirrored through a temporary file of rows, or a band of rows at
// a time where none can be written: every layout the row reader takes, and
// JPEG, mirrors to its own pixels on both roads, and comes back at the size
// in points its file gives.
#include "platform/graphics/Image.h"
#include "platform/graphics/RowMirroring.h"
#include "support/EnvironmentChange.h"
#include "support/PictureKinds.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QImageReader>
#include <gtest/gtest.h>

using namespace ql;

namespace {

QImage decoded(const QByteArray& data, QByteArray* format = nullptr)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (format)
        *format = reader.format();
    return reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

} // namespace

TEST(RowMirroring, EveryLayoutMirrorsToItsOwnPixelsInBandsOfAFewRows)
{
    const QSize size(36, 30);
    QList<ql::testing::PictureKind> kinds = ql::testing::pictureKinds(size);
    QImage photo(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 7, y * 8, 255 - x * 3));
    }
    const QByteArray jpeg = encoded(photo, "JPEG");
    kinds.append({QStringLiteral("JPEG"), jpeg, decoded(jpeg)});
    // Seven rows a band at 32 bits a pixel, more at fewer: two bands or more.
    const qint64 band = qint64(size.width()) * 4 * 7;
    // Through a temporary file of rows, and where none can be made, by bands.
    const QTemporaryDir folder;
    for (const QString& temporary : {folder.path(), folder.filePath(QStringLiteral("missing"))}) {
        const ql::testing::EnvironmentChange tmp("TMPDIR", temporary.toStdString());
        for (const ql::testing::PictureKind& kind : std::as_const(kinds)) {
            SCOPED_TRACE(kind.name.toStdString() + " in " + temporary.toStdString());
            for (const auto& [across, down] : {std::pair(true, false), std::pair(false, true), std::pair(true, true)}) {
                const std::optional<QByteArray> mirrored =
                    bitmaps::mirroredPicture(kind.data, across, down, bitmaps::MirroredStorage::Lossless, band);
                ASSERT_TRUE(mirrored.has_value()) << across << down;
                EXPECT_LE(ql::testing::largestChannelDifference(decoded(*mirrored), kind.expected.mirrored(across, down)).largest, 1) << across << down;
            }
        }
        EXPECT_TRUE(QDir(folder.path()).isEmpty()) << "no file of rows is left";
    }
    // More than eight bands would read the file more than eight times.
    EXPECT_FALSE(bitmaps::mirroredPicture(kinds.first().data, true, false, bitmaps::MirroredStorage::Lossless, 36 * 3));
}

TEST(RowMirroring, AChangedPictureIsStoredAsADocumentStoresItAtItsOwnSizeInPoints)
{
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(QColor(30, 60, 220));
    struct Case {
        int dotsPerMeter;
        const char* format;
        const char* stored;
    };
    // 2835 dots a metre (72.009 dpi) is no whole number of dots an inch or a
    // centimetre a JPEG could state: such a picture stays PNG.
    for (const Case& c : {Case {0, "JPEG", "jpeg"}, Case {11811, "PNG", "jpeg"}, Case {2835, "PNG", "png"},
                          Case {5000, "PNG", "jpeg"}, Case {2835, "JPEG", "jpeg"}}) {
        SCOPED_TRACE(::testing::Message() << c.dotsPerMeter << " " << c.format);
        if (c.dotsPerMeter) {
            photo.setDotsPerMeterX(c.dotsPerMeter);
            photo.setDotsPerMeterY(c.dotsPerMeter);
        }
        const QByteArray file = encoded(photo, c.format);
        const std::optional<QByteArray> mirrored =
            bitmaps::mirroredPicture(file, true, false, bitmaps::MirroredStorage::AsChanged);
        ASSERT_TRUE(mirrored.has_value());
        QByteArray format;
        decoded(*mirrored, &format);
        EXPECT_EQ(format, c.stored);
        EXPECT_EQ(Image::fromStoredData(*mirrored).size(), Image::fromStoredData(file).size());
    }
    // With alpha, or asked to lose nothing: PNG.
    QImage clear(20, 10, QImage::Format_ARGB32);
    clear.fill(QColor(200, 10, 10, 100));
    QByteArray format;
    decoded(*bitmaps::mirroredPicture(encoded(clear, "PNG"), false, true, bitmaps::MirroredStorage::AsChanged), &format);
    EXPECT_EQ(format, "png");
    decoded(*bitmaps::mirroredPicture(encoded(photo, "JPEG"), false, true, bitmaps::MirroredStorage::Lossless), &format);
    EXPECT_EQ(format, "png");
}
