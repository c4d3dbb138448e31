// EPS pictures from a document: Ghostscript touches no file but the
// picture's own, identical pictures convert once, and a document's pictures
// that never finish cost a bounded time and show placeholders.
#include "EpsTestSupport.h"

#include "app/categories/ImageBitmap.h"
#include "app/categories/VectorRendering.h"
#include "app/output/ImageData.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QBuffer>
#include <QPdfWriter>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::testing;

namespace {

Image epsImage(const QByteArray& bytes)
{
    // A copy of its own, as two pictures read from a file have.
    return Image(ImageRep::eps(QByteArray(bytes.constData(), bytes.size()), QSizeF(10, 10)));
}

// Off the placeholder's cross.
QColor drawnAt(const QImage& page, int x)
{
    return page.pixelColor(x + 5, 2);
}

// Each picture drawn 10 × 10 side by side, as output draws them.
QImage drawnSideBySide(const QList<Image>& pictures)
{
    QImage page(10 * int(pictures.size()), 10, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    for (int i = 0; i < pictures.size(); ++i)
        drawImagePart(painter, pictures[i], QRectF(10 * i, 0, 10, 10), QRectF(0, 0, 10, 10));
    return page;
}

} // namespace

TEST(EpsPictures, GhostscriptReadsAndWritesNoFileOfTheTemporaryFolder)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    QTemporaryDir shared;
    QTemporaryDir out;
    const EnvironmentChange temporary("TMPDIR", QFile::encodeName(shared.path()));
    QFile planted(shared.filePath(QStringLiteral("planted.ps")));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("1 0 0 setrgbcolor\n");
    planted.close();
    // Blue unless the planted file's red gets onto the page.
    const QByteArray eps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n0 0 1 setrgbcolor\n"
                           "mark { (" + QFile::encodeName(planted.fileName()) + ") run } stopped pop cleartomark\n"
                           "mark { (" + QFile::encodeName(shared.filePath(QStringLiteral("planted-by-eps")))
        + ") (w) file dup (x) writestring closefile } stopped pop cleartomark\n"
          "0 0 10 10 rectfill showpage\n";
    const Result<QImage> rendered = renderEps(eps, QSizeF(10, 10), QSize(10, 10));
    ASSERT_TRUE(rendered.ok()) << rendered.error().message.toStdString();
    EXPECT_EQ(QColor(rendered->pixel(5, 5)), QColor(Qt::blue));

    // pdftops, the other converter of a document's data, leaves nothing either.
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        painter.fillRect(QRectF(0, 0, 50, 50), Qt::red);
    }
    ASSERT_TRUE(convertPDFToEPS(pdf, out.filePath(QStringLiteral("page.eps"))).ok());
    EXPECT_EQ(QDir(shared.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList {QStringLiteral("planted.ps")});
}

TEST(EpsPictures, IdenticalBytesConvertOnceForEveryDrawing)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    const CountingGhostscript gs;
    const QByteArray red = solidEps("1 0 0", 1);
    const QImage page = drawnSideBySide({epsImage(red), epsImage(red), epsImage(red)});
    for (int x : {0, 10, 20})
        EXPECT_EQ(drawnAt(page, x), QColor(Qt::red)) << x;
    drawnSideBySide({epsImage(red)});
    EXPECT_EQ(bitmapOf(epsImage(red), 2.0).pixelColor(15, 15), QColor(Qt::red));
    EXPECT_EQ(gs.runs(), 1);
}

TEST(EpsPictures, ADocumentsEndlessPicturesTakeItsBudgetAndShowPlaceholders)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    const CountingGhostscript gs;
    const ConversionLimits limits({std::chrono::milliseconds(400), std::chrono::milliseconds(1000)});
    const KeptWarnings warnings;
    const QObject document;
    const QObject other;
    QImage page;
    {
        const PictureConversionScope scope(&document, nullptr);
        QList<Image> pictures;
        for (int i = 0; i < 6; ++i)
            pictures.append(epsImage(endlessEps(i)));
        // A picture that fails at once shows a placeholder too, never nothing.
        pictures.append(epsImage(brokenEps()));
        page = drawnSideBySide(pictures);
        // Drawn again, a picture that ran out of time is not tried again.
        drawnSideBySide({pictures.first()});
    }
    for (int x = 0; x < 70; x += 10)
        EXPECT_TRUE(isPlaceholder(drawnAt(page, x))) << x;
    // 400 + 400 + 200 ms; then the broken one gets no time either.
    EXPECT_EQ(gs.runs(), 3);
    EXPECT_EQ(warnings.count(QStringLiteral("conversion time")), 1) << warnings.all().toStdString();
    EXPECT_EQ(warnings.count(QStringLiteral("did not finish")), 3);

    // Another document has time of its own.
    const PictureConversionScope scope(&other, nullptr);
    EXPECT_EQ(drawnAt(drawnSideBySide({epsImage(solidEps("0 0 1", 2))}), 0), QColor(Qt::blue));
}
