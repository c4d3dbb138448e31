#include "imaging/ImageBitmap.h"
#include "imaging/ImageEdits.h"
#include "imaging/ImageFitting.h"
#include "imaging/ImageMask.h"
#include "design/ZVDesignHelper.h"
#include "platform/object/KVObject.h"

#include <QBuffer>
#include <QPainter>
#include <gtest/gtest.h>
#include <limits>

using namespace ql;

namespace {

// Two halves: red on the left, blue on the right.
Image halves(int w, int h)
{
    QImage bitmap(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.setPixel(x, y, x < w / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    return Image(bitmap);
}

QRgb pixel(const Image& image, int x, int y)
{
    return bitmapOf(image).pixel(x, y);
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class ImageContent : public KVObject {
public:
    using KVObject::KVObject;
    const PropertyTable& properties() const override
    {
        static const PropertyTable table = PropertyTableBuilder<ImageContent>(&baseTable())
                                               .field("image", &ImageContent::m_image)
                                               .field("originalImage", &ImageContent::m_originalImage)
                                               .build();
        return table;
    }
    Image m_image;
    Image m_originalImage;
};

} // namespace

TEST(ImageFitting, TheFourMethodsPlaceThePictureAsDescribed)
{
    const Image wide = halves(200, 100);
    // Fit: a 100 × 50 picture centred at y 25, the rest untouched.
    const QImage fit = bitmapOf(imageToFitSize(wide, QSizeF(100, 100), FitWhole));
    ASSERT_EQ(fit.size(), QSize(100, 100));
    EXPECT_EQ(qAlpha(fit.pixel(50, 10)), 0);
    EXPECT_EQ(qAlpha(fit.pixel(50, 90)), 0);
    EXPECT_EQ(fit.pixel(10, 30), qRgb(255, 0, 0));
    EXPECT_EQ(fit.pixel(90, 70), qRgb(0, 0, 255));
    EXPECT_EQ(qAlpha(fit.pixel(50, 24)), 0);
    EXPECT_EQ(qAlpha(fit.pixel(50, 26)), 255);

    // Centred fill: 50 points cut from each side, so the seam is in the middle.
    const QImage fill = bitmapOf(imageCroppedToFitSize(wide, QSizeF(100, 100)));
    EXPECT_EQ(fill.pixel(45, 50), qRgb(255, 0, 0));
    EXPECT_EQ(fill.pixel(55, 50), qRgb(0, 0, 255));
    EXPECT_EQ(qAlpha(fill.pixel(0, 0)), 255);

    // Height governs: 2 keeps the left side (all red), 3 the right (all blue).
    EXPECT_EQ(bitmapOf(imageToFitSize(wide, QSizeF(100, 100), FitFillTopLeft)).pixel(95, 50), qRgb(255, 0, 0));
    EXPECT_EQ(bitmapOf(imageToFitSize(wide, QSizeF(100, 100), FitFillBottomRight)).pixel(5, 50), qRgb(0, 0, 255));

    // Width governs on a tall picture: 2 keeps the top, 3 the bottom.
    QImage tall(100, 200, QImage::Format_ARGB32);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 100; ++x)
            tall.setPixel(x, y, y < 100 ? qRgb(0, 255, 0) : qRgb(0, 0, 0));
    EXPECT_EQ(bitmapOf(imageToFitSize(Image(tall), QSizeF(100, 100), FitFillTopLeft)).pixel(50, 95), qRgb(0, 255, 0));
    EXPECT_EQ(bitmapOf(imageToFitSize(Image(tall), QSizeF(100, 100), FitFillBottomRight)).pixel(50, 5), qRgb(0, 0, 0));

    EXPECT_TRUE(imageToFitSize(Image(), QSizeF(10, 10), FitWhole).isNull());
    EXPECT_TRUE(imageToFitSize(wide, QSizeF(0, 10), FitWhole).isNull());
}

TEST(ImageFitting, ResizeStretchesFitsFillsAndHonoursTheSizingMode)
{
    const Image square = halves(100, 100);
    const Image stretched = resizedToSize(square, QSizeF(50, 200), ScaleStretch);
    EXPECT_EQ(stretched.size(), QSizeF(50, 200));
    EXPECT_EQ(pixel(stretched, 10, 190), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(stretched, 40, 10), qRgb(0, 0, 255));

    const Image kept = resizedToSize(square, QSizeF(200, 200), ScaleStretch, SizingShrink);
    EXPECT_EQ(kept.size(), QSizeF(100, 100));

    // Fit letterboxes; fill crops the middle.
    const Image fitted = resizedToSize(halves(200, 100), QSizeF(100, 100), ScaleFit);
    EXPECT_EQ(qAlpha(pixel(fitted, 50, 5)), 0);
    EXPECT_EQ(pixel(fitted, 10, 50), qRgb(255, 0, 0));
    const Image filled = resizedToSize(halves(200, 100), QSizeF(100, 100), ScaleFill);
    EXPECT_EQ(qAlpha(pixel(filled, 50, 5)), 255);
    EXPECT_EQ(pixel(filled, 45, 50), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(filled, 55, 50), qRgb(0, 0, 255));

    EXPECT_TRUE(resizedToSize(Image(), QSizeF(10, 10), ScaleStretch).isNull());
}

TEST(ImageEdits, FlipsMirrorLeftRightAndTopBottom)
{
    QImage bitmap(10, 20, QImage::Format_ARGB32);
    bitmap.fill(Qt::white);
    bitmap.setPixel(0, 0, qRgb(255, 0, 0));
    const Image original(bitmap);

    Image mirrored = original;
    flipImageHorizontally(mirrored);
    EXPECT_EQ(pixel(mirrored, 9, 0), qRgb(255, 0, 0));
    flipImageVertically(mirrored);
    EXPECT_EQ(pixel(mirrored, 9, 19), qRgb(255, 0, 0));
    flipImageVertically(mirrored);
    flipImageHorizontally(mirrored);
    EXPECT_EQ(bitmapOf(mirrored), bitmapOf(original));

    ImageContent content;
    content.m_image = original;
    ZVDesignHelper::flipImageHorizontally(&content);
    EXPECT_EQ(pixel(content.m_image, 9, 0), qRgb(255, 0, 0)) << "left to right";
    EXPECT_EQ(content.m_originalImage, content.m_image);
    EXPECT_EQ(content.m_image.size(), QSizeF(10, 20));
    ZVDesignHelper::flipImageHorizontally(&content);
    EXPECT_EQ(bitmapOf(content.m_image), bitmapOf(original));

    content.m_image = original;
    ZVDesignHelper::flipImageVertically(&content);
    EXPECT_EQ(pixel(content.m_image, 0, 19), qRgb(255, 0, 0)) << "top to bottom";
    ZVDesignHelper::flipImageVertically(&content);
    EXPECT_EQ(bitmapOf(content.m_image), bitmapOf(original));
    ZVDesignHelper::flipImageVertically(nullptr);
}

TEST(ImageEdits, TrimTransparencyTintRotateAndCompress)
{
    QImage bitmap(100, 100, QImage::Format_ARGB32);
    bitmap.fill(Qt::transparent);
    QPainter(&bitmap).fillRect(QRect(20, 30, 10, 10), Qt::black);
    const Image sparse(bitmap);
    const Image trimmed = imageByTrimmingTransparentPixels(sparse);
    EXPECT_EQ(trimmed.size(), QSizeF(10, 10));
    EXPECT_EQ(qAlpha(pixel(trimmed, 0, 0)), 255);

    QImage empty(50, 50, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    const Image clear(empty);
    EXPECT_EQ(imageByTrimmingTransparentPixels(clear), clear);
    const Image dot(QImage(1, 1, QImage::Format_ARGB32));
    EXPECT_EQ(imageByTrimmingTransparentPixels(dot), dot);

    EXPECT_TRUE(hasTransparency(*Image::fromData(encoded(bitmap, "PNG"))));
    EXPECT_FALSE(hasTransparency(*Image::fromData(encoded(bitmap, "JPEG"))));
    EXPECT_FALSE(hasTransparency(Image()));

    const Image tinted = imageTintedWithColor(sparse, Color::calibratedRgb(0, 1, 0));
    EXPECT_EQ(pixel(tinted, 25, 35), qRgb(0, 255, 0));
    EXPECT_EQ(qAlpha(pixel(tinted, 5, 5)), 0);

    const Image turned = imageRotatedByDegrees(halves(200, 100), 90);
    EXPECT_NEAR(turned.size().width(), 100, 1e-6);
    EXPECT_NEAR(turned.size().height(), 200, 1e-6);
    // Counter-clockwise: the left (red) half ends at the bottom.
    EXPECT_EQ(pixel(turned, 50, 190), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(turned, 50, 10), qRgb(0, 0, 255));

    const Image recompressed = imageCompressedByFactor(halves(64, 64), 0.5f);
    ASSERT_FALSE(recompressed.isNull());
    EXPECT_EQ(recompressed.size(), QSizeF(64, 64));
    EXPECT_FALSE(recompressed.hasAlpha());

    const QImage rep = bitmapImageRepresentation(halves(30, 20));
    EXPECT_EQ(rep.size(), QSize(30, 20));
    EXPECT_EQ(rep.format(), QImage::Format_RGBA8888);
    EXPECT_TRUE(bitmapImageRepresentation(Image()).isNull());

    const Image rounded = roundCornersImageCornerRadius(halves(40, 40), 10);
    EXPECT_EQ(qAlpha(pixel(rounded, 0, 0)), 0);
    EXPECT_EQ(qAlpha(pixel(rounded, 20, 20)), 255);
}

TEST(ImageMask, MasksCropsAndPixels)
{
    const Image image = halves(40, 40);
    QImage maskBitmap(40, 40, QImage::Format_RGB32);
    maskBitmap.fill(Qt::white);
    QPainter(&maskBitmap).fillRect(QRect(0, 0, 40, 20), Qt::black);
    const Image masked = maskImage(image, Image(maskBitmap));
    EXPECT_EQ(qAlpha(pixel(masked, 5, 5)), 255);
    EXPECT_EQ(qAlpha(pixel(masked, 5, 35)), 0);
    EXPECT_EQ(maskImage(image, Image()), image);
    EXPECT_TRUE(maskImage(Image(), image).isNull());

    const Image right = crop(image, QRect(20, 0, 20, 40));
    EXPECT_EQ(right.size(), QSizeF(20, 40));
    EXPECT_EQ(pixel(right, 0, 0), qRgb(0, 0, 255));
    EXPECT_TRUE(crop(image, QRect(100, 100, 5, 5)).isNull());

    // Bottom-left origin for imageCroppedInRect, top-left for imageFromRect.
    QImage rows(10, 10, QImage::Format_ARGB32);
    rows.fill(Qt::white);
    QPainter(&rows).fillRect(QRect(0, 0, 10, 2), Qt::black);
    EXPECT_EQ(pixel(imageCroppedInRect(Image(rows), QRectF(0, 8, 10, 2)), 5, 0), qRgb(0, 0, 0));
    EXPECT_EQ(pixel(imageFromRect(Image(rows), QRectF(0, 0, 10, 2)), 5, 1), qRgb(0, 0, 0));

    Image canvas = halves(40, 40);
    QImage green(10, 10, QImage::Format_ARGB32);
    green.fill(qRgb(0, 255, 0));
    pasteImage(canvas, Image(green), QRectF(0, 0, 10, 10));
    EXPECT_EQ(pixel(canvas, 5, 5), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(canvas, 5, 15), qRgb(255, 0, 0));

    QImage band(20, 50, QImage::Format_ARGB32);
    band.fill(Qt::transparent);
    QPainter(&band).fillRect(QRect(0, 20, 20, 5), Qt::black);
    const Image cut = cropAlpha(Image(band), 2);
    EXPECT_EQ(cut.size(), QSizeF(20, 9));
    // A margin past the image stops at its edges.
    EXPECT_EQ(cropAlpha(Image(band), std::numeric_limits<int>::max()).size(), QSizeF(20, 50));
    EXPECT_EQ(cropAlpha(Image(band), -2).size(), QSizeF(20, 1));
    EXPECT_TRUE(cropAlpha(Image(band), std::numeric_limits<int>::min()).isNull());
    EXPECT_TRUE(cropAlpha(Image(), 2).isNull());

    QImage rgba(2, 2, QImage::Format_RGBA8888);
    rgba.fill(QColor(10, 20, 30, 40));
    EXPECT_EQ(pixelAt(rgba, QPointF(1.7, 1.2)), (std::array<int, 4> {10, 20, 30, 40}));
    EXPECT_EQ(pixelAt(rgba, QPointF(5, 5)), (std::array<int, 4> {0, 0, 0, 0}));
}

TEST(ImageHelpers, ZeroSizeImagesGiveNullResultsWithoutCrashing)
{
    Image zero = halves(10, 10);
    zero.setSize(QSizeF(0, 0));
    for (const Image& image : {zero, Image()}) {
        EXPECT_TRUE(roundCornersImageCornerRadius(image, 4).isNull());
        EXPECT_TRUE(resizedToSize(image, QSizeF(10, 10), ScaleFill).isNull());
        EXPECT_TRUE(imageToFitSize(image, QSizeF(10, 10), FitFillCentred).isNull());
        EXPECT_TRUE(imageRotatedByDegrees(image, 30).isNull());
        EXPECT_TRUE(bitmapImageRepresentation(image).isNull());
        EXPECT_TRUE(imageFromRect(image, QRectF(0, 0, 5, 5)).isNull());
        EXPECT_TRUE(imageCroppedInRect(image, QRectF(0, 0, 5, 5)).isNull());
        EXPECT_TRUE(crop(image, QRect(0, 0, 5, 5)).isNull());
        EXPECT_EQ(imageByTrimmingTransparentPixels(image), image);
        Image flipped = image;
        flipImageVertically(flipped);
        EXPECT_TRUE(bitmapOf(flipped).isNull());
        QImage canvas(10, 10, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        drawInRect(painter, image, QRectF(0, 0, 10, 10), QPainter::CompositionMode_SourceOver, 1.0f, FitWhole);
        painter.end();
        EXPECT_EQ(qAlpha(canvas.pixel(5, 5)), 0);
    }
}

TEST(ImageEdits, TrimLooksAtEveryPixelOfAnImageWithAFractionalSize)
{
    // 10 pixels over 9.85 points: size × density lands just under 10.
    QImage bitmap(10, 10, QImage::Format_ARGB32);
    bitmap.fill(Qt::transparent);
    bitmap.setPixel(0, 4, qRgb(255, 0, 0));
    bitmap.setPixel(9, 4, qRgb(0, 0, 255));
    const Image image = imageFromBitmap(bitmap, QSizeF(9.85, 9.85));
    const Image trimmed = imageByTrimmingTransparentPixels(image);
    EXPECT_EQ(trimmed.pixelSize(), QSize(10, 1));
    const QImage kept = bitmapOf(trimmed, pixelDensity(trimmed));
    ASSERT_EQ(kept.width(), 10);
    EXPECT_EQ(kept.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(kept.pixel(9, 0), qRgb(0, 0, 255));
}
