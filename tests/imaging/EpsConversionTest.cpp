// EPS pictures from a document: Ghostscript touches no file but the
// picture's own, identical pictures convert once, and endless pictures cost
// their document a bounded time and show placeholders.
#include "support/EpsTestSupport.h"

#include "imaging/ImageBitmap.h"
#include "imaging/VectorRendering.h"
#include "platform/graphics/PictureConversionScope.h"

#include <gtest/gtest.h>

using namespace ql;
using namespace ql::testing;

namespace {

// Each picture drawn 10 × 10 side by side, as output draws them, and the
// colour of each (off the placeholder's cross).
QList<QColor> drawnSideBySide(const QList<QByteArray>& pictures)
{
    QImage page(10 * int(pictures.size()), 10, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    QPainter painter(&page);
    QList<QColor> colours;
    for (int i = 0; i < pictures.size(); ++i) {
        // A copy of its own, as pictures read from a file have.
        const Image picture(ImageRep::eps(QByteArray(pictures[i].constData(), pictures[i].size()), QSizeF(10, 10)));
        drawImagePart(painter, picture, QRectF(10 * i, 0, 10, 10), QRectF(0, 0, 10, 10));
        colours.append(page.pixelColor(10 * i + 5, 2));
    }
    return colours;
}

} // namespace

TEST(EpsPictures, GhostscriptReadsAndWritesNoFileOfTheTemporaryFolder)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    QTemporaryDir shared;
    const EnvironmentChange temporary("TMPDIR", QFile::encodeName(shared.path()).toStdString());
    QFile planted(shared.filePath(QStringLiteral("planted.ps")));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("1 0 0 setrgbcolor\n");
    planted.close();
    // Blue unless the planted file's red gets onto the page.
    const QByteArray written = QFile::encodeName(shared.filePath(QStringLiteral("planted-by-eps")));
    const Result<QImage> rendered = renderEps(
        eps("0 0 1 setrgbcolor mark { (" + QFile::encodeName(planted.fileName()) + ") run } stopped pop cleartomark\n"
            "mark { (" + written + ") (w) file dup (x) writestring closefile } stopped pop cleartomark\n"
            "0 0 10 10 rectfill showpage"),
        QSizeF(10, 10), QSize(10, 10));
    ASSERT_TRUE(rendered.ok()) << rendered.error().message.toStdString();
    EXPECT_EQ(QColor(rendered->pixel(5, 5)), QColor(Qt::blue));
    EXPECT_EQ(QDir(shared.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList {QStringLiteral("planted.ps")});
}

TEST(EpsPictures, IdenticalBytesConvertOnceForEveryDrawing)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    const CountingGhostscript gs;
    const QByteArray red = solidEps("1 0 0", 1);
    EXPECT_EQ(drawnSideBySide({red, red, red}), QList<QColor>(3, Qt::red));
    drawnSideBySide({red});
    const Image picture(ImageRep::eps(red, QSizeF(10, 10)));
    EXPECT_EQ(bitmapOf(picture, 2.0).pixelColor(15, 15), QColor(Qt::red));
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
    QList<QColor> colours;
    {
        const PictureConversionScope scope(&document, nullptr);
        QList<QByteArray> pictures;
        for (int i = 0; i < 6; ++i)
            pictures.append(endlessEps(i));
        colours = drawnSideBySide(pictures);
        // Drawn again, a picture that ran out of time is not tried again.
        drawnSideBySide({pictures.first()});
    }
    for (const QColor& colour : std::as_const(colours))
        EXPECT_TRUE(isPlaceholder(colour)) << colour.name().toStdString();
    // 400 + 400 + 200 ms; then nothing more gets time. A busy machine whose
    // kills and clean-ups overrun the first conversions leaves less for later
    // ones, down to none after the first.
    EXPECT_GE(gs.runs(), 1);
    EXPECT_LE(gs.runs(), 3);
    EXPECT_EQ(warnings.count(QStringLiteral("conversion time")), 1) << warnings.all();
    EXPECT_EQ(warnings.count(QStringLiteral("did not finish")), gs.runs());

    // Another document has time of its own (enough for a busy machine).
    const ConversionLimits generous({std::chrono::seconds(20), std::chrono::seconds(60)});
    const QObject other;
    const PictureConversionScope scope(&other, nullptr);
    EXPECT_EQ(drawnSideBySide({solidEps("0 0 1", 2)}), QList<QColor> {Qt::blue});
}
