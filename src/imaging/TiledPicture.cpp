#include "imaging/TiledPicture.h"

#include "imaging/ImageBitmap.h"
#include "imaging/PictureConversions.h"
#include "imaging/PicturePlaceholder.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

// A block of tiles is drawn from one bitmap at most this many pixels a side.
constexpr int kLargestBlockSide = 2048;
// Averages are worked out on a picture no larger than this a side.
constexpr int kAveragedSide = 64;
constexpr int kAveragesKept = 256;

// The part of `area` the painter can change: within its clip and its device.
QRectF visiblePart(const QPainter& painter, const QRectF& area)
{
    QRectF visible = area;
    if (painter.hasClipping())
        visible &= painter.clipBoundingRect();
    const QPaintDevice* device = painter.device();
    bool invertible = false;
    const QTransform back = painter.deviceTransform().inverted(&invertible);
    if (device && invertible && device->width() > 0 && device->height() > 0) {
        // Scaled by the pixel ratio in case the transform counts it: a
        // larger area only costs drawing, a smaller one would lose tiles.
        const double ratio = std::max(1.0, device->devicePixelRatioF());
        visible &= back.mapRect(QRectF(0, 0, device->width() * ratio, device->height() * ratio));
    }
    return visible;
}

// The picture drawn whole into `pixels`; on a screen that shows a pending
// EPS conversion as a placeholder, null until the conversion is done.
QImage pixelsOf(const QPainter& painter, const Image& image, QSize pixels)
{
    const ImageRep first = image.firstRepresentation();
    if (first.kind() == ImageRep::Kind::Eps && PictureConversionScope::mayShowPlaceholder(painter)) {
        const PictureConversions::Lookup found = PictureConversions::shared().convertedLater(
            first.data(), first.size(), pixels, PictureConversionScope::document());
        return found.state == PictureConversions::State::Ready ? found.image : QImage();
    }
    QImage bitmap(pixels, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull())
        return {};
    bitmap.fill(Qt::transparent);
    QPainter into(&bitmap);
    into.setRenderHint(QPainter::SmoothPixmapTransform);
    drawImagePart(into, image, QRectF(QPointF(0, 0), QSizeF(pixels)), QRectF(QPointF(0, 0), image.size()));
    return bitmap;
}

QColor averageOf(const QImage& picture)
{
    if (picture.isNull())
        return Qt::transparent;
    // Smooth scaling averages the pixels each result pixel covers.
    const QImage small = picture
                             .scaled(std::min(picture.width(), kAveragedSide), std::min(picture.height(), kAveragedSide),
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sums[4] = {0, 0, 0, 0};
    for (int y = 0; y < small.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(small.constScanLine(y));
        for (int x = 0; x < small.width(); ++x) {
            sums[0] += qRed(line[x]);
            sums[1] += qGreen(line[x]);
            sums[2] += qBlue(line[x]);
            sums[3] += qAlpha(line[x]);
        }
    }
    const double count = double(small.width()) * double(small.height());
    const QRgb premultiplied = qRgba(int(std::lround(sums[0] / count)), int(std::lround(sums[1] / count)),
                                     int(std::lround(sums[2] / count)), int(std::lround(sums[3] / count)));
    return QColor::fromRgba(qUnpremultiply(premultiplied));
}

// The average of a large bitmap takes a while: each bitmap's is kept.
QColor cachedAverage(const QImage& bitmap)
{
    static QMutex mutex;
    static QHash<qint64, QRgb> averages;
    {
        const QMutexLocker lock(&mutex);
        if (const auto hit = averages.constFind(bitmap.cacheKey()); hit != averages.constEnd())
            return QColor::fromRgba(*hit);
    }
    const QColor average = averageOf(bitmap);
    const QMutexLocker lock(&mutex);
    if (averages.size() >= kAveragesKept)
        averages.clear();
    averages.insert(bitmap.cacheKey(), average.rgba());
    return average;
}

// How many pixels of the device one point along each axis of the painter
// covers.
QSizeF devicePixelsPerPoint(const QPainter& painter)
{
    const QTransform t = painter.deviceTransform();
    return QSizeF(std::hypot(t.m11(), t.m12()), std::hypot(t.m21(), t.m22()));
}

QSize bitmapSize(double width, double height)
{
    return QSize(std::clamp(int(std::ceil(width - 1e-6)), 1, kLargestBlockSide),
                 std::clamp(int(std::ceil(height - 1e-6)), 1, kLargestBlockSide));
}

} // namespace

