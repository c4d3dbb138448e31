// The adjustment chain as a user meets it: settings of an image content
// change the picture it shows, by properties rather than exact pixels.
#include "ImageTestSupport.h"

#include "platform/graphics/Color.h"

#include <gtest/gtest.h>
#include <limits>

using namespace imagetest;

namespace {

std::unique_ptr<ZVImageView> viewOf(const QImage& picture)
{
    auto view = std::make_unique<ZVImageView>(QRectF(0, 0, picture.width(), picture.height()));
    view->setOriginalImage(ql::Image(picture));
    view->setLevels();
    return view;
}

QImage shown(const ZVImageView& view)
{
    return pixelsOf(view.picture());
}

} // namespace

TEST(ImageAdjustments, DefaultsShowTheOriginalAndColourControlsMoveAsTheyShould)
{
    // A photo, and a PNG with transparency as it comes from a file.
    const ql::Result<ql::Image> png = ql::Image::fromData(encoded(redDisc(), "png"));
    ASSERT_TRUE(png.ok());
    for (const QImage& picture : {photo(), png->bitmap()}) {
        auto view = viewOf(picture);
        EXPECT_LE(largestDifference(shown(*view), picture), 1) << "defaults are the original";
        EXPECT_EQ(view->picture().size(), QSizeF(picture.size())) << "one point a pixel";
    }

    auto view = viewOf(photo());
    double last = statsOf(shown(*view)).meanLuma;
    for (double brightness : {0.05, 0.1, 0.2}) {
        view->setBrightness(brightness);
        const double mean = statsOf(shown(*view)).meanLuma;
        EXPECT_GT(mean, last) << "brightness " << brightness;
        last = mean;
    }
    view->setLevelDefaults();

    const double spread = statsOf(shown(*view)).lumaSpread;
    view->setContrast(2);
    EXPECT_GT(statsOf(shown(*view)).lumaSpread, spread * 1.5);
    view->setContrast(1);

    view->setSaturation(0);
    const QImage grey = shown(*view);
    for (int y = 0; y < grey.height(); y += 7) {
        for (int x = 0; x < grey.width(); x += 5) {
            const uchar* p = grey.constScanLine(y) + x * 4;
            ASSERT_EQ(p[0], p[1]);
            ASSERT_EQ(p[1], p[2]);
        }
    }
}

TEST(ImageAdjustments, BlurKeepsSizeAndColourAndSharpnessRaisesEdges)
{
    auto view = viewOf(photo());
    const QImage original = shown(*view);
    const Stats before = statsOf(original);

    view->setBlur(4);
    const QImage blurred = shown(*view);
    EXPECT_EQ(blurred.size(), original.size());
    const Stats after = statsOf(blurred);
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(after.mean[c], before.mean[c], 2.0) << "channel " << c;
    EXPECT_LT(edgeContrast(blurred), edgeContrast(original) / 2);
    view->setBlur(0);

    view->setSharpness(1);
    EXPECT_GT(edgeContrast(shown(*view)), edgeContrast(original) * 1.2);
    EXPECT_NEAR(statsOf(shown(*view)).meanLuma, before.meanLuma, 2.0);

    // A blurred red disc fades at its edge but stays red: no dark fringe,
    // and the picture keeps its size.
    auto disc = viewOf(redDisc());
    disc->setBlur(3);
    const QImage soft = shown(*disc);
    ASSERT_EQ(soft.size(), redDisc().size());
    int fading = 0;
    for (int y = 0; y < soft.height(); ++y) {
        for (int x = 0; x < soft.width(); ++x) {
            const uchar* p = soft.constScanLine(y) + x * 4;
            if (p[3] > 12 && p[3] < 240) {
                ++fading;
                EXPECT_GE(p[0], 245) << x << "," << y;
                EXPECT_LE(std::max(p[1], p[2]), 10) << x << "," << y;
            }
        }
    }
    EXPECT_GT(fading, 100) << "the edge is soft";
    EXPECT_EQ(qAlpha(soft.pixel(0, 0)), 0) << "far corners stay clear";
}

