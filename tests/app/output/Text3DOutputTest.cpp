// 3D text in what page-render writes: the picture of the scene fills the
// element's content in PNGs (drawn at the sheet's pixels) and in PDFs
// (a picture at 300 pixels an inch of the element, at most 4000 pixels
// wide), read back by Qt and by poppler.
#include "OutputTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"

#include <gtest/gtest.h>

namespace ql::testing {
namespace {

// Pixels of about pure blue, the front colour of new 3D text.
int bluePixels(const QImage& picture, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            count += c.blue() > 200 && c.red() < 60 && c.green() < 60;
        }
    }
    return count;
}

TEST(Text3DOutput, PngAndPdfPagesShowTheFrontColourInTheContent)
{
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    Document document;
    ZVCanvasView* page = addPage(document);
    ZVPuttyView* element = ZVPuttyView::initWith3DText(QStringLiteral("Double click to rotate me.")).release();
    element->setFrame(QRectF(56, 296, 500, 200));
    page->addPuttyView(element);
    const QString path = folder.filePath(QStringLiteral("Deep.qvleaf"));
    save(document, path);

    const QRect content(96, 336, 420, 120);
    const QRect above(0, 0, 612, 290);
    ProgramRun run = pageRender({path, out, QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--dpi"),
                                 QStringLiteral("72")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage png(out + QStringLiteral("/Deep.png"));
    ASSERT_EQ(png.size(), QSize(612, 792));
    EXPECT_GT(bluePixels(png, content), 1000);
    EXPECT_EQ(bluePixels(png, above), 0);

    run = pageRender({path, out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage pdf = pdfPage(out + QStringLiteral("/Deep.pdf"), 1, 72);
    ASSERT_EQ(pdf.size(), QSize(612, 792));
    EXPECT_GT(bluePixels(pdf, content), 1000);
    EXPECT_EQ(bluePixels(pdf, above), 0);
}

// The sizes of the pictures (not their masks) in a PDF, as poppler lists them.
QList<QSize> pdfPictureSizes(const QString& pdf)
{
    QList<QSize> sizes;
    for (const QStringList& fields : pdfImageRows(pdf)) {
        if (fields.size() > 4 && fields.at(2) == QLatin1String("image"))
            sizes.append(QSize(fields.at(3).toInt(), fields.at(4).toInt()));
    }
    return sizes;
}

TEST(Text3DOutput, PdfPicturesFollowTheElementsSizeUpToTheSnapshotWidth)
{
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    Document document;
    ZVCanvasView* page = addPage(document, QSizeF(1400, 800));
    // Contents of 100 × 40 and 1200 × 300 points.
    for (const QRectF content : {QRectF(50, 50, 100, 40), QRectF(100, 300, 1200, 300)}) {
        ZVPuttyView* element = ZVPuttyView::initWith3DText(QStringLiteral("Sized")).release();
        element->setFrame(content.adjusted(-40, -40, 40, 40));
        page->addPuttyView(element);
    }
    const QString path = folder.filePath(QStringLiteral("Sized.qvleaf"));
    save(document, path);
    const ProgramRun run = pageRender({path, out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // 300 pixels an inch: a small element gets a small picture, a large one
    // the 4000-pixel-wide picture it always had.
    EXPECT_EQ(pdfPictureSizes(out + QStringLiteral("/Sized.pdf")), QList<QSize>({QSize(417, 167), QSize(4000, 1000)}));
}

} // namespace
} // namespace ql::testing
