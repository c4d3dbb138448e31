// Elements as output draws them, probed on page-render's pictures: shadows
// where the settings put them and as dark as they say, turns, dashed
// borders, rounded corners only with a border, reflections, gradients.
#include "OutputTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"

#include <gtest/gtest.h>

namespace ql::testing {
namespace {

class ElementOutputTest : public ::testing::Test {
protected:
    // Page 1 of the document as a 72-dpi (or `dpi`) PNG, decoded by PIL.
    QImage render(Document& document, int dpi = 72)
    {
        save(document, folder.filePath(QStringLiteral("d.qvleaf")));
        const ProgramRun run = pageRender({folder.filePath(QStringLiteral("d.qvleaf")), folder.path(),
                                           QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--dpi"),
                                           QString::number(dpi), QStringLiteral("--range"), QStringLiteral("1"),
                                           QStringLiteral("1")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return decodedRGB(folder.filePath(QStringLiteral("d.png")));
    }

    QTemporaryDir folder;
};

// 300 dpi: pixels a point.
constexpr double k = 300.0 / 72.0;
int px(double points)
{
    return int(points * k);
}

// The first x (from the left) in row y whose pixel is darker than `level`.
double firstDark(const QImage& image, int y, int from, int to, int level = 250)
{
    for (int x = from; x < to; ++x) {
        if (image.pixelColor(x, y).red() < level)
            return x;
    }
    return -1;
}

double lastDarkRow(const QImage& image, int x, int from, int to, int level = 250)
{
    for (int y = to - 1; y >= from; --y) {
        if (image.pixelColor(x, y).red() < level)
            return y;
    }
    return -1;
}

TEST_F(ElementOutputTest, DefaultShadowsFallLeftAndDownAtTheirOpacity)
{
    // A white shape and a white picture on white: only their shadows show.
    Document document;
    ZVCanvasView* page = addPage(document);
    ZVPuttyView* shape = addFilledRect(*page, QRectF(100, 100, 100, 100), Qt::white);
    QImage white(100, 100, QImage::Format_RGB32);
    white.fill(Qt::white);
    ZVPuttyView* picture = ZVPuttyView::initWithImage(Image(white)).release();
    picture->setFrame(QRectF(300, 100, 100, 100).adjusted(-40, -40, 40, 40));
    page->addPuttyView(picture);
    for (ZVPuttyView* element : {shape, picture}) {
        element->setValueForKey(u"shadowEnabled", true);
        element->setValueForKey(u"shadowBlurRadius", 0.0);
    }
    const QImage image = render(document, 300);
    ASSERT_FALSE(image.isNull());
    for (const double left : {100.0, 300.0}) {
        // Left edge of the shadow: 4.33 points left of the content's.
        EXPECT_NEAR(firstDark(image, px(150), px(left - 20), px(left + 50)) / k, left - 4.33, 0.5);
        // Bottom edge: 2.5 points below the content's.
        EXPECT_NEAR((lastDarkRow(image, px(left + 50), px(150), px(250)) + 1) / k, 202.5, 0.5);
        // Nothing above or right of the content.
        EXPECT_EQ(lastDarkRow(image, px(left + 50), px(50), px(100)), -1);
    }
    // A shape's shadow at its opacity (0.5), a picture's at 0.8 of it.
    EXPECT_NEAR(image.pixelColor(px(98), px(150)).red(), 255 * 0.5, 4);
    EXPECT_NEAR(image.pixelColor(px(298), px(150)).red(), 255 * 0.6, 4);
}

TEST_F(ElementOutputTest, TurnsBordersCornersAndReflectionsAsTheSettingsSay)
{
    Document document;
    ZVCanvasView* page = addPage(document);
    // Turned 90° about its frame origin (100, 100): clockwise on the page.
    ZVPuttyView* turned = addFilledRect(*page, QRectF(140, 140, 200, 50), Qt::red);
    turned->setFrameRotation(90);
    // Rounded corners: square without a border, round with one.
    ZVPuttyView* square = addFilledRect(*page, QRectF(300, 400, 100, 100), Qt::red);
    square->setValueForKey(u"borderRadius", 12.0);
    ZVPuttyView* round = addFilledRect(*page, QRectF(450, 400, 100, 100), Qt::red);
    round->setValueForKey(u"borderRadius", 12.0);
    round->setValueForKey(u"borderEnabled", true);
    round->setValueForKey(u"borderWidth", 0.0);
    // A reflection 40 points tall under a red picture.
    QImage red(100, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    ZVPuttyView* mirrored = ZVPuttyView::initWithImage(Image(red)).release();
    mirrored->setFrame(QRectF(100, 600, 100, 50).adjusted(-40, -40, 40, 40));
    page->addPuttyView(mirrored);
    mirrored->setValueForKey(u"reflectionEnabled", true);
    mirrored->setValueForKey(u"reflectionHeight", 40.0);

    const QImage image = render(document);
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(isRed(image.pixelColor(35, 240)));   // the turned bar lies along y
    EXPECT_TRUE(isWhite(image.pixelColor(240, 165))); // and no longer along x
    EXPECT_TRUE(isRed(image.pixelColor(301, 401)));
    EXPECT_TRUE(isWhite(image.pixelColor(451, 401)));
    EXPECT_TRUE(isRed(image.pixelColor(500, 450)));
    const QColor reflected = image.pixelColor(150, 670);
    EXPECT_FALSE(isWhite(reflected));
    EXPECT_GT(reflected.red(), 200);
    EXPECT_TRUE(isWhite(image.pixelColor(150, 695)));
}

TEST_F(ElementOutputTest, DashedBordersRunAsTheirTableSays)
{
    Document document;
    ZVCanvasView* page = addPage(document);
    ZVPuttyView* framed = addFilledRect(*page, QRectF(100, 100, 400, 100), Qt::white);
    framed->setValueForKey(u"borderEnabled", true);
    framed->setValueForKey(u"borderWidth", 2.0);
    framed->setValueForKey(u"borderType", 4); // 5 on, 10 off
    const QImage image = render(document, 300);
    ASSERT_FALSE(image.isNull());
    // Runs of ink and gaps along the middle of the bottom edge.
    QList<int> runs;
    int y = -1;
    for (int row = px(190); row < px(205) && y < 0; ++row) {
        for (int x = px(200); x < px(400); ++x) {
            if (image.pixelColor(x, row).red() < 128) {
                y = row;
                break;
            }
        }
    }
    ASSERT_GE(y, 0);
    bool inked = image.pixelColor(px(200), y).red() < 128;
    int length = 0;
    for (int x = px(200); x < px(400); ++x) {
        const bool now = image.pixelColor(x, y).red() < 128;
        if (now != inked) {
            runs.append(inked ? length : -length);
            length = 0;
            inked = now;
        }
        ++length;
    }
    runs.removeFirst(); // cut by the window
    ASSERT_GE(runs.size(), 6);
    for (const int run : runs)
        EXPECT_NEAR(std::abs(run) / k, run > 0 ? 5.0 : 10.0, 0.75) << run;
}

TEST_F(ElementOutputTest, GradientBackgroundAtNinetyDegreesIsWhiteOnTop)
{
    Document document;
    ZVCanvasView* page = addPage(document);
    ZVBackgroundView* ground = page->backgroundView();
    ground->setBackgroundGradientColor1(QVariant::fromValue(Color::white()));
    ground->setBackgroundGradientColor2(QVariant::fromValue(Color::black()));
    ground->setBackgroundGradientAngle(90.0);
    ground->setBackgroundType(2);
    const QImage image = render(document);
    ASSERT_FALSE(image.isNull());
    EXPECT_GT(image.pixelColor(300, 5).red(), 240);
    EXPECT_LT(image.pixelColor(300, 786).red(), 15);
    EXPECT_NEAR(image.pixelColor(300, 396).red(), 128, 12);
}

TEST_F(ElementOutputTest, CustomRadialGradientSpreadsFromTheCentreWhateverTheAngle)
{
    Document document;
    ZVCanvasView* page = addPage(document);
    ZVBackgroundView* ground = page->backgroundView();
    // A custom gradient, set as the background picker sets it, at an angle
    // that a linear drawing would follow.
    ground->setBackgroundType(2);
    ground->setBackgroundGradientAngle(90.0);
    ground->setBackgroundGradientType(3);
    ground->setGradient(QVariant::fromValue(Gradient(QList<Color> {Color::deviceRgb(1, 0, 0), Color::deviceRgb(0, 0, 1)})));
    const QImage image = render(document);
    ASSERT_EQ(image.size(), QSize(612, 792));
    const auto reddish = [](QColor c) { return c.red() > 200 && c.blue() < 60; };
    const auto bluish = [](QColor c) { return c.blue() > 200 && c.red() < 60; };
    EXPECT_TRUE(reddish(image.pixelColor(306, 396))) << image.pixelColor(306, 396).name().toStdString();
    for (const QPoint corner : {QPoint(1, 1), QPoint(610, 1), QPoint(1, 790), QPoint(610, 790)})
        EXPECT_TRUE(bluish(image.pixelColor(corner))) << corner.x() << "," << corner.y();
}

TEST_F(ElementOutputTest, TiledPageBackgroundRepeatsFromThePageCorner)
{
    Document document;
    ZVCanvasView* page = addPage(document);
    QImage tile(36, 36, QImage::Format_RGB32);
    tile.fill(Qt::white);
    for (int y = 0; y < 18; ++y) {
        for (int x = 0; x < 18; ++x)
            tile.setPixelColor(x, y, Qt::red);
    }
    ZVBackgroundView* ground = page->backgroundView();
    // 72 dpi: a pixel a point, also once saved and read back.
    tile.setDotsPerMeterX(2835);
    tile.setDotsPerMeterY(2835);
    Image picture(tile);
    ground->setBackgroundImage(picture);
    ground->setBackgroundImageScale(1.0);
    ground->setBackgroundImageMode(3);
    ground->setBackgroundType(3);
    const QImage image = render(document);
    ASSERT_FALSE(image.isNull());
    for (const QPoint& cell : {QPoint(0, 0), QPoint(5, 3), QPoint(16, 21)}) {
        EXPECT_TRUE(isRed(image.pixelColor(cell.x() * 36 + 9, cell.y() * 36 + 9))) << cell.x() << "," << cell.y();
        EXPECT_TRUE(isWhite(image.pixelColor(cell.x() * 36 + 27, cell.y() * 36 + 27)));
    }
}

} // namespace
} // namespace ql::testing
