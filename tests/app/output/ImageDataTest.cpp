// Pictures as data and PDFs as PostScript, checked with independent readers.
#include "OutputTestSupport.h"

#include "app/output/ImageData.h"
#include "app/output/PdfOutput.h"
#include "canvas/painting/BackgroundPainter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <gtest/gtest.h>

namespace ql::testing {
namespace {

QByteArray smallPdf()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QSize(200, 100)));
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, 500, 500), Qt::red);
    painter.drawText(QPointF(100, 200), QStringLiteral("Hello"));
    painter.end();
    return bytes;
}

TEST(ImageData, KindsFollowTheFirstOriginalAndThePictureIsLeftAsItIs)
{
    QString kind = QStringLiteral("untouched");
    EXPECT_TRUE(dataWithImage(Image(), &kind).isNull());
    EXPECT_EQ(kind, QStringLiteral("untouched"));

    const QByteArray pdf = smallPdf();
    Image vector(ImageRep::pdf(pdf, QSizeF(200, 100)));
    const QByteArray stored = dataWithImage(vector, &kind);
    EXPECT_EQ(kind, QStringLiteral("pdfImage"));
    EXPECT_LE(stored.size(), pdf.size());
    EXPECT_TRUE(stored.startsWith("%PDF"));

    const QByteArray eps("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n");
    Image encapsulated(ImageRep::eps(eps, QSizeF(10, 10)));
    EXPECT_EQ(dataWithImage(encapsulated, &kind), eps);
    EXPECT_EQ(kind, QStringLiteral("epsImage"));

    // 300 × 300 pixels shown at 150 points: stored at its pixels, shown as before.
    QImage pixels(300, 300, QImage::Format_RGB32);
    pixels.fill(Qt::blue);
    Image shown(pixels);
    shown.setSize(QSizeF(150, 150));
    const QByteArray tiff = dataWithImage(shown, &kind);
    EXPECT_EQ(kind, QStringLiteral("tiffImage"));
    EXPECT_EQ(shown.size(), QSizeF(150, 150));
    QBuffer tiffBuffer;
    tiffBuffer.setData(tiff);
    QImageReader reader(&tiffBuffer, "tiff");
    EXPECT_EQ(reader.size(), QSize(300, 300));
    EXPECT_TRUE(imageForCanvas(ZVCanvasView(), 300).isNull());
}

TEST(ImageData, PostScriptComesFromAPrivateFolderAndFailuresAreErrors)
{
    QTemporaryDir folder;
    const QString before = QDir::current().entryList().join(QLatin1Char(','));
    const QString path = folder.filePath(QStringLiteral("page.ps"));
    ASSERT_TRUE(convertPDFToEPS(smallPdf(), path).ok());
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%!PS"));
    EXPECT_EQ(QDir::current().entryList().join(QLatin1Char(',')), before);

    const QString broken = folder.filePath(QStringLiteral("broken.ps"));
    EXPECT_FALSE(convertPDFToEPS("not a PDF at all", broken).ok());
    EXPECT_FALSE(QFile::exists(broken));
}

TEST(ImageData, ProportionalAndTiledPicturesLieWhereTheirModesSay)
{
    // Proportional: a 200 × 100 picture in a 100 × 100 square, and a 100 × 200 one.
    QImage wide(200, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QImage tall(100, 200, QImage::Format_RGB32);
    tall.fill(Qt::red);
    for (const auto& [picture, expected] :
         {std::pair {wide, QRect(0, 25, 100, 50)}, std::pair {tall, QRect(25, 0, 50, 100)}}) {
        QImage canvas(100, 100, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        BackgroundPainter::paintImage(painter, Image(picture), 1, QRectF(0, 0, 100, 100), 1.0);
        painter.end();
        EXPECT_TRUE(isRed(canvas.pixelColor(expected.topLeft() + QPoint(1, 1))));
        EXPECT_TRUE(isRed(canvas.pixelColor(expected.bottomRight() - QPoint(1, 1))));
        EXPECT_TRUE(isWhite(canvas.pixelColor(expected.topLeft() - QPoint(expected.left() ? 2 : 0, expected.top() ? 2 : 0))));
    }
    // Tiles: a 30 × 30 tile with a dark corner pixel, over 100 × 60 from (5, 5).
    QImage tile(30, 30, QImage::Format_RGB32);
    tile.fill(Qt::white);
    tile.setPixelColor(0, 0, Qt::black);
    QImage canvas(120, 80, QImage::Format_RGB32);
    canvas.fill(Qt::gray);
    QPainter painter(&canvas);
    BackgroundPainter::paintImage(painter, Image(tile), 3, QRectF(5, 5, 100, 60), 1.0);
    painter.end();
    int corners = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 120; ++x)
            corners += canvas.pixelColor(x, y) == QColor(Qt::black);
    }
    EXPECT_EQ(corners, 4 * 2);
    EXPECT_EQ(canvas.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_EQ(canvas.pixelColor(106, 30), QColor(Qt::gray)); // clipped to the rectangle
}

} // namespace
} // namespace ql::testing
