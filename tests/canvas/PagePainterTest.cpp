#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/BackgroundPainter.h"
#include "canvas/painting/PagePainter.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace ql;

TEST(PagePainter, DrawListsFollowLayersAndTheMasterComesFirst)
{
    TestDocument document;
    ZVCanvasView* master = document.addMaster();
    ZVCanvasView* page = document.addPage();
    const auto add = [](ZVCanvasView* on, ZVPuttyViewGroup* layer) {
        ZVPuttyView* element = ZVPuttyView::initWithText().release();
        element->setLayoutLayerGroup(layer);
        on->addPuttyView(element);
        return element;
    };
    ZVPuttyViewGroup* lower = page->currentLayoutLayer();
    ZVPuttyViewGroup* upper = page->addLayoutLayer(QStringLiteral("Upper"));
    ZVPuttyView* top = add(page, upper);
    ZVPuttyView* bottom = add(page, lower);
    ZVPuttyView* lent = add(master, master->currentLayoutLayer());
    page->setMasterPage(master);
    EXPECT_EQ(PagePainter::drawList(*page), (QList<ZVPuttyView*>{lent, bottom, top}));

    upper->setPrintable(false);
    EXPECT_EQ(PagePainter::ownElements(*page, PagePainter::Layers::Printable), QList<ZVPuttyView*>{bottom});
    lower->setVisible(false);
    EXPECT_EQ(PagePainter::ownElements(*page), QList<ZVPuttyView*>{top});

    // The master's background covers its margin box, moved in by the bleed.
    master->setValueForKey(u"clipToMargins", true);
    master->setValueForKey(u"fullBleed", true);
    master->setValueForKey(u"bleedMargin", 9.0);
    page->setCanvasFrames();
    const QSizeF size = page->frame().size();
    EXPECT_EQ(PagePainter::masterBackgroundFrame(*page),
              QRectF(45, 45, size.width() - 72 - 18, size.height() - 72 - 18));
    master->setValueForKey(u"clipToMargins", false);
    EXPECT_EQ(PagePainter::masterBackgroundFrame(*page), QRectF(QPointF(0, 0), size));
}

TEST(BackgroundPainter, ColoursGradientsAndPicturesFillTheirRectangle)
{
    QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&canvas](const ZVBackgroundView& background, double alpha = 1.0) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        BackgroundPainter::paint(painter, background, QRectF(0, 0, 100, 100), alpha);
    };
    ZVBackgroundView background;
    background.setBackgroundType(ZVBackgroundView::Colour);
    paint(background);
    EXPECT_EQ(canvas.pixelColor(50, 50), QColor(Qt::white)) << "no colour chosen: nothing";
    background.setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0, 0, 0)));
    background.setBackgroundOpacity(0.5);
    paint(background);
    EXPECT_NEAR(canvas.pixelColor(50, 50).red(), 128, 2) << "the background's own opacity";

    background.setBackgroundOpacity(1.0);
    background.setBackgroundGradientColor1(QVariant::fromValue(Color::white()));
    background.setBackgroundGradientColor2(QVariant::fromValue(Color::black()));
    background.setBackgroundGradientSplit(1.0);
    background.setBackgroundGradientAngle(90);
    background.setBackgroundType(ZVBackgroundView::GradientFill);
    paint(background);
    EXPECT_GT(canvas.pixelColor(50, 5).red(), 200) << "white on top at 90 degrees";
    EXPECT_LT(canvas.pixelColor(50, 95).red(), 55);

    EXPECT_EQ(BackgroundPainter::proportionalRect(QSizeF(200, 100), QRectF(0, 0, 100, 100)), QRectF(0, 25, 100, 50));
    EXPECT_EQ(BackgroundPainter::proportionalRect(QSizeF(100, 200), QRectF(0, 0, 100, 100)), QRectF(25, 0, 50, 100));
}

TEST(BackgroundPainter, EachKindShowsOnlyItselfAndTilesRepeatFromTheCorner)
{
    QImage canvas(100, 100, QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&canvas](const ZVBackgroundView& background) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        BackgroundPainter::paint(painter, background, QRectF(0, 0, 100, 100));
        return canvas.pixelColor(50, 50);
    };
    ZVBackgroundView background;
    background.setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0, 0, 0)));
    background.setBackgroundType(ZVBackgroundView::Colour);
    ASSERT_EQ(paint(background), QColor(Qt::black));

    // A gradient from red whose second colour sits at 0.01 (split 0): blue
    // from there on, and nothing of the black before it.
    background.setBackgroundGradientColor1(QVariant::fromValue(Color::deviceRgb(1, 0, 0)));
    background.setBackgroundGradientColor2(QVariant::fromValue(Color::deviceRgb(0, 0, 1)));
    background.setBackgroundGradientSplit(0);
    background.setBackgroundType(ZVBackgroundView::GradientFill);
    EXPECT_EQ(paint(background), QColor(Qt::blue));
    EXPECT_EQ(background.layerBackgroundColor(), Color::clear());
    // Custom kinds draw only a gradient set from outside; none here.
    background.setBackgroundType(ZVBackgroundView::None);
    background.setBackgroundGradientType(2);
    background.setBackgroundType(ZVBackgroundView::GradientFill);
    EXPECT_EQ(paint(background), QColor(Qt::white));
    background.setBackgroundGradientType(3);
    EXPECT_EQ(paint(background), QColor(Qt::white));
    background.setBackgroundType(ZVBackgroundView::None);
    EXPECT_EQ(paint(background), QColor(Qt::white));

    // A 40-point tile with a red quarter, at scale 0.5: a red 10-point square
    // every 20 points from the corner, and no fitted picture.
    QImage tile(40, 40, QImage::Format_RGB32);
    tile.fill(Qt::green);
    QPainter(&tile).fillRect(0, 0, 20, 20, Qt::red);
    background.setBackgroundImage(Image(tile));
    background.setBackgroundImageMode(ZVBackgroundView::Tiled);
    background.setBackgroundImageScale(0.5);
    background.setBackgroundType(ZVBackgroundView::ImageFill);
    paint(background);
    EXPECT_TRUE(background.image().isNull());
    for (const int at : {5, 25, 45, 85})
        EXPECT_EQ(canvas.pixelColor(at, at), QColor(Qt::red)) << at;
    for (const int at : {15, 35, 55})
        EXPECT_EQ(canvas.pixelColor(at, at), QColor(Qt::green)) << at;
}
