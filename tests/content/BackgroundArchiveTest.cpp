#include "canvas/ZVCanvasView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(BackgroundArchive, CopyKeepsTheAppearanceButNoContainer)
{
    ZVCanvasView page;
    ZVBackgroundView* background = page.backgroundView();
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(Qt::red);
    background->setBackgroundImage(ql::Image(tile));
    background->setBackgroundImageMode(3);
    background->setBackgroundImageScale(0.5);
    background->setBackgroundGradientSplit(0.25);
    background->setBackgroundOpacity(0.75);
    background->setBackgroundType(3);

    const std::unique_ptr<ZVBackgroundView> copy = background->copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->containerView(), nullptr);
    EXPECT_EQ(copy->currentPage(), nullptr);
    EXPECT_EQ(copy->insets(), 0.0f);
    EXPECT_TRUE(copy->selected());
    for (const char* key : {"backgroundType", "backgroundOpacity", "backgroundColor", "backgroundGradientType",
                            "backgroundGradientColor1", "backgroundGradientColor2", "backgroundGradientSplit",
                            "backgroundGradientAngle", "backgroundImageType", "backgroundImageMode",
                            "backgroundImageScale", "scalingEligible", "vectorBacking"})
        EXPECT_EQ(copy->valueForKey(QString::fromLatin1(key)), background->valueForKey(QString::fromLatin1(key))) << key;
    EXPECT_EQ(copy->backgroundImage().pixelSize(), QSize(8, 8));
    EXPECT_EQ(copy->tiledImage().pixelSize(), QSize(4, 4)) << "the drawable state is derived again";
    EXPECT_DOUBLE_EQ(copy->alphaValue(), 0.75);
}

TEST(BackgroundArchive, StoredTileScaleGrowsTheTileButNotItsBitmapWithoutBound)
{
    // A stored scale is read as it is: a tile of 16 pixels at 600 times would
    // otherwise become a bitmap of 9600 × 4800 pixels on every read.
    ZVCanvasView page;
    ZVBackgroundView* background = page.backgroundView();
    QImage tile(16, 8, QImage::Format_RGB32);
    tile.fill(Qt::blue);
    background->setBackgroundImage(ql::Image(tile));
    background->setBackgroundImageMode(3);
    background->setBackgroundImageScale(600);
    background->setBackgroundType(3);

    const std::unique_ptr<ZVBackgroundView> copy = background->copy();
    ASSERT_TRUE(copy);
    for (const ZVBackgroundView* view : {background, copy.get()}) {
        EXPECT_EQ(view->tiledImage().size(), view->backgroundImage().size() * 600);
        EXPECT_LE(view->tiledImage().pixelSize().width(), 8192);
        EXPECT_EQ(view->tiledImage().pixelSize().height(), view->tiledImage().pixelSize().width() / 2);
    }

    // A modest scale still scales the bitmap itself.
    copy->setBackgroundImageScale(2);
    EXPECT_EQ(copy->tiledImage().pixelSize(), QSize(32, 16));
}
