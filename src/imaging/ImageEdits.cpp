#include "imaging/ImageEdits.h"

#include "imaging/ImageBitmap.h"

#include <QPainter>
#include <QTransform>
#include <cmath>

namespace ql {

namespace {

// Redraws the image's pixels through `edit` at its own resolution.
template <class Edit>
Image edited(const Image& image, Edit edit)
{
    const QImage bitmap = bitmapOf(image, pixelDensity(image));
    if (bitmap.isNull())
        return image;
    return imageFromBitmap(edit(bitmap), image.size());
}

// The image's own pixels mirrored: a bitmap keeps its pixel size, its size
// in points and its resolution, so that a flip loses nothing and a second
// one gives the same pixels back. A PDF, EPS or drawing has no pixels of
// its own and is rendered at its edit resolution first.
// Null when the pixels cannot be had, as for a picture whose size does not
// even read.
Image mirrored(const Image& image, bool leftToRight, bool topToBottom)
{
    if (image.isNull())
        return image;
    if (!hasPixels(image))
        return {};
    const ImageRep own = image.firstRepresentation();
    QImage pixels = own.isVector() || own.isDrawn() ? bitmapOf(image, pixelDensity(image)) : own.image();
    if (pixels.isNull())
        return {};
    pixels = pixels.mirrored(leftToRight, topToBottom);
    // The resolution stored with the pixels is what gives a saved picture
    // its size in points again.
    const QSizeF points = image.size();
    pixels.setDotsPerMeterX(int(std::lround(72.0 * pixels.width() / points.width() / 0.0254)));
    pixels.setDotsPerMeterY(int(std::lround(72.0 * pixels.height() / points.height() / 0.0254)));
    return imageFromBitmap(pixels, points);
}

} // namespace

namespace {

bool mirrorInPlace(Image& image, bool leftToRight, bool topToBottom)
{
    Image result = mirrored(image, leftToRight, topToBottom);
    if (result.isNull() && !image.isNull())
        return false;
    image = std::move(result);
    return true;
}

} // namespace

bool flipImageVertically(Image& image)
{
    return mirrorInPlace(image, false, true);
}

bool flipImageHorizontally(Image& image)
{
    return mirrorInPlace(image, true, false);
}

Image imageRotatedHalfTurn(const Image& image)
{
    Image turned = mirrored(image, true, true);
    return turned.isNull() ? image : turned;
}

Image imageCroppedInRect(const Image& image, const QRectF& rect)
{
    const double scale = pixelDensity(image);
    QImage bitmap = blankBitmap(rect.size(), scale);
    if (bitmap.isNull() || !hasPixels(image))
        return {};
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    const QRectF source(rect.x(), image.size().height() - rect.y() - rect.height(), rect.width(), rect.height());
    drawImagePart(painter, image, QRectF(QPointF(0, 0), rect.size()), source);
    painter.end();
    return imageFromBitmap(bitmap, rect.size());
}

Image imageTintedWithColor(const Image& image, const Color& color)
{
    return edited(image, [&color](QImage b) {
        QPainter painter(&b);
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.fillRect(b.rect(), color.toQColor());
        return b;
    });
}

Image imageRotatedByDegrees(const Image& image, double degrees)
{
    const QSizeF size = image.size();
    if (image.isNull() || size.isEmpty())
        return {};
    // Bottom-up coordinates turn counter-clockwise for positive angles; on
    // our top-down bitmaps that is a negative turn.
    QTransform turn;
    turn.rotate(-degrees);
    const QRectF bounds = turn.mapRect(QRectF(QPointF(0, 0), size));
    const double scale = pixelDensity(image);
    QImage bitmap = blankBitmap(bounds.size(), scale);
    if (bitmap.isNull())
        return {};
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.translate(bounds.width() / 2, bounds.height() / 2);
    painter.rotate(-degrees);
    const QRectF target(-size.width() / 2, -size.height() / 2, size.width(), size.height());
    drawImagePart(painter, image, target, QRectF(QPointF(0, 0), size), QPainter::CompositionMode_Source);
    painter.end();
    return imageFromBitmap(bitmap, bounds.size());
}

Image imageCompressedByFactor(const Image& image, float factor)
{
    const QImage bitmap = bitmapOf(image, pixelDensity(image));
    if (bitmap.isNull())
        return {};
    const Result<QByteArray> jpeg = imageFromBitmap(bitmap, image.size()).encoded(Image::Format::Jpeg,
                                                                                 std::clamp(double(factor), 0.0, 1.0));
    if (!jpeg)
        return {};
    Result<Image> decoded = Image::fromData(jpeg.value());
    if (!decoded)
        return {};
    decoded->setSize(image.size());
    return decoded.value();
}

QImage bitmapImageRepresentation(const Image& image)
{
    const QSize size(int(image.size().width()), int(image.size().height()));
    if (image.isNull() || size.width() <= 0 || size.height() <= 0)
        return {};
    QImage bitmap(size, QImage::Format_RGBA8888);
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    drawImagePart(painter, image, QRectF(QPointF(0, 0), image.size()), QRectF(QPointF(0, 0), image.size()),
                  QPainter::CompositionMode_Source);
    painter.end();
    return bitmap;
}

bool hasTransparency(const Image& image)
{
    if (image.isNull())
        return false;
    // Vector originals render on a transparent ground.
    // A stored picture's header tells without decoding it.
    const ImageRep first = image.firstRepresentation();
    return image.isVector() || (first.isStored() ? first.hasAlpha() : first.image().hasAlphaChannel());
}

Image imageByTrimmingTransparentPixels(const Image& image)
{
    const double scale = pixelDensity(image);
    // The rendered bitmap's own size: a fractional point size times the
    // density can fall just short of it, and its last column would go unseen.
    const QImage pixels = bitmapOf(image, scale);
    const QImage bitmap = pixels.convertToFormat(QImage::Format_Alpha8);
    const int width = bitmap.width();
    const int height = bitmap.height();
    if (width <= 1 || height <= 1)
        return image;

    std::vector<bool> rows(height, false);
    std::vector<bool> columns(width, false);
    for (int y = 0; y < height; ++y) {
        const uchar* line = bitmap.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            if (line[x] != 0) {
                rows[y] = true;
                columns[x] = true;
            }
        }
    }
    const auto leading = [](const std::vector<bool>& marks) -> int {
        const auto it = std::find(marks.begin(), marks.end(), true);
        return it == marks.end() ? 0 : int(it - marks.begin());
    };
    const auto trailing = [](const std::vector<bool>& marks) -> int {
        const auto it = std::find(marks.rbegin(), marks.rend(), true);
        return it == marks.rend() ? 0 : int(it - marks.rbegin());
    };
    const int top = leading(rows);
    const int bottom = trailing(rows);
    const int left = leading(columns);
    const int right = trailing(columns);
    if (top == 0 && bottom == 0 && left == 0 && right == 0)
        return image;
    const QRect cut(left, top, width - left - right, height - top - bottom);
    return imageFromBitmap(pixels.copy(cut), QSizeF(cut.size()) / scale);
}

} // namespace ql
