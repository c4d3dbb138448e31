#include "design/ZVDesignHelper.h"

#include <QPainter>
#include <QSet>
#include <gtest/gtest.h>

using ql::ZVDesignHelper;

namespace {

// A busy test picture: gradients, a shape with hard edges and a see-through corner.
QImage testPicture(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgba(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), (x * y) % 256, 255));
    QPainter painter(&image);
    painter.setBrush(QColor(20, 200, 90));
    painter.drawEllipse(QRectF(w * 0.2, h * 0.2, w * 0.5, h * 0.4));
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(0, 0, w / 5, h / 5), QColor(255, 0, 0, 100));
    return image;
}

QImage rgba(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGBA8888);
}

} // namespace

TEST(ImageEffects, ZeroIsTheSameImageAndUnknownEffectsGiveNothing)
{
    const QImage image = testPicture(40, 30);
    EXPECT_EQ(ZVDesignHelper::applyEffect(0, image).cacheKey(), image.cacheKey());
    EXPECT_TRUE(ZVDesignHelper::applyEffect(12, image).isNull());
    EXPECT_TRUE(ZVDesignHelper::applyEffect(-1, image).isNull());
    EXPECT_TRUE(ZVDesignHelper::applyEffect(5, QImage()).isNull());
}

TEST(ImageEffects, EveryEffectKeepsTheSizeEvenForOddAndTinyPictures)
{
    for (const QSize size : {QSize(57, 43), QSize(1, 1), QSize(3, 200)}) {
        const QImage image = testPicture(size.width(), size.height());
        for (int effect = 1; effect <= 11; ++effect) {
            const QImage out = ZVDesignHelper::applyEffect(effect, image);
            ASSERT_FALSE(out.isNull()) << effect;
            EXPECT_EQ(out.size(), size) << "effect " << effect;
        }
    }
}

TEST(ImageEffects, MonochromeInvertPosterizeAndPixellateDoWhatTheySay)
{
    const QImage image = rgba(testPicture(101, 67));

    const QImage mono = rgba(ZVDesignHelper::applyEffect(1, image));
    for (int y = 0; y < mono.height(); ++y)
        for (int x = 0; x < mono.width(); ++x) {
            const QRgb p = mono.pixel(x, y);
            ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
        }

    const QImage twice = rgba(ZVDesignHelper::applyEffect(3, ZVDesignHelper::applyEffect(3, image)));
    EXPECT_EQ(twice, image);
    const QImage once = rgba(ZVDesignHelper::applyEffect(3, image));
    EXPECT_EQ(qRed(once.pixel(100, 0)), 255 - qRed(image.pixel(100, 0)));
    EXPECT_EQ(qAlpha(once.pixel(0, 0)), qAlpha(image.pixel(0, 0)));

    const QImage poster = rgba(ZVDesignHelper::applyEffect(2, image));
    QSet<int> reds, greens, blues;
    for (int y = 0; y < poster.height(); ++y)
        for (int x = 0; x < poster.width(); ++x) {
            reds << qRed(poster.pixel(x, y));
            greens << qGreen(poster.pixel(x, y));
            blues << qBlue(poster.pixel(x, y));
        }
    EXPECT_LE(reds.size(), 4);
    EXPECT_LE(greens.size(), 4);
    EXPECT_LE(blues.size(), 4);
    EXPECT_GE(reds.size(), 2);

    const QImage blocks = ZVDesignHelper::applyEffect(11, image);
    for (int y = 0; y < blocks.height(); ++y)
        for (int x = 0; x < blocks.width(); ++x)
            ASSERT_EQ(blocks.pixel(x, y), blocks.pixel(x / 20 * 20, y / 20 * 20)) << x << "," << y;
    EXPECT_NE(blocks.pixel(0, 0), blocks.pixel(40, 40));
}

TEST(ImageEffects, FiltersChangeThePictureWithinRange)
{
    const QImage image = rgba(testPicture(80, 60));
    for (int effect = 4; effect <= 10; ++effect) {
        const QImage out = rgba(ZVDesignHelper::applyEffect(effect, image));
        EXPECT_NE(out, image) << effect;
    }
    // Sepia pixels are warm: red at least green at least blue.
    const QImage sepia = rgba(ZVDesignHelper::applyEffect(5, image));
    const QRgb p = sepia.pixel(60, 50);
    EXPECT_GE(qRed(p), qGreen(p));
    EXPECT_GE(qGreen(p), qBlue(p));
    // Edges of a flat picture are black; line overlay of it is empty.
    QImage flat(50, 50, QImage::Format_RGBA8888);
    flat.fill(QColor(120, 130, 140));
    EXPECT_EQ(rgba(ZVDesignHelper::applyEffect(9, flat)).pixel(25, 25), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(rgba(ZVDesignHelper::applyEffect(10, flat)).pixel(25, 25)), 0);
    // Crystallize gives flat cells: far fewer colours than the gradient had.
    const QImage cells = rgba(ZVDesignHelper::applyEffect(8, image));
    QSet<QRgb> colours;
    for (int y = 0; y < cells.height(); ++y)
        for (int x = 0; x < cells.width(); ++x)
            colours << cells.pixel(x, y);
    EXPECT_LT(colours.size(), 40);
}
