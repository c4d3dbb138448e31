// Tiled fills read on real output: the window at 100 %, page-render's PNGs
// at 72, 300 and 600 dpi and its PDF as poppler rasterises it. Tiles meet
// without seams at full strength everywhere, and all of these agree.
#include "WindowTestSupport.h"
#include "../output/OutputTestSupport.h"

#include "content/ZVBackgroundView.h"
#include "shapes/ZVVectorView.h"

#include <QDir>
#include <functional>

using namespace ql;
using namespace ql::testing;

namespace {

// 20 × 20 pixels at 72 dpi, so 20 points at scale 1: `top` over `bottom`.
// Saved losslessly (it has an alpha channel), so that pixels can be compared.
Image tilePicture(QColor top, QColor bottom)
{
    QImage tile(20, 20, QImage::Format_ARGB32);
    tile.fill(top);
    for (int y = 10; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            tile.setPixelColor(x, y, bottom);
    }
    tile.setDotsPerMeterX(2835);
    tile.setDotsPerMeterY(2835);
    return Image(tile);
}

// One picture of the page and where a page point lies on it.
struct Output {
    QString name;
    QImage image;
    std::function<QPoint(QPointF)> pixel;

    QColor at(QPointF point) const
    {
        EXPECT_TRUE(image.rect().contains(pixel(point))) << name.toStdString();
        return image.pixelColor(pixel(point));
    }
    // The largest red value over the pixels of a page rectangle.
    int mostRed(const QRectF& area) const
    {
        const QRect pixels(pixel(area.topLeft()), pixel(area.bottomRight()));
        int most = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                most = std::max(most, qRed(image.pixel(x, y)));
        }
        return most;
    }
};

bool near(QColor c, QColor wanted)
{
    return std::max({std::abs(c.red() - wanted.red()), std::abs(c.green() - wanted.green()),
                     std::abs(c.blue() - wanted.blue())}) <= 3;
}

// Loosely, as PDF pictures are kept as JPEG.
bool greenish(QColor c)
{
    return c.green() > 120 && c.red() < 40 && c.blue() < 40;
}
bool bluish(QColor c)
{
    return c.blue() > 120 && c.red() < 40 && c.green() < 40;
}

