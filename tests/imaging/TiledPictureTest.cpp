// A tiled picture costs what the painted area can show: tiles below a device
// pixel blend into the picture's average colour, and any number of tiles is
// one fill that keeps their pattern.
#include "imaging/TiledPicture.h"
#include "canvas/painting/BackgroundPainter.h"
#include "content/ZVBackgroundView.h"

#include <QPaintEngine>
#include <gtest/gtest.h>

using namespace ql;

namespace {

// A red and blue checker of 2 × 2 pixels, `points` large.
Image checker(double points)
{
    QImage bitmap(2, 2, QImage::Format_RGB32);
    bitmap.setPixelColor(0, 0, Qt::red);
    bitmap.setPixelColor(1, 1, Qt::red);
    bitmap.setPixelColor(1, 0, Qt::blue);
    bitmap.setPixelColor(0, 1, Qt::blue);
    return Image(ImageRep::bitmap(bitmap, QSizeF(points, points)));
}

// A 72-dpi device that counts what is drawn on it instead of drawing.
class CountingDevice : public QPaintDevice {
public:
    int drawings() const { return m_engine.drawings; }
    QPaintEngine* paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: case PdmHeight: return 400;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 72;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    struct Engine : QPaintEngine {
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        Type type() const override { return User; }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++drawings; }
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override { ++drawings; }
        void drawRects(const QRectF*, int count) override { drawings += count; }
        void drawPath(const QPainterPath&) override { ++drawings; }
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override { ++drawings; }
        int drawings = 0;
    };
    mutable Engine m_engine;
};

int drawingsFor(const Image& picture, const QRectF& area)
{
    CountingDevice device;
    QPainter painter(&device);
    BackgroundPainter::paintImage(painter, picture, ZVBackgroundView::Tiled, area, 1.0);
    painter.end();
    return device.drawings();
}

} // namespace

TEST(TiledPicture, DrawsWhatTheAreaCanShowWhateverTheTileSize)
{
    // 160,000 tiles of a quarter point, 90,000 of a point, far more
    // reaching past the device, and a few large ones: one drawing each.
    ASSERT_LE(drawingsFor(checker(0.25), QRectF(0, 0, 100, 100)), 2);
    EXPECT_EQ(drawingsFor(checker(1.0), QRectF(0, 0, 300, 300)), 1);
    EXPECT_EQ(drawingsFor(checker(2.0), QRectF(-1e6, -1e6, 2e6, 2e6)), 1);
    EXPECT_EQ(drawingsFor(checker(100.0), QRectF(0, 0, 300, 300)), 1);

    // Below a pixel, the average colour.
    QImage speck(100, 100, QImage::Format_ARGB32_Premultiplied);
    speck.fill(Qt::white);
    {
        QPainter painter(&speck);
        BackgroundPainter::paintImage(painter, checker(1e-6), ZVBackgroundView::Tiled, QRectF(0, 0, 100, 100), 1.0);
    }
    const QColor average = speck.pixelColor(50, 50);
    EXPECT_NEAR(average.red(), 128, 3);
    EXPECT_NEAR(average.blue(), 127, 3);
    EXPECT_EQ(average.green(), 0);

    // Tiles of four pixels keep their checker.
    QImage fine(1200, 1200, QImage::Format_ARGB32_Premultiplied);
    fine.fill(Qt::white);
    {
        QPainter painter(&fine);
        painter.scale(4, 4);
        BackgroundPainter::paintImage(painter, checker(1.0), ZVBackgroundView::Tiled, QRectF(0, 0, 300, 300), 1.0);
    }
    for (const QPoint tile : {QPoint(0, 0), QPoint(150, 37), QPoint(299, 299)}) {
        const QPoint at = tile * 4;
        const QColor topLeft = fine.pixelColor(at);
        const QColor topRight = fine.pixelColor(at + QPoint(3, 0));
        EXPECT_GT(topLeft.red(), topLeft.blue()) << tile.x() << "," << tile.y();
        EXPECT_GT(topRight.blue(), topRight.red()) << tile.x() << "," << tile.y();
    }
}
