#include "imaging/ImageMask.h"

#include "imaging/ImageBitmap.h"

#include <QPainter>
#include <cmath>

namespace ql {

Image maskImage(const Image& image, const Image& mask)
{
    if (image.isNull() || mask.isNull())
        return image;
    // What the mask hides is not known, so none of the image may show.
    if (mask.isUndecodable())
        return Image(ImageRep::undecodable(mask.firstRepresentation().encodedData(), image.size()));
    const double scale = pixelDensity(image);
    QImage bitmap = bitmapOf(image, scale);
    if (bitmap.isNull())
        return image;
    // The mask stretches over the whole image; its transparent parts count
    // as white. It needs no more pixels than the image has: a mask too large
    // to decode whole is decoded that small.
    QImage coverage(bitmap.size(), QImage::Format_RGB32);
    coverage.fill(Qt::white);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        drawImagePart(painter, mask, QRectF(coverage.rect()), QRectF(QPointF(0, 0), mask.size()));
    }
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        const auto* in = reinterpret_cast<const QRgb*>(coverage.constScanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            const int keep = 255 - qGray(in[x]);
            const QRgb p = out[x];
            // Premultiplied: every component scales with the coverage.
            out[x] = qRgba(qRed(p) * keep / 255, qGreen(p) * keep / 255, qBlue(p) * keep / 255, qAlpha(p) * keep / 255);
        }
    }
    return imageFromBitmap(bitmap, image.size());
}

Image crop(const Image& image, const QRect& rect)
{
    const double scale = pixelDensity(image);
    const QImage bitmap = bitmapOf(image, scale);
    const QRect part = rect.intersected(bitmap.rect());
    if (bitmap.isNull() || part.isEmpty())
        return {};
    return imageFromBitmap(bitmap.copy(part), QSizeF(part.size()) / scale);
}

namespace {

// A rectangle measured from the top, turned into the bottom-up one that the
// drawing takes (whole points), and back into top-down drawing coordinates.
QRectF fromTop(const QRectF& rect, double imageHeight)
{
    const double bottomUpY = std::trunc(imageHeight - (rect.y() + rect.height()));
    return QRectF(rect.x(), imageHeight - bottomUpY - rect.height(), rect.width(), rect.height());
}

} // namespace

Image imageFromRect(const Image& image, const QRectF& rect)
{
    const double scale = pixelDensity(image);
    QImage bitmap = blankBitmap(rect.size(), scale);
    if (bitmap.isNull() || !hasPixels(image))
        return {};
    QPainter painter(&bitmap);
    painter.scale(scale, scale);
    drawImagePart(painter, image, QRectF(QPointF(0, 0), rect.size()), fromTop(rect, image.size().height()),
                  QPainter::CompositionMode_Source);
    painter.end();
    return imageFromBitmap(bitmap, rect.size());
}

void pasteImage(Image& image, const Image& other, const QRectF& rect)
{
    const double scale = pixelDensity(image);
    QImage bitmap = bitmapOf(image, scale);
    if (bitmap.isNull() || other.isNull())
        return;
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    drawImagePart(painter, other, fromTop(rect, image.size().height()), QRectF(QPointF(0, 0), other.size()),
                  QPainter::CompositionMode_Source);
    painter.end();
    image = imageFromBitmap(bitmap, image.size());
}

Image cropAlpha(const Image& image, int margin)
{
    if (image.isNull())
        return {};
    const QImage bitmap = bitmapOf(image).convertToFormat(QImage::Format_RGBA8888);
    if (bitmap.isNull())
        return image;
    const double x = bitmap.width() / 2;
    int first = -1;
    int last = -1;
    for (int y = 0; y < bitmap.height(); ++y) {
        if (pixelAt(bitmap, QPointF(x, y))[3] != 0) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    if (first < 0)
        return image;
    // Any margin, however large either way, stays within the image.
    const qint64 top = std::max<qint64>(0, qint64(first) - margin);
    const qint64 bottom = std::min<qint64>(bitmap.height() - 1, qint64(last) + margin);
    if (bottom < top)
        return {};
    return imageFromRect(image, QRectF(0, double(top), image.size().width(), double(bottom - top + 1)));
}

std::array<int, 4> pixelAt(const QImage& bitmap, QPointF point)
{
    const int x = int(point.x());
    const int y = int(point.y());
    const qint64 bitsPerPixel = bitmap.depth();
    if (bitmap.isNull() || bitsPerPixel < 8 || x < 0 || y < 0 || x >= bitmap.width() || y >= bitmap.height())
        return {0, 0, 0, 0};
    const qint64 bytesPerRow = bitmap.bytesPerLine();
    const qint64 offset = (y * (bytesPerRow / (bitsPerPixel / 8)) + x) * bitsPerPixel;
    const qint64 component = bitsPerPixel / 4;
    const uchar* data = bitmap.constBits();
    const qint64 size = bitmap.sizeInBytes();
    std::array<int, 4> values {};
    for (int i = 0; i < 4; ++i) {
        const qint64 byte = (offset + i * component) / 8;
        values[i] = byte < size ? data[byte] : 0;
    }
    return values;
}

} // namespace ql