class TiledFill : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        page->setValueForKey(u"pageSize", 0);
        page->setValueForKey(u"pageWidth", 500);
        page->setValueForKey(u"pageHeight", 300);
        zoomTo(1.0);
    }

    Output windowAt100()
    {
        QCoreApplication::processEvents();
        DeferredCalls::instance().flush();
        // The whole window as it is put on screen: the canvas then paints
        // at an offset within it, which a grab of the canvas alone hides.
        ZVScrollView* view = window->scrollView();
        QWidget* top = view->window();
        return {QStringLiteral("window"), top->grab().toImage().convertToFormat(QImage::Format_RGB32),
                [view, top](QPointF p) { return view->viewport()->mapTo(top, view->mapFromPage(p).toPoint()); }};
    }

    // The window, page-render's PNG at 72, 300 and 600 dpi, and its PDF
    // rasterised by poppler at the same resolutions.
    QList<Output> outputs()
    {
        QList<Output> all {windowAt100()};
        const QString file = path(QStringLiteral("tiles.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        const auto scaled = [](double k) { return [k](QPointF p) { return QPoint(int(p.x() * k), int(p.y() * k)); }; };
        for (const int dpi : {72, 300, 600}) {
            const QString out = path(QStringLiteral("png%1").arg(dpi));
            QDir().mkpath(out);
            const ProgramRun run = pageRender({file, out, QStringLiteral("--format"), QStringLiteral("png"),
                                               QStringLiteral("--dpi"), QString::number(dpi), QStringLiteral("--name"),
                                               QStringLiteral("p")});
            EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
            all.append({QStringLiteral("PNG at %1 dpi").arg(dpi), decodedRGB(out + QStringLiteral("/p.png")),
                        scaled(dpi / 72.0)});
        }
        const ProgramRun run = pageRender({file, folder.path(), QStringLiteral("--format"), QStringLiteral("pdf"),
                                           QStringLiteral("--name"), QStringLiteral("p")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        for (const int dpi : {72, 300, 600}) {
            all.append({QStringLiteral("PDF at %1 dpi").arg(dpi), pdfPage(path(QStringLiteral("p.pdf")), 1, dpi),
                        scaled(dpi / 72.0)});
        }
        return all;
    }

    void tile(ZVBackgroundView& background, const Image& picture, double scale)
    {
        background.setBackgroundImage(picture);
        background.setBackgroundImageMode(ZVBackgroundView::Tiled);
        background.setBackgroundType(ZVBackgroundView::ImageFill);
        background.setBackgroundImageScale(scale);
    }
};

} // namespace

TEST_F(TiledFill, ShapeFillsAreSeamlessAndAtFullStrength)
{
    // Solid tiles on whole points and with their edges between pixels at
    // every resolution; a tile of two colours shows where tiles lie.
    const QColor green(0, 200, 0);
    const QColor blue(0, 0, 200);
    const QList<QPointF> corners {QPointF(20, 20), QPointF(180.5, 20.25), QPointF(340, 20)};
    for (const QPointF corner : corners) {
        ZVPuttyView* element = add(ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)),
                                                               QStringLiteral("square")),
                                   QRectF(corner, QSizeF(140, 260)).adjusted(-40, -40, 40, 40));
        auto* shape = qobject_cast<ZVVectorView*>(element->contentView());
        shape->setStrokeWidth(0);
        tile(*shape->backgroundView(), tilePicture(green, corner == corners.last() ? blue : green), 1.0);
    }
    for (const Output& output : outputs()) {
        ASSERT_FALSE(output.image.isNull()) << output.name.toStdString();
        // The green has no red: a seam or a tile at half strength lets the
        // white page through.
        for (const QPointF corner : {corners[0], corners[1]}) {
            EXPECT_LE(output.mostRed(QRectF(corner, QSizeF(140, 260)).adjusted(2, 2, -2, -2)), 3)
                << output.name.toStdString() << " at " << corner.x();
            const QColor middle = output.at(corner + QPointF(70, 130));
            EXPECT_TRUE(near(middle, green)) << output.name.toStdString() << ": " << middle.name().toStdString();
        }
        // Tiles from the shape's corner, green over blue.
        for (const QPointF cell : {QPointF(0, 0), QPointF(3, 5), QPointF(6, 12)}) {
            const QPointF middle = corners.last() + cell * 20 + QPointF(10, 5);
            EXPECT_TRUE(greenish(output.at(middle)) && bluish(output.at(middle + QPointF(0, 10))))
                << output.name.toStdString() << " in tile " << cell.x() << "," << cell.y();
        }
    }
}

TEST_F(TiledFill, PageBackgroundsAreSeamlessAndTheWindowAgreesWithOutput)
{
    const QColor green(0, 160, 0);
    tile(*page->backgroundView(), tilePicture(green, green), 1.0);
    for (const Output& output : outputs()) {
        ASSERT_FALSE(output.image.isNull()) << output.name.toStdString();
        EXPECT_LE(output.mostRed(QRectF(0, 0, 500, 300).adjusted(1, 1, -1, -1)), 2) << output.name.toStdString();
        EXPECT_TRUE(near(output.at(QPointF(250, 150)), green)) << output.name.toStdString();
    }
    // The PDF holds the fill as one pattern of one picture.
    const QByteArray pdf = fileContents(path(QStringLiteral("p.pdf")));
    EXPECT_EQ(pdf.count("/PatternType 1"), 1);
    EXPECT_EQ(pdf.count("/Subtype /Image"), 1);

    // Half its size, set while the window shows the page: thousands of
    // tiles of 10 points, green over blue, in the window as in every output.
    page->setValueForKey(u"pageWidth", 640);
    page->setValueForKey(u"pageHeight", 660);
    tile(*page->backgroundView(), tilePicture(green, QColor(0, 0, 160)), 1.0);
    windowAt100();
    page->backgroundView()->setBackgroundImageScale(0.5);
    for (const Output& output : outputs()) {
        for (const QPointF cell : {QPointF(0, 0), QPointF(17, 11), QPointF(49, 29), QPointF(63, 65)}) {
            const QPointF middle = cell * 10 + QPointF(5, 2.5);
            EXPECT_TRUE(greenish(output.at(middle)) && bluish(output.at(middle + QPointF(0, 5))))
                << output.name.toStdString() << " in tile " << cell.x() << "," << cell.y();
        }
    }
}
