// Shape elements as output draws them: a saved document written by
// page-render as 72-dpi PNG files and as a PDF, read back by independent
// programs (PIL decodes the pictures, poppler lists the PDF's pictures and
// rasterises it), and the same checks run on both.
#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFDrawable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include "ShapeTestSupport.h"
#include "support/DecodedPicture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

QImage decoded(const QString& path)
{
    return ql::testing::decodedRGB(path);
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

ZVVectorView* place(ZVCanvasView& page, const ql::BezierPath& outline, const QString& name, QRectF content)
{
    ZVPuttyView* element = ZVPuttyView::initWithVector(outline, name).release();
    element->setFrame(content.adjusted(-40, -40, 40, 40));
    page.addPuttyView(element);
    return qobject_cast<ZVVectorView*>(element->contentView());
}

ql::BezierPath line(QPointF from, QPointF to)
{
    ql::BezierPath path;
    path.moveTo(from);
    path.lineTo(to);
    return path;
}

bool isRed(QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
bool isBlue(QColor c) { return c.blue() > 200 && c.red() < 60 && c.green() < 60; }
bool isDark(QColor c) { return c.red() + c.green() + c.blue() < 3 * 100; }
bool isWhite(QColor c) { return c.red() > 245 && c.green() > 245 && c.blue() > 245; }
// Any ink at all, for thin anti-aliased lines.
bool isInked(QColor c) { return c.red() + c.green() + c.blue() < 3 * 220; }

// Inked pixels farther than `off` from the line a-b, within `reach` of either end.
int darkBesideTheEnds(const QImage& picture, QPointF a, QPointF b, double off, double reach)
{
    const QLineF axis(a, b);
    const QPointF unit = (b - a) / axis.length();
    int count = 0;
    const QRect area = QRectF(a, b).normalized().adjusted(-reach, -reach, reach, reach).toAlignedRect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!isInked(picture.pixelColor(x, y)))
                continue;
            const QPointF p(x + 0.5, y + 0.5);
            const double along = QPointF::dotProduct(p - a, unit);
            const double across = std::abs(unit.x() * (p.y() - a.y()) - unit.y() * (p.x() - a.x()));
            const bool nearAnEnd = along < reach || along > axis.length() - reach;
            if (across > off && nearAnEnd)
                ++count;
        }
    }
    return count;
}

