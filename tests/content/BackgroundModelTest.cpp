#include "../canvas/CanvasTestSupport.h"

#include "canvas/ModelArchive.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundImageView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Gradient.h"

#include <QImage>
#include <QSignalSpy>
#include <gtest/gtest.h>

TEST(BackgroundModel, DefaultsAndNumberKinds)
{
    ZVBackgroundView background;
    EXPECT_EQ(background.backgroundType(), QVariant(0));
    EXPECT_EQ(background.backgroundOpacity().typeId(), QMetaType::Int);
    EXPECT_EQ(background.backgroundGradientSplit(), QVariant(1));
    EXPECT_EQ(background.backgroundImageScale().typeId(), QMetaType::Double);
    EXPECT_EQ(background.backgroundColor().value<ql::Color>(), ql::Color::white());
    EXPECT_EQ(background.backgroundGradientColor2().value<ql::Color>(), ql::Color::black());
    EXPECT_FALSE(background.selected());
    EXPECT_FALSE(background.vectorBacking());
    EXPECT_TRUE(background.isObserving());
    EXPECT_EQ(background.insets(), 0.0f);
}

TEST(BackgroundModel, UpdateDerivesTheDrawableState)
{
    ZVBackgroundView background;
    background.setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(1, 0, 0)));
    background.setBackgroundType(1);
    EXPECT_EQ(background.layerBackgroundColor(), ql::Color::deviceRgb(1, 0, 0));

    // A gradient shows no colour of before behind it; split 0 is taken as 0.01.
    background.setBackgroundGradientSplit(0);
    background.setBackgroundGradientAngle(45);
    background.setBackgroundType(2);
    EXPECT_EQ(background.layerBackgroundColor(), ql::Color::clear());
    const auto gradient = background.gradient().value<ql::Gradient>();
    ASSERT_EQ(gradient.stops().size(), 2);
    EXPECT_FLOAT_EQ(float(gradient.stops().at(1).location), 0.01f);
    EXPECT_EQ(background.gradientAngle(), QVariant(45));

    // Types 2 and 3 draw only a gradient given from outside.
    background.setBackgroundType(0);
    background.setBackgroundGradientType(3);
    background.setBackgroundType(2);
    EXPECT_FALSE(background.gradient().isValid());

    background.setBackgroundType(0);
    EXPECT_EQ(background.layerBackgroundColor(), ql::Color::clear());

    // Tiled at half size: only the tile draws.
    background.setBackgroundImage(ql::Image(QImage(40, 20, QImage::Format_ARGB32)));
    background.setBackgroundImageMode(3);
    background.setBackgroundImageScale(0.5);
    background.setBackgroundType(3);
    EXPECT_TRUE(background.image().isNull());
    EXPECT_EQ(background.tiledImage().size(), QSizeF(20, 10));
    EXPECT_TRUE(background.scalingEligible());
    EXPECT_FALSE(background.backgroundImagePickerHidden());
    EXPECT_TRUE(background.backgroundArtPickerHidden());

    background.setBackgroundImageMode(0);
    EXPECT_EQ(background.image().size(), QSizeF(40, 20));
    EXPECT_TRUE(background.scaleToFill());
    EXPECT_FALSE(background.scalingEligible());

    background.setBackgroundOpacity(0.25);
    EXPECT_DOUBLE_EQ(background.alphaValue(), 0.25);
}

TEST(BackgroundModel, ChangesUndoOnThePagesDocument)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVBackgroundView* background = page->backgroundView();
    background->setBackgroundType(1);
    endTurn();
    background->setBackgroundType(2);
    endTurn();
    document.undo.undo();
    EXPECT_EQ(background->backgroundType(), QVariant(1));
    document.undo.undo();
    EXPECT_EQ(background->backgroundType(), QVariant(0));
    document.undo.redo();
    EXPECT_EQ(background->backgroundType(), QVariant(1));

    // A background without a page records nothing.
    ZVBackgroundView loose;
    loose.setBackgroundType(1);
    EXPECT_EQ(loose.undoManager(), nullptr);
}

TEST(BackgroundModel, AnElementBackgroundRefreshesTheReflectionOnceAChange)
{
    auto element = ZVPuttyView::initWithText();
    ZVBackgroundView* background = element->backgroundView();
    QSignalSpy reflections(element.get(), &ZVPuttyView::reflectionChanged);
    QSignalSpy redraws(background, &ZVContentView::displayNeeded);
    background->setBackgroundType(1);
    EXPECT_EQ(reflections.count(), 1);
    EXPECT_GE(redraws.count(), 1);
}

TEST(BackgroundModel, ATiledImageViewStaysEmptyAndReadsBackAsItself)
{
    ZVBackgroundImageView view(QRectF(0, 0, 100, 50));
    EXPECT_FALSE(view.scaleToFill()) << "none of the image view's defaults";
    view.setImage(ql::Image(QImage(10, 10, QImage::Format_ARGB32)));
    EXPECT_TRUE(view.image().isNull());
    EXPECT_TRUE(view.tiledImage().isNull()) << "it tiles only once it shows a picture";

    const ql::Result<QByteArray> data = ql::canvas::archiveRootObject(&view);
    ASSERT_TRUE(data);
    const ql::Result<QObject*> read = ql::canvas::unarchiveRootObject(*data, ZVImageView::staticMetaObject,
                                                                      ql::canvas::pageClassRegistry());
    ASSERT_TRUE(read) << read.error().message.toStdString();
    std::unique_ptr<QObject> copy(*read);
    ASSERT_TRUE(qobject_cast<ZVBackgroundImageView*>(copy.get()));
    EXPECT_EQ(qobject_cast<ZVBackgroundImageView*>(copy.get())->archiveClassChain().first(),
              QStringLiteral("ZVBackgroundImageView"));
}