QColor TiledPicture::averageColour(const Image& image)
{
    if (!hasPixels(image) || image.isUndecodable())
        return Qt::transparent;
    const ImageRep first = image.firstRepresentation();
    if (first.kind() == ImageRep::Kind::Bitmap && !first.image().isNull())
        return cachedAverage(first.image());
    QImage drawn(kAveragedSide / 4, kAveragedSide / 4, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
        QPainter into(&drawn);
        drawImagePart(into, image, QRectF(drawn.rect()), QRectF(QPointF(0, 0), image.size()));
    }
    return averageOf(drawn);
}

void TiledPicture::paint(QPainter& painter, const Image& image, const QRectF& area, QPointF origin, QSizeF tileSize,
                         double opacity)
{
    if (image.isUndecodable()) {
        drawPicturePlaceholder(painter, area, opacity);
        return;
    }
    if (!hasPixels(image) || area.isEmpty() || !(tileSize.width() > 0 && tileSize.height() > 0)
        || !std::isfinite(tileSize.width()) || !std::isfinite(tileSize.height()))
        return;
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    const QRectF visible = visiblePart(painter, area);
    const QSizeF density = devicePixelsPerPoint(painter);
    const QSizeF tilePixels(tileSize.width() * density.width(), tileSize.height() * density.height());
    const double firstColumn = std::floor((visible.left() - origin.x()) / tileSize.width());
    const double firstRow = std::floor((visible.top() - origin.y()) / tileSize.height());
    const double columns = std::ceil((visible.right() - origin.x()) / tileSize.width()) - firstColumn;
    const double rows = std::ceil((visible.bottom() - origin.y()) / tileSize.height()) - firstRow;
    const QSizeF whole = image.size();
    if (visible.isEmpty() || !(columns >= 1 && rows >= 1)) {
        // nothing of the area shows
    } else if (tilePixels.width() < 1.0 || tilePixels.height() < 1.0 || !(columns * rows < 1e12)) {
        // Tiles the device cannot tell apart blend into one colour.
        const ImageRep first = image.firstRepresentation();
        const bool pending = first.kind() == ImageRep::Kind::Eps && PictureConversionScope::mayShowPlaceholder(painter);
        const QImage converted = pending ? pixelsOf(painter, image, bitmapSize(kAveragedSide, kAveragedSide)) : QImage();
        if (pending && converted.isNull()) {
            drawPicturePlaceholder(painter, visible, opacity);
        } else {
            QColor colour = pending ? averageOf(converted) : averageColour(image);
            colour.setAlphaF(float(colour.alphaF() * std::clamp(opacity, 0.0, 1.0)));
            painter.fillRect(visible, colour);
        }
    } else if (columns * rows <= kMostTiles) {
        for (double column = firstColumn; column < firstColumn + columns; ++column) {
            for (double row = firstRow; row < firstRow + rows; ++row) {
                const QRectF tile(origin + QPointF(column * tileSize.width(), row * tileSize.height()), tileSize);
                drawImagePart(painter, image, tile, QRectF(QPointF(0, 0), whole), QPainter::CompositionMode_SourceOver,
                              opacity);
            }
        }
    } else {
        // Blocks of tiles, as many across as down in proportion to the
        // area, each drawn from one bitmap filled with the tile.
        const double blocksAcross = std::clamp(std::round(std::sqrt(kMostTiles * columns / rows)), 1.0, columns);
        const double blocksDown = std::max(1.0, std::floor(kMostTiles / blocksAcross));
        const double across = std::ceil(columns / blocksAcross);
        const double down = std::ceil(rows / blocksDown);
        const QSizeF blockSize(across * tileSize.width(), down * tileSize.height());
        const QImage tile = pixelsOf(painter, image, bitmapSize(tilePixels.width(), tilePixels.height()));
        QImage block(bitmapSize(across * tilePixels.width(), down * tilePixels.height()),
                     QImage::Format_ARGB32_Premultiplied);
        if (tile.isNull() || block.isNull()) {
            drawPicturePlaceholder(painter, visible, opacity);
        } else {
            block.fill(Qt::transparent);
            {
                QPainter into(&block);
                into.setRenderHint(QPainter::SmoothPixmapTransform);
                into.scale(block.width() / blockSize.width(), block.height() / blockSize.height());
                QBrush brush(tile);
                brush.setTransform(QTransform::fromScale(tileSize.width() / tile.width(),
                                                         tileSize.height() / tile.height()));
                into.fillRect(QRectF(QPointF(0, 0), blockSize), brush);
            }
            // Drawn as it is: one bitmap, which a PDF holds once.
            painter.setOpacity(painter.opacity() * std::clamp(opacity, 0.0, 1.0));
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            for (double column = firstColumn; column < firstColumn + columns; column += across) {
                for (double row = firstRow; row < firstRow + rows; row += down) {
                    const QPointF at = origin + QPointF(column * tileSize.width(), row * tileSize.height());
                    painter.drawImage(QRectF(at, blockSize), block);
                }
            }
        }
    }
    painter.restore();
}

} // namespace ql
