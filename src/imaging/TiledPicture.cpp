#include "imaging/TiledPicture.h"

#include "imaging/ImageBitmap.h"
#include "imaging/PictureConversions.h"
#include "imaging/PicturePlaceholder.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QCache>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPaintEngine>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

// A tile is drawn from a bitmap at most this many pixels a side.
constexpr int kLargestTileSide = 4096;
// Vector pictures tile in PDF and print at this many pixels a point.
constexpr double kPrintPixelsPerPoint = 300.0 / 72.0;
// Bitmaps made for tiles are kept up to this many kilobytes.
constexpr int kKeptKilobytes = 32 * 1024;
// A picture is shrunk to its tiles on screen up to this many pixels; larger
// tiles are drawn from the picture itself.
constexpr double kLargestShrunkPixels = 2.0 * 1024 * 1024;
// A PDF pattern's cell spans at least this many points where it can...
constexpr double kShortestCell = 288.0;
// ...and holds no more than this many pixels.
constexpr double kLargestCellPixels = 2.0 * 1024 * 1024;
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
    if (!device || !invertible)
        return visible;
    // A widget paints into its window's backing store at the widget's
    // offset there, which the device transform includes; the system clip
    // says what it may change, in the same coordinates. Other devices
    // paint from their own corner.
    const QPaintEngine* engine = painter.paintEngine();
    const QRegion system = engine ? engine->systemClip() : QRegion();
    if (!system.isEmpty()) {
        visible &= back.mapRect(QRectF(system.boundingRect()));
    } else if (device->width() > 0 && device->height() > 0) {
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
    return QSize(std::clamp(int(std::ceil(width - 1e-6)), 1, kLargestTileSide),
                 std::clamp(int(std::ceil(height - 1e-6)), 1, kLargestTileSide));
}

struct BlockKey {
    qint64 picture;
    QSize pixels;
    bool operator==(const BlockKey&) const = default;
};

size_t qHash(const BlockKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.picture, key.pixels.width(), key.pixels.height());
}

