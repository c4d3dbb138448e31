#include "imaging/BlurredLayer.h"
#include "imaging/PathShadows.h"
#include "design/ZVDesignHelper.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace ql;

namespace {

// A 60-point square seen through a 100 × 100 window at `zoom`: its top edge
// crosses the window at y = 30, its middle column at x = 50.
QTransform zoomedOnTopEdge(double zoom)
{
    return QTransform(zoom, 0, 0, zoom, 50 - 50 * zoom, 30 - 20 * zoom);
}

QPainterPath square()
{
    QPainterPath path;
    path.addRect(20, 20, 60, 60);
    return path;
}

QImage white(QSize size = QSize(100, 100))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

} // namespace

TEST(PathShadows, ZoomedFarInTheVisiblePartIsStillDrawn)
{
    for (const double zoom : {150.0, 300.0, 2000.0}) {
        QImage canvas = white();
        QPainter painter(&canvas);
        painter.setTransform(zoomedOnTopEdge(zoom));
        ZVDesignHelper::drawInnerShadowInContext(painter, square(), QColor(0, 0, 0, 255), QSizeF(0, 8), 4);
        painter.end();
        // The offset pushes the outside down by 8 points, far past the window:
        // a dark band under the top edge, nothing above it.
        EXPECT_EQ(qRed(canvas.pixel(50, 20)), 255) << zoom;
        EXPECT_LT(qRed(canvas.pixel(50, 40)), 40) << zoom;
        EXPECT_LT(qRed(canvas.pixel(10, 95)), 40) << zoom;

        QImage blurred(100, 100, QImage::Format_ARGB32_Premultiplied);
        blurred.fill(Qt::transparent);
        QPainter blurPainter(&blurred);
        blurPainter.setTransform(zoomedOnTopEdge(zoom));
        drawBlurWithColor(blurPainter, BezierPath::rect(QRectF(20, 20, 60, 60)), Qt::red, 10);
        blurPainter.end();
        EXPECT_EQ(qAlpha(blurred.pixel(50, 80)), 255) << zoom;
        EXPECT_NEAR(qAlpha(blurred.pixel(50, 30)), 128, 20) << zoom;
        EXPECT_EQ(qAlpha(blurred.pixel(50, 5)), 0) << zoom;
    }
}

TEST(PathShadows, APainterClipStillGetsItsShadow)
{
    QImage canvas = white(QSize(400, 400));
    QPainter painter(&canvas);
    painter.setClipRect(QRect(150, 0, 40, 400));
    painter.scale(4, 4);
    ZVDesignHelper::drawInnerShadowInContext(painter, square(), QColor(0, 0, 0, 255), QSizeF(0, 8), 4);
    painter.end();
    EXPECT_LT(qRed(canvas.pixel(170, 90)), 40);   // under the top edge, in the clip
    EXPECT_EQ(qRed(canvas.pixel(170, 200)), 255); // the middle stays light
    EXPECT_EQ(qRed(canvas.pixel(100, 90)), 255);  // outside the clip nothing changes
}

TEST(PathShadows, OffsetsFarBeyondTheShapeDarkenAllOfIt)
{
    for (const double offset : {1e4, 1e9, 1e15}) {
        QImage canvas = white();
        QPainter painter(&canvas);
        ZVDesignHelper::drawInnerShadowInContext(painter, square(), QColor(0, 0, 0, 255), QSizeF(offset, offset), 4);
        painter.end();
        EXPECT_LT(qRed(canvas.pixel(50, 50)), 40) << offset;
        EXPECT_EQ(qRed(canvas.pixel(10, 10)), 255) << offset;
    }
}

namespace {

QImage layerOn(QSize size, const BlurredLayer& layer, const QRectF& area)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    layer.paint(painter, area);
    return canvas;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            largest = std::max(largest, std::abs(qAlpha(a.pixel(x, y)) - qAlpha(b.pixel(x, y))));
    return largest;
}

} // namespace

TEST(BlurredLayer, TilesMeetWithoutSeamsForNarrowAndWideBlurs)
{
    QPainterPath shape;
    shape.addEllipse(QRectF(40, 30, 200, 120));
    shape.addRect(QRectF(150.5, 20.25, 60, 150));
    shape.setFillRule(Qt::WindingFill);
    // Narrow blurs work on device pixels; wide ones on a coarser grid that
    // tile edges (37 pixels apart) do not line up with.
    for (const double radius : {0.0, 6.0, 80.0}) {
        BlurredLayer layer(radius, QColor(200, 0, 0, 200), [&](QPainter& cover, const QRectF&) { cover.fillPath(shape, Qt::black); });
        layer.keepInside(QTransform::fromTranslate(10, 10).map(shape));
        const QImage whole = layerOn(QSize(300, 200), layer, QRectF(0, 0, 300, 200));
        layer.setTileSide(37);
        const QImage tiled = layerOn(QSize(300, 200), layer, QRectF(0, 0, 300, 200));
        EXPECT_LE(largestDifference(whole, tiled), 1) << radius;
        EXPECT_GT(qAlpha(whole.pixel(140, 90)), 150) << radius;
        EXPECT_EQ(qAlpha(whole.pixel(5, 5)), 0) << radius;
    }
}

TEST(BlurredLayer, EdgesFadeAsAGaussianOfHalfTheRadius)
{
    for (const double radius : {24.0, 80.0, 400.0}) {
        // The edge of a half-plane: coverage Φ(d / σ) at distance d from it.
        const double sigma = radius / 2;
        const double edge = 3 * sigma;
        const BlurredLayer layer(radius, Qt::black, [&](QPainter& cover, const QRectF&) {
            cover.fillRect(QRectF(edge, -1e5, 1e5, 2e5), Qt::black);
        });
        const QImage canvas = layerOn(QSize(int(6 * sigma), 8), layer, QRectF(0, 0, 6 * sigma, 8));
        const auto alphaAt = [&](double d) { return qAlpha(canvas.pixel(int(edge + d), 4)) / 255.0; };
        EXPECT_NEAR(alphaAt(0), 0.5, 0.03) << radius;
        EXPECT_NEAR(alphaAt(sigma), 0.841, 0.03) << radius;
        EXPECT_NEAR(alphaAt(-sigma), 0.159, 0.03) << radius;
        EXPECT_NEAR(alphaAt(2 * sigma), 0.977, 0.03) << radius;
        EXPECT_GT(layer.reach(), 2.5 * sigma) << radius;
    }
}

TEST(BlurredLayer, ALayerLargerThanATileIsDrawnWhole)
{
    QImage canvas(2500, 2300, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.scale(25, 25);
    ZVDesignHelper::drawInnerShadowInContext(painter, square(), QColor(0, 0, 0, 255), QSizeF(0, 8), 6);
    drawBlurWithColor(painter, BezierPath::rect(QRectF(2, 2, 12, 80)), Qt::red, 30);
    painter.end();
    // Dark under the top edge (offset 200 pixels) across the whole width,
    // in every tile; light further down.
    for (const int x : {510, 1000, 1030, 1600, 1990})
        EXPECT_LT(qRed(canvas.pixel(x, 560)), 40) << x;
    EXPECT_EQ(canvas.pixel(1200, 1500), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(200, 1030), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(200, 1900), qRgb(255, 0, 0));
}
