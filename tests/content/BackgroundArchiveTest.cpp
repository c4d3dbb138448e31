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
