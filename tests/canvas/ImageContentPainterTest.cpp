// Image contents as the shared painter draws them, probed in offscreen
// images: aspect fill read at each draw, placement by image scaling, the
// crop window, and the overlays that crop display leaves out.
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/painting/ImageContentPainter.h"
#include "content/ZVImageView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Three equal bands, red, green, blue: across for a wide picture, down for
// a tall one.
QImage bands(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const bool across = width >= height;
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    for (int i = 0; i < 3; ++i) {
        painter.fillRect(across ? QRectF(width * i / 3.0, 0, width / 3.0, height)
                                : QRectF(0, height * i / 3.0, width, height / 3.0),
                         colours[i]);
    }
    return image;
}

QImage drawn(const ZVImageView& view, QSize size)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    ql::ImageContentPainter::paintView(painter, view, QRectF(QPointF(0, 0), QSizeF(size)), 1.0);
    painter.end();
    return canvas;
}

// The dominant channel of a pixel: 'r', 'g', 'b', 'w' (white) or '?'.
char colourAt(const QImage& image, int x, int y)
{
    const QRgb p = image.pixel(x, y);
    if (qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) > 200)
        return 'w';
    if (qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60)
        return 'r';
    if (qGreen(p) > 200 && qRed(p) < 60 && qBlue(p) < 60)
        return 'g';
    if (qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60)
        return 'b';
    return '?';
}

std::unique_ptr<ZVImageView> filledView(const QImage& picture, QSizeF bounds)
{
    auto view = std::make_unique<ZVImageView>(QRectF(QPointF(40, 40), bounds));
    view->setOriginalImage(ql::Image(picture));
    view->setLevels();
    return view;
}

} // namespace

TEST(ImageContentPainter, AspectFillShowsTheMiddleAndFollowsTheBoundsAtEachDraw)
{
    // A wide picture in a tall view: full height, the middle strip.
    auto tall = filledView(bands(300, 100), QSizeF(100, 200));
    const QImage narrow = drawn(*tall, QSize(100, 200));
    for (int x : {1, 50, 98})
        EXPECT_EQ(colourAt(narrow, x, 100), 'g') << x;
    // A tall picture in a wide view: full width, the middle band.
    auto wide = filledView(bands(100, 300), QSizeF(200, 100));
    const QImage flat = drawn(*wide, QSize(200, 100));
    for (int y : {1, 50, 98})
        EXPECT_EQ(colourAt(flat, 100, y), 'g') << y;

    // Resized after the picture was set, the shown image keeps its size but
    // the next draw reads the new bounds: the wide picture now shows whole.
    const QSizeF before = tall->image().size();
    tall->setFrame(QRectF(40, 40, 300, 100));
    EXPECT_EQ(tall->image().size(), before);
    const QImage whole = drawn(*tall, QSize(300, 100));
    EXPECT_EQ(colourAt(whole, 20, 50), 'r');
    EXPECT_EQ(colourAt(whole, 150, 50), 'g');
    EXPECT_EQ(colourAt(whole, 280, 50), 'b');
}

TEST(ImageContentPainter, ScalingsPlaceThePicture)
{
    using ql::ImageContentPainter;
    const QRectF box(0, 0, 100, 100);
    EXPECT_EQ(ImageContentPainter::placedRect(QSizeF(200, 100), ZVImageView::ScaleAxesIndependently, box), box);
    EXPECT_EQ(ImageContentPainter::placedRect(QSizeF(200, 100), ZVImageView::ScaleProportionallyUpOrDown, box),
              QRectF(0, 25, 100, 50));
    EXPECT_EQ(ImageContentPainter::placedRect(QSizeF(20, 40), ZVImageView::ScaleProportionallyUpOrDown, box),
              QRectF(25, 0, 50, 100));
    EXPECT_EQ(ImageContentPainter::placedRect(QSizeF(300, 300), ZVImageView::ScaleNone, box),
              QRectF(-100, -100, 300, 300));
    EXPECT_EQ(ImageContentPainter::placedRect(QSizeF(20, 40), ZVImageView::ScaleProportionallyDown, box),
              QRectF(40, 30, 20, 40)) << "smaller: its own size";
    EXPECT_EQ(ImageContentPainter::placedRect(QSizeF(200, 100), ZVImageView::ScaleProportionallyDown, box),
              QRectF(0, 25, 100, 50)) << "larger: fitted";

    // Unscaled display of a large picture shows its middle at its own size.
    auto view = filledView(bands(300, 60), QSizeF(100, 60));
    view->setImageMode(4);
    const QImage middle = drawn(*view, QSize(100, 60));
    EXPECT_EQ(colourAt(middle, 2, 30), 'g');
    EXPECT_EQ(colourAt(middle, 97, 30), 'g');
}

