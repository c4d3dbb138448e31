// 3D text in what page-render writes: the picture of the scene fills the
// element's content in PNGs (drawn at the sheet's pixels) and in PDFs
// (through the 4000-pixel snapshot), read back by Qt and by poppler.
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

} // namespace
} // namespace ql::testing