// `picture` repeated to fill `pixels`. Each is made once and kept: a PDF
// holds a bitmap once however many fills show it.
QImage blockOf(const QImage& picture, QSize pixels)
{
    static QMutex mutex;
    static QCache<BlockKey, QImage> kept(kKeptKilobytes);
    const BlockKey key {picture.cacheKey(), pixels};
    {
        const QMutexLocker lock(&mutex);
        if (const QImage* hit = kept.object(key))
            return *hit;
    }
    QImage made(pixels, picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (made.isNull())
        return {};
    {
        QPainter into(&made);
        into.setCompositionMode(QPainter::CompositionMode_Source);
        for (int y = 0; y < pixels.height(); y += picture.height()) {
            for (int x = 0; x < pixels.width(); x += picture.width())
                into.drawImage(QPoint(x, y), picture);
        }
    }
    const QMutexLocker lock(&mutex);
    kept.insert(key, new QImage(made), int(std::max<qsizetype>(1, made.sizeInBytes() / 1024)));
    return made;
}

// What a fill repeats: a bitmap of `tiles` tiles.
struct Texture {
    QImage bitmap;
    QSize tiles {1, 1};
};

// On a bitmap device the texture has about the pixels a tile covers there
// (bilinear filtering would skip the pixels of a much larger one); PDF,
// print and recordings get the picture's own pixels.
Texture textureFor(const QPainter& painter, const Image& image, QSizeF tileSize, QSizeF tilePixels)
{
    const QPaintEngine* engine = painter.paintEngine();
    const bool raster = engine && engine->type() == QPaintEngine::Raster;
    const QSize covered = bitmapSize(tilePixels.width(), tilePixels.height());
    const ImageRep first = image.firstRepresentation();
    QImage tile;
    if (first.kind() == ImageRep::Kind::Bitmap) {
        tile = raster && first.isStored() ? first.imageForPixels(covered) : first.image();
        if (raster && double(covered.width()) * covered.height() <= kLargestShrunkPixels
            && (tile.width() > 2 * covered.width() || tile.height() > 2 * covered.height()))
            tile = reducedBitmap(tile, covered);
    } else {
        const QSizeF print = image.size() * kPrintPixelsPerPoint;
        tile = pixelsOf(painter, image,
                        raster ? covered
                               : bitmapSize(std::max(tilePixels.width(), print.width()),
                                            std::max(tilePixels.height(), print.height())));
    }
    if (tile.isNull())
        return {};
    // A one-bit texture would be painted in the brush's colour.
    if (tile.depth() == 1)
        tile = tile.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!engine || engine->type() != QPaintEngine::Pdf)
        return {tile, {1, 1}};
    // PDF viewers and printers draw a pattern's cell at whole device
    // pixels, and the rounding of a small cell adds up across a page: a
    // cell of several tiles keeps them near their place.
    double across = std::ceil(kShortestCell / tileSize.width());
    double down = std::ceil(kShortestCell / tileSize.height());
    const double pixels = across * down * double(tile.width()) * double(tile.height());
    if (pixels > kLargestCellPixels) {
        const double fewer = std::sqrt(kLargestCellPixels / pixels);
        across *= fewer;
        down *= fewer;
    }
    const QSize tiles(std::clamp(int(across), 1, std::max(1, kLargestTileSide / tile.width())),
                      std::clamp(int(down), 1, std::max(1, kLargestTileSide / tile.height())));
    if (tiles == QSize(1, 1))
        return {tile, tiles};
    const QImage block = blockOf(tile, QSize(tile.width() * tiles.width(), tile.height() * tiles.height()));
    return block.isNull() ? Texture {tile, {1, 1}} : Texture {block, tiles};
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
        || !std::isfinite(tileSize.width()) || !std::isfinite(tileSize.height()) || !std::isfinite(origin.x())
        || !std::isfinite(origin.y()))
        return;
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    const QRectF visible = visiblePart(painter, area);
    const QSizeF density = devicePixelsPerPoint(painter);
    const QSizeF tilePixels(tileSize.width() * density.width(), tileSize.height() * density.height());
    if (visible.isEmpty()) {
        // nothing of the area shows
    } else if (tilePixels.width() < 1.0 || tilePixels.height() < 1.0) {
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
    } else if (const Texture texture = textureFor(painter, image, tileSize, tilePixels); texture.bitmap.isNull()) {
        drawPicturePlaceholder(painter, visible, opacity);
    } else {
        // One fill with the tile as its texture: tiles drawn one by one
        // would each blend their edges with what lies below, and show
        // seams wherever an edge falls between device pixels. A PDF holds
        // the fill as one tiling pattern.
        // From the corner of the grid's cell nearest the visible part: the
        // texture's coordinates stay small however far off `origin` lies.
        const QSizeF cell(tileSize.width() * texture.tiles.width(), tileSize.height() * texture.tiles.height());
        const QPointF start(origin.x() + std::floor((visible.left() - origin.x()) / cell.width()) * cell.width(),
                            origin.y() + std::floor((visible.top() - origin.y()) / cell.height()) * cell.height());
        QBrush brush(texture.bitmap);
        QTransform placement = QTransform::fromTranslate(start.x(), start.y());
        placement.scale(cell.width() / texture.bitmap.width(), cell.height() / texture.bitmap.height());
        brush.setTransform(placement);
        painter.setBrushOrigin(0, 0);
        painter.setOpacity(painter.opacity() * std::clamp(opacity, 0.0, 1.0));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // Set within a state of its own, which the PDF writer drops when it
        // ends; otherwise it would write the pattern again at each change
        // of state that follows.
        painter.save();
        painter.setPen(Qt::NoPen);
        painter.setBrush(brush);
        painter.drawRect(visible);
        painter.restore();
    }
    painter.restore();
}

} // namespace ql