TEST(ImageAdjustments, TintMultipliesInsideThePictureOnly)
{
    auto view = viewOf(redDisc());
    const QImage original = shown(*view);
    view->setTintEnabled(true);
    EXPECT_LE(largestDifference(shown(*view), original), 1) << "white tint changes nothing";

    view->setTintColor(ql::Color::calibratedRgb(1, 0, 0));
    auto photoView = viewOf(photo());
    photoView->setTintColor(ql::Color::calibratedRgb(1, 0, 0));
    photoView->setTintEnabled(true);
    for (const ZVImageView* tinted : {view.get(), photoView.get()}) {
        const QImage pixels = shown(*tinted);
        const QImage before = tinted == view.get() ? original : photo().convertToFormat(QImage::Format_RGBA8888);
        for (int y = 0; y < pixels.height(); ++y) {
            for (int x = 0; x < pixels.width(); ++x) {
                const uchar* p = pixels.constScanLine(y) + x * 4;
                const uchar* q = before.constScanLine(y) + x * 4;
                ASSERT_EQ(p[1], 0);
                ASSERT_EQ(p[2], 0);
                ASSERT_EQ(p[3], q[3]) << "transparency is kept";
            }
        }
    }

    // The colour is observed while the tint is off, with no change.
    photoView->setTintEnabled(false);
    const QImage untinted = shown(*photoView);
    photoView->setTintColor(ql::Color::calibratedRgb(0, 0, 1));
    EXPECT_EQ(shown(*photoView), untinted);
}

TEST(ImageAdjustments, EffectsMasksAndVectorOriginals)
{
    auto view = viewOf(photo());
    const QImage original = shown(*view);
    view->setImageEffect(3);
    EXPECT_EQ(shown(*view), original) << "a disabled effect does nothing";
    view->setEffectsEnabled(true);
    const QImage inverted = shown(*view);
    EXPECT_EQ(qRed(inverted.pixel(10, 10)), 255 - qRed(original.pixel(10, 10)));
    view->setImageEffect(0);
    EXPECT_EQ(shown(*view), original) << "effect 0 is none";
    view->setImageEffect(99);
    EXPECT_EQ(shown(*view), original) << "an unknown effect is none";

    // The mask comes last, so it also cuts the tint and the effect: black
    // shows, white hides.
    QImage mask(original.size(), QImage::Format_RGB32);
    mask.fill(Qt::white);
    QPainter(&mask).fillRect(QRect(0, 0, mask.width() / 2, mask.height()), Qt::black);
    view->setImageEffect(1);
    view->setTintColor(ql::Color::calibratedRgb(0.5, 0.5, 1));
    view->setTintEnabled(true);
    view->setImageMask(ql::Image(mask));
    EXPECT_EQ(qAlpha(view->picture().bitmap().pixel(original.width() - 5, 5)), 255) << "the mask is off";
    view->setImageMaskEnabled(true);
    const QImage masked = view->picture().bitmap();
    EXPECT_EQ(qAlpha(masked.pixel(5, 5)), 255);
    EXPECT_EQ(qAlpha(masked.pixel(original.width() - 5, 5)), 0);
    EXPECT_EQ(qAlpha(masked.pixel(original.width() - 5, original.height() - 5)), 0);

    // A PDF original takes no adjustment at all.
    const ql::Result<ql::Image> vector = ql::Image::fromData(pdfData(QSizeF(100, 80), Qt::blue));
    ASSERT_TRUE(vector.ok());
    ZVImageView pdfView;
    pdfView.setIsVector(true);
    pdfView.setOriginalImage(*vector);
    pdfView.setBrightness(0.5);
    pdfView.setEffectsEnabled(true);
    pdfView.setImageEffect(3);
    pdfView.setImageMask(ql::Image(mask));
    pdfView.setImageMaskEnabled(true);
    EXPECT_EQ(pdfView.picture(), *vector);

    // Not marked as vector, the same original is rendered at print
    // resolution and adjusted like any picture.
    ZVImageView rendered;
    rendered.setOriginalImage(*vector);
    rendered.setEffectsEnabled(true);
    rendered.setImageEffect(3);
    const QImage negative = pixelsOf(rendered.picture());
    EXPECT_NEAR(negative.width(), 100 * 300 / 72.0, 1);
    EXPECT_EQ(qRed(negative.pixel(50, 50)), 255) << "blue inverted is yellow";
    EXPECT_EQ(qBlue(negative.pixel(50, 50)), 0);
}

TEST(ImageAdjustments, NumbersOfAnySizeOrKindEndInAPicture)
{
    auto view = viewOf(photo(60, 40));
    const QImage original = shown(*view);
    view->setBrightness(std::numeric_limits<double>::quiet_NaN());
    view->setContrast(std::numeric_limits<double>::infinity());
    view->setSaturation(QStringLiteral("lots"));
    EXPECT_LE(largestDifference(shown(*view), original), 1) << "what is not a finite number means the default";
    view->setBlur(1e9);
    view->setSharpness(-1e300);
    EXPECT_EQ(shown(*view).size(), original.size());
    view->setImageEffect(std::numeric_limits<qint64>::min());
    view->setEffectsEnabled(true);
    EXPECT_EQ(shown(*view).size(), original.size());
}
