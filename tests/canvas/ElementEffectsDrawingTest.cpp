// Effects as the canvas draws them, probed on the shared painter's offscreen
// pictures: where the drop shadow falls, dashes in points at any width,
// rounded corners, the fading reflection.
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "platform/graphics/Color.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

using Target = ql::ElementPainter::Target;

// A picture element of one colour whose content lies at `content`.
std::unique_ptr<ZVPuttyView> pictureElement(const QRectF& content, QColor colour)
{
    QImage fill(int(content.width()), int(content.height()), QImage::Format_RGB32);
    fill.fill(colour);
    auto element = ZVPuttyView::initWithImage(ql::Image(fill));
    element->setFrame(content.adjusted(-40, -40, 40, 40));
    return element;
}

// The element drawn on white, `scale` pixels a point.
QImage drawn(const ZVPuttyView& element, double scale = 1.0, Target target = Target::Screen, QSize points = {300, 300})
{
    QImage image(points * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    ql::ElementPainter::paint(painter, element, target);
    return image;
}

int red(const QImage& image, double x, double y)
{
    return image.pixelColor(int(x), int(y)).red();
}

// Lengths (in pixels) of the dark and light runs along a row, the cut first
// and last runs left out; dark runs positive.
QList<int> runs(const QImage& image, int y, int from, int to)
{
    QList<int> found;
    bool dark = image.pixelColor(from, y).red() < 128;
    int length = 0;
    for (int x = from; x < to; ++x) {
        const bool now = image.pixelColor(x, y).red() < 128;
        if (now != dark) {
            found.append(dark ? length : -length);
            dark = now;
            length = 0;
        }
        ++length;
    }
    if (!found.isEmpty())
        found.removeFirst();
    return found;
}

} // namespace

TEST(ElementEffectsDrawing, TheShadowFallsWhereItsAngleSays)
{
    // White on white: only the shadow shows.
    auto element = pictureElement(QRectF(100, 100, 100, 100), Qt::white);
    element->setValueForKey(u"shadowEnabled", true);
    element->setValueForKey(u"shadowBlurRadius", 0.0);
    for (const Target target : {Target::Screen, Target::Output}) {
        // 240°: left and down.
        QImage image = drawn(*element, 1.0, target);
        EXPECT_LT(red(image, 97, 150), 200) << "left";
        EXPECT_LT(red(image, 150, 201), 200) << "below";
        EXPECT_EQ(red(image, 150, 98), 255) << "nothing above";
        EXPECT_EQ(red(image, 202, 150), 255) << "nothing right";
    }
    // On screen at its opacity, in output at 0.8 of it.
    EXPECT_NEAR(red(drawn(*element), 97, 150), 255 * (1 - 0.5 * 0.998), 3);
    EXPECT_NEAR(red(drawn(*element, 1.0, Target::Output), 97, 150), 255 * (1 - 0.4 * 0.998), 3);

    // 0°: straight up.
    element->setValueForKey(u"shadowAngle", 0.0);
    const QImage up = drawn(*element);
    EXPECT_LT(red(up, 150, 97), 200);
    EXPECT_EQ(red(up, 150, 202), 255);
    EXPECT_EQ(red(up, 98, 150), 255);

    // A content cut at rounded corners casts none on screen.
    element->setValueForKey(u"borderEnabled", true);
    element->setValueForKey(u"borderWidth", 0.0);
    element->setValueForKey(u"borderRadius", 6.0);
    EXPECT_EQ(red(drawn(*element), 150, 97), 255);
}

TEST(ElementEffectsDrawing, DashesAreInPointsAtEveryWidth)
{
    auto element = pictureElement(QRectF(50, 50, 200, 100), Qt::white);
    element->setValueForKey(u"borderEnabled", true);
    element->setValueForKey(u"borderType", 3); // 5 on, 5 off
    for (const double width : {1.0, 3.0}) {
        element->setValueForKey(u"borderWidth", width);
        const QImage image = drawn(*element, 4.0);
        // Along the middle of the top edge's line, inside the content.
        const QList<int> found = runs(image, int((50 + width / 2) * 4), 60 * 4, 240 * 4);
        ASSERT_GE(found.size(), 10) << width;
        for (const int run : found)
            EXPECT_NEAR(std::abs(run) / 4.0, 5.0, 0.75) << "width " << width << " run " << run;
    }
}

TEST(ElementEffectsDrawing, RoundedCornersAreCleared)
{
    auto element = pictureElement(QRectF(50, 50, 100, 100), Qt::red);
    element->setValueForKey(u"borderEnabled", true);
    element->setValueForKey(u"borderWidth", 0.0);
    element->setValueForKey(u"borderRadius", 12.0);
    for (const Target target : {Target::Screen, Target::Output}) {
        const QImage image = drawn(*element, 2.0, target);
        EXPECT_EQ(image.pixelColor(51 * 2, 51 * 2), QColor(Qt::white)) << "the corner is clear";
        EXPECT_EQ(image.pixelColor(149 * 2, 149 * 2), QColor(Qt::white));
        EXPECT_GT(red(image, 100 * 2, 51 * 2), 250);
        EXPECT_LT(image.pixelColor(100 * 2, 51 * 2).green(), 5) << "the edge between stays";
    }
}

TEST(ElementEffectsDrawing, TheReflectionFadesDownwardOverItsHeight)
{
    auto element = pictureElement(QRectF(50, 50, 100, 60), Qt::red);
    element->setValueForKey(u"reflectionEnabled", true);
    element->setValueForKey(u"reflectionOpacity", 1.0);
    const QImage image = drawn(*element, 2.0);
    // Red just below the content, paler further down, gone after 40 points.
    const auto green = [&](double y) { return image.pixelColor(100 * 2, int(y * 2)).green(); };
    EXPECT_LT(green(111), 30);
    EXPECT_NEAR(green(130), 255 * 0.5, 20);
    EXPECT_GT(green(148), 230);
    EXPECT_EQ(green(152), 255);
    EXPECT_GT(green(130), green(120));
    EXPECT_GT(green(140), green(130));
    EXPECT_EQ(red(image, 100 * 2, 130 * 2), 255);
    // Made once per change: a new colour shows after the change.
    element->setValueForKey(u"reflectionOpacity", 0.5);
    EXPECT_NEAR(drawn(*element, 2.0).pixelColor(100 * 2, 111 * 2).green(), 128, 20);
}