// Three pages of shapes and the checks each must pass, whoever drew it.
struct ShapePages {
    ShapePages()
    {
        for (int i = 0; i < 3; ++i) {
            pages.append(document.newPage());
            document.contentPages().append(pages.last());
        }
        // Page 1: a red circle with a 4-point outline, a dashed line, and a
        // diagonal with and without arrowheads.
        ZVVectorView* circle = place(*pages[0], ql::BezierPath::ovalInRect(QRectF(0, 0, 10, 10)),
                                     QStringLiteral("circle"), QRectF(60, 60, 200, 200));
        circle->backgroundView()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(1, 0, 0)));
        circle->backgroundView()->setBackgroundType(1);
        circle->setStrokeWidth(4);
        ZVVectorView* dashed = place(*pages[0], line(QPointF(0, 0), QPointF(100, 0)), QStringLiteral("line"),
                                     QRectF(60, 360, 302, 40));
        dashed->setStrokeWidth(2);
        dashed->setStrokeLineCap(2);
        dashed->setStrokeType(3);
        for (const double x : {300.0, 60.0}) {
            ZVVectorView* diagonal = place(*pages[0], line(QPointF(0, 0), QPointF(100, 100)),
                                           QStringLiteral("custom2"), QRectF(x, 460, 201, 201));
            diagonal->setArrowEnabled(x == 60.0);
        }
        // Page 2: stars filled with a red and blue picture, the second
        // moved by a fill offset of (10, 0).
        for (const double x : {60.0, 330.0}) {
            ZVVectorView* star = place(*pages[1], ql::BezierPath::rect(QRectF(0, 0, 1, 1)), QStringLiteral("star"),
                                       QRectF(x, 60, 200, 200));
            star->setStrokeEnabled(false);
            star->backgroundView()->setBackgroundImage(shapetest::twoColours(200));
            star->backgroundView()->setBackgroundImageScale(1.0);
            star->backgroundView()->setBackgroundType(3);
            if (x > 100)
                star->setBackgroundOffset(QVariant(QPointF(10, 0)));
        }
        // Page 3: text along a circle whose outline is hidden.
        ZVVectorView* ring = place(*pages[2], ql::BezierPath::ovalInRect(QRectF(0, 0, 10, 10)), QStringLiteral("circle"),
                                   QRectF(100, 100, 300, 300));
        ring->setText(QStringLiteral("TEXT ALONG A CIRCLE WITH ITS OUTLINE HIDDEN"));
        ring->setTextFontSize(20);
        ring->setTextPlacement(2);
        ring->setTextHideShape(true);
        ring->setTextEnabled(true);
        ringCentre = QPointF(250, 250);
        ringRadius = ring->shape()->size().width() / 2;
    }

    void check(const QList<QImage>& raster) const
    {
        ASSERT_EQ(raster.size(), 3);
        for (const QImage& page : raster)
            ASSERT_EQ(page.size(), QSize(612, 792));
        const QImage& first = raster[0];
        EXPECT_TRUE(isRed(first.pixelColor(160, 160)));
        EXPECT_TRUE(isRed(first.pixelColor(100, 160)));
        const double r = (200 - 4) / 2.0;
        for (const QPointF& onOutline : {QPointF(160 + r, 160), QPointF(160, 160 - r), QPointF(160 - r, 160)})
            EXPECT_TRUE(isDark(first.pixelColor(int(onOutline.x()), int(onOutline.y())))) << onOutline.x();
        EXPECT_TRUE(isWhite(first.pixelColor(160 + int(r) + 5, 160)));

        // Dashes of 5 and gaps of 5 along the line at y = 380.
        QList<int> gaps;
        int run = 0;
        bool inGap = false;
        for (int x = 70; x < 350; ++x) {
            const bool dark = isDark(first.pixelColor(x, 380));
            if (!dark) {
                ++run;
                inGap = true;
            } else if (inGap) {
                gaps.append(run);
                run = 0;
                inGap = false;
            }
        }
        ASSERT_GE(gaps.size(), 20);
        for (qsizetype i = 1; i < gaps.size(); ++i)
            EXPECT_NEAR(gaps[i], 5, 1) << i;

        // Heads reach beyond the 1-point line near both ends only with arrows.
        EXPECT_GT(darkBesideTheEnds(first, QPointF(60.5, 460.5), QPointF(260.5, 660.5), 3.0, 12.0), 5);
        EXPECT_GT(darkBesideTheEnds(first, QPointF(260.5, 660.5), QPointF(60.5, 460.5), 3.0, 12.0), 5);
        EXPECT_EQ(darkBesideTheEnds(first, QPointF(300.5, 460.5), QPointF(500.5, 660.5), 3.0, 12.0), 0);

        // The picture fills the star, red on the left, blue on the right, and
        // nothing lies outside it; the offset moves the picture by 20.
        const QImage& second = raster[1];
        EXPECT_TRUE(isRed(second.pixelColor(150, 160)));
        EXPECT_TRUE(isBlue(second.pixelColor(170, 160)));
        for (const QPoint& corner : {QPoint(65, 65), QPoint(255, 65), QPoint(65, 255), QPoint(255, 255), QPoint(30, 30)})
            EXPECT_TRUE(isWhite(second.pixelColor(corner))) << corner.x() << "," << corner.y();
        EXPECT_TRUE(isRed(second.pixelColor(430 + 15, 160))) << "the boundary moved from 430 to 450";
        EXPECT_TRUE(isBlue(second.pixelColor(430 + 25, 160)));

        // Glyphs along part of the circle, and no outline where they are not.
        const QImage& third = raster[2];
        int withInk = 0;
        int longestEmpty = 0;
        int empty = 0;
        for (int degree = 0; degree < 720; ++degree) {
            const double a = (degree % 360) * M_PI / 180;
            bool ink = false;
            for (double d = -12; d <= 12; d += 1) {
                const QPointF p = ringCentre + QPointF(std::cos(a), std::sin(a)) * (ringRadius + d);
                ink = ink || isDark(third.pixelColor(int(p.x()), int(p.y())));
            }
            withInk += ink && degree < 360;
            empty = ink ? 0 : empty + 1;
            longestEmpty = std::max(longestEmpty, empty);
        }
        EXPECT_GT(withInk, 60) << "the text's glyphs";
        EXPECT_GT(longestEmpty, 90) << "a long stretch of the circle without outline";
    }

    ql::Document document;
    QList<ZVCanvasView*> pages;
    QPointF ringCentre;
    double ringRadius = 0;
};

} // namespace

// The sample saved and written by page-render into `dir`.
void renderWithPageRender(ShapePages& sample, const QTemporaryDir& dir, const QStringList& options)
{
    const ql::Result<QByteArray> data = sample.document.dataOfType(ql::kDesktopDocumentType);
    ASSERT_TRUE(data.ok());
    QFile file(dir.filePath(QStringLiteral("shapes.qvleaf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*data);
    file.close();
    run(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/page-render"), QStringList {file.fileName(), dir.path()} + options);
}

TEST(VectorOutput, PngPagesShowFillsStrokesDashesArrowsPicturesAndText)
{
    ShapePages sample;
    QTemporaryDir dir;
    renderWithPageRender(sample, dir, {QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--dpi"),
                                       QStringLiteral("72")});
    QList<QImage> raster;
    for (int i = 0; i < sample.pages.size(); ++i)
        raster.append(decoded(dir.filePath(QStringLiteral("shapes_%1.png").arg(i + 1))));
    sample.check(raster);
}

TEST(VectorOutput, PdfKeepsShapesAsVectorsWithOnlyTheFillPicture)
{
    ShapePages sample;
    QTemporaryDir dir;
    renderWithPageRender(sample, dir, {});
    const QString pdf = dir.filePath(QStringLiteral("shapes.pdf"));
    // Every picture in the file is the fill's 200 × 200 one, on the stars' page.
    const QStringList rows = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(rows.size(), 2);
    int pictures = 0;
    for (const QString& row : rows.mid(2)) {
        const QStringList columns = row.split(' ', Qt::SkipEmptyParts);
        ASSERT_GE(columns.size(), 6);
        if (columns[2] == QLatin1String("smask"))
            continue;
        ++pictures;
        EXPECT_EQ(columns[0], QStringLiteral("2")) << "pictures on the stars' page only";
        EXPECT_EQ(columns[3], QStringLiteral("200"));
        EXPECT_EQ(columns[4], QStringLiteral("200"));
    }
    EXPECT_GE(pictures, 1);

    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-png"), pdf,
                                     dir.filePath(QStringLiteral("page"))});
    QList<QImage> raster;
    const QStringList files = QDir(dir.path()).entryList({QStringLiteral("page-*.png")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        raster.append(decoded(dir.filePath(file)));
    sample.check(raster);
}