TEST(ImageContentPainter, CropWindowCountsFromTheBottomAndHidesTheOverlays)
{
    // Top half red, bottom half blue.
    QImage picture(100, 100, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QPainter(&picture).fillRect(QRect(0, 50, 100, 50), Qt::blue);
    auto view = filledView(picture, QSizeF(100, 50));
    const ql::Gradient black(QList<ql::Gradient::Stop> {{ql::Color::black(), 0.0}, {ql::Color::black(), 1.0}});
    view->setGradient(QVariant::fromValue(black));
    view->setGradientType(0);
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(Qt::yellow);

    view->setCropRect(QRectF(0, 0, 100, 50));
    view->setCropScale(1);
    view->setCropMode(true);
    EXPECT_EQ(colourAt(drawn(*view, QSize(100, 50)), 50, 25), 'b') << "y 0 is the bottom edge";
    view->setCropRect(QRectF(0, 50, 100, 50));
    EXPECT_EQ(colourAt(drawn(*view, QSize(100, 50)), 50, 25), 'r');
    // At scale 2 the window is half as large: 50 × 25 from x 25, its top
    // 35 points down the picture.
    view->setCropRect(QRectF(-25, 40, 100, 50));
    view->setCropScale(2);
    const QImage zoomed = drawn(*view, QSize(100, 50));
    EXPECT_EQ(colourAt(zoomed, 50, 5), 'r');
    EXPECT_EQ(colourAt(zoomed, 50, 45), 'b');
    view->setCropScale(0);
    EXPECT_EQ(colourAt(drawn(*view, QSize(100, 50)), 50, 25), 'r') << "scale 0 draws as 1";

    // Neither overlay is drawn in crop display.
    view->setTiledImage(ql::Image(tile));
    EXPECT_EQ(colourAt(drawn(*view, QSize(100, 50)), 50, 25), 'r');
    // Out of it, the tiles cover the content (a tiled fill clears the shown
    // picture).
    view->setCropMode(false);
    EXPECT_EQ(qRgb(255, 255, 0), drawn(*view, QSize(100, 50)).pixel(50, 25) | 0xff000000);

    // The picture back (the tiles go), with the black gradient over it; a
    // gradient type no drawing knows draws no overlay.
    view->setLevels();
    EXPECT_EQ(qRed(drawn(*view, QSize(100, 50)).pixel(50, 10)), 0);
    view->setGradientType(5);
    const QImage plain = drawn(*view, QSize(100, 50));
    EXPECT_EQ(colourAt(plain, 50, 10), 'r');
    EXPECT_EQ(colourAt(plain, 50, 40), 'b');
}

TEST(ImageContentPainter, ElementsDrawTheirFilledPictureAtTheirOpacity)
{
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithImage(ql::Image(bands(300, 100)));
    element->setFrame(QRectF(0, 0, 180, 280)); // content 100 × 200
    auto* view = qobject_cast<ZVImageView*>(element->contentView());
    view->setLevels();
    QImage page(200, 300, QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        ql::ElementPainter::paint(painter, *element);
    }
    EXPECT_EQ(colourAt(page, 45, 140), 'g');
    EXPECT_EQ(colourAt(page, 135, 140), 'g');
    EXPECT_EQ(colourAt(page, 20, 140), 'w') << "outside the content";
}

TEST(ImageContentPainter, BorderAndInnerShadowLieOverThePicture)
{
    // A white picture, 100 × 80, drawn 2× into a 200 × 160 image.
    QImage white(100, 80, QImage::Format_RGB32);
    white.fill(Qt::white);
    std::unique_ptr<ZVImageView> view = filledView(white, QSizeF(100, 80));
    const auto draw = [&] {
        QImage canvas(200, 160, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        painter.scale(2, 2);
        ql::ImageContentPainter::paintView(painter, *view, QRectF(0, 0, 100, 80), 1.0);
        painter.end();
        return canvas;
    };
    // Its first border has no width: nothing but the picture.
    EXPECT_EQ(draw().pixel(2, 80) | 0xff000000, qRgb(255, 255, 255));

    // A square border of 4 points lies inside the bounds, in its colour.
    ASSERT_TRUE(view->setValueForKeyPath(u"border.lineWidth", 4.0).ok());
    ASSERT_TRUE(view->setValueForKeyPath(u"border.strokeColor", QVariant::fromValue(ql::Color::calibratedRgb(1, 0, 0))).ok());
    QImage drawnBorder = draw();
    EXPECT_EQ(colourAt(drawnBorder, 1, 80), 'r');
    EXPECT_EQ(colourAt(drawnBorder, 7, 80), 'r');
    EXPECT_EQ(colourAt(drawnBorder, 10, 80), 'w');
    EXPECT_EQ(colourAt(drawnBorder, 100, 1), 'r');

    // Dashes are in points: 5 on, 5 off along the top edge at width 4
    // (pixels are half points).
    ASSERT_TRUE(view->setValueForKeyPath(u"border.lineDashPattern", QVariantList {5, 5}).ok());
    drawnBorder = draw();
    EXPECT_EQ(colourAt(drawnBorder, 10, 2), 'r');
    EXPECT_EQ(colourAt(drawnBorder, 14, 2), 'w');
    EXPECT_EQ(colourAt(drawnBorder, 26, 2), 'r');
    EXPECT_EQ(colourAt(drawnBorder, 36, 2), 'w');

    // Rounded corners cut the picture too.
    ASSERT_TRUE(view->setValueForKeyPath(u"border.lineDashPattern", QVariant()).ok());
    ASSERT_TRUE(view->setValueForKeyPath(u"border.lineWidth", 0.0).ok());
    ASSERT_TRUE(view->setValueForKeyPath(u"border.cornerRadius", 20.0).ok());
    QImage black(100, 80, QImage::Format_RGB32);
    black.fill(Qt::black);
    view->setOriginalImage(ql::Image(black));
    view->setLevels();
    const QImage rounded = draw();
    EXPECT_EQ(colourAt(rounded, 1, 1), 'w') << "the corner is cut";
    EXPECT_EQ(qRed(rounded.pixel(100, 80)), 0);

    // An inner shadow falls inwards from the outline: with an offset of 8
    // to the right, the left edge darkens, the right does not; nothing shows
    // outside. A hidden (disabled) shadow draws nothing.
    view->setOriginalImage(ql::Image(white));
    view->setLevels();
    ASSERT_TRUE(view->setValueForKeyPath(u"border.cornerRadius", 0.0).ok());
    ASSERT_TRUE(view->setValueForKeyPath(u"innerShadow.shadowOffset", QSizeF(8, 0)).ok());
    ASSERT_TRUE(view->setValueForKeyPath(u"innerShadow.shadowRadius", 2.0).ok());
    ASSERT_TRUE(view->setValueForKeyPath(u"innerShadow.shadowOpacity", 1.0f).ok());
    EXPECT_EQ(draw().pixel(4, 80) | 0xff000000, qRgb(255, 255, 255)) << "disabled";
    view->setInnerShadowEnabled(true);
    const QImage shadowed = draw();
    EXPECT_LT(qRed(shadowed.pixel(4, 80)), 60);
    EXPECT_GT(qRed(shadowed.pixel(196, 80)), 240);
    EXPECT_GT(qRed(shadowed.pixel(100, 80)), 240);

    // In crop display the layers still lie over the crop window.
    view->setCropMode(true);
    view->setOriginalImageForCropping(ql::Image(white));
    view->setCropRect(QRectF(0, 0, 100, 80));
    view->setCropScale(1.0);
    EXPECT_LT(qRed(draw().pixel(4, 80)), 60);
}
