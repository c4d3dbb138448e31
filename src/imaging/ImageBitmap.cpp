#include "imaging/ImageBitmap.h"

#include "imaging/PictureConversions.h"
#include "imaging/PicturePlaceholder.h"
#include "imaging/VectorRendering.h"
#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QCache>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPaintEngine>
#include <algorithm>
#include <climits>
#include <cmath>

namespace ql {

bool hasPixels(const Image& image)
{
    return !image.isNull() && image.size().width() > 0 && image.size().height() > 0;
}

QImage bitmapOf(const Image& image, double scale)
{
    if (!hasPixels(image))
        return {};
    const ImageRep rep = image.firstRepresentation();
    const QSizeF points = image.size();
    const QSize pixels(int(std::lround(points.width() * scale)), int(std::lround(points.height() * scale)));
    if (pixels.isEmpty())
        return {};
    QImage bitmap;
    if (rep.isVector() || rep.isDrawn()) {
        const Result<QImage> rendered = renderVectorRepresentation(rep, pixels);
        if (!rendered)
            return {};
        bitmap = rendered.value();
    } else {
        bitmap = rep.image();
    }
    if (bitmap.isNull())
        return {};
    if (bitmap.size() != pixels)
        bitmap = bitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return bitmap.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

Image imageFromBitmap(const QImage& bitmap, QSizeF size)
{
    if (bitmap.isNull())
        return {};
    Image image(ImageRep::bitmap(bitmap, size.isEmpty() ? QSizeF(bitmap.size()) : size));
    return image;
}

QImage imageRepWithCIImage(const QImage& picture, const QRectF& rect)
{
    if (picture.isNull())
        return {};
    const QRectF part = rect.isEmpty() ? QRectF(picture.rect()) : rect;
    // Whole pixels only: the size is cut, never rounded up (NaN has none).
    const auto whole = [](double length) { return length >= 1.0 ? int(std::min(length, double(INT_MAX))) : 0; };
    const QSize size(whole(part.width()), whole(part.height()));
    if (size.isEmpty())
        return {};
    QImage bitmap(size, QImage::Format_RGBA8888);
    if (bitmap.isNull())
        return {};
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), picture, QRectF(part.topLeft(), QSizeF(size)));
    return bitmap;
}

Image imageWithCIImage(const QImage& picture, const QRectF& rect)
{
    // The whole picture, shown at the rectangle's size: where it lies plays no part.
    return imageFromBitmap(picture, rect.isEmpty() ? QSizeF(picture.size()) : rect.size());
}

double pixelDensity(const Image& image)
{
    if (image.isNull() || image.size().width() <= 0)
        return 1.0;
    // Edits of a PDF or EPS original keep print resolution (300 dpi).
    if (image.isVector())
        return 300.0 / 72.0;
    return std::max(1.0, image.pixelSize().width() / image.size().width());
}

namespace {

// Reduced bitmaps are kept up to this many kilobytes: a window redraws the
// same pictures at the same size often.
constexpr int kReducedKilobytes = 64 * 1024;

struct ReducedKey {
    qint64 bitmap;
    QSize pixels;
    bool operator==(const ReducedKey&) const = default;
};

size_t qHash(const ReducedKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.bitmap, key.pixels.width(), key.pixels.height());
}

} // namespace

QImage reducedBitmap(const QImage& bitmap, QSize pixels)
{
    if (bitmap.isNull() || pixels.isEmpty())
        return {};
    static QMutex mutex;
    static QCache<ReducedKey, QImage> kept(kReducedKilobytes);
    const ReducedKey key {bitmap.cacheKey(), pixels};
    {
        const QMutexLocker lock(&mutex);
        if (const QImage* hit = kept.object(key))
            return *hit;
    }
    const QImage reduced = bitmaps::reduced(bitmap, pixels);
    const QMutexLocker lock(&mutex);
    kept.insert(key, new QImage(reduced), int(std::max<qsizetype>(1, reduced.sizeInBytes() / 1024)));
    return reduced;
}

namespace {

// Previews are a few kilobytes each: this keeps hundreds.
constexpr int kPreviewKilobytes = 8 * 1024;

struct PreviewKey {
    ImageRep::PixelsKey picture;
    QSize pixels;
    bool operator==(const PreviewKey&) const = default;
};

size_t qHash(const PreviewKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.picture.stored, key.picture.key, key.pixels.width(), key.pixels.height());
}

} // namespace

QImage previewBitmap(const Image& image, QSize largest)
{
    const ImageRep first = image.firstRepresentation();
    const QSize pixels = first.pixelSize();
    if (first.kind() != ImageRep::Kind::Bitmap || pixels.isEmpty() || largest.isEmpty())
        return {};
    const QSize fitted = pixels.width() <= largest.width() && pixels.height() <= largest.height()
        ? pixels
        : pixels.scaled(largest, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const PreviewKey key {first.pixelsKey(), fitted};
    static QMutex mutex;
    static QCache<PreviewKey, QImage> kept(kPreviewKilobytes);
    {
        const QMutexLocker lock(&mutex);
        if (const QImage* hit = kept.object(key))
            return *hit;
    }
    const QImage source = first.imageForPixels(fitted);
    if (source.isNull())
        return {};
    const QImage preview = source.size() == fitted ? source : bitmaps::reducedForPreview(source, fitted);
    const QMutexLocker lock(&mutex);
    kept.insert(key, new QImage(preview), int(std::max<qsizetype>(1, preview.sizeInBytes() / 1024)));
    return preview;
}

QImage blankBitmap(QSizeF size, double scale)
{
    if (!(size.width() > 0 && size.height() > 0))
        return {};
    const QSize pixels(int(std::lround(size.width() * scale)), int(std::lround(size.height() * scale)));
    if (pixels.isEmpty())
        return {};
    QImage bitmap(pixels, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::transparent);
    return bitmap;
}

namespace {

// The pixels a picture of `size` points covers on the painter's device, when
// that is a bitmap; none (all of the picture's) for PDF and print, which keep
// every pixel.
QSize devicePixels(const QPainter& painter, const QTransform& map, QSizeF size)
{
    const QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster)
        return {};
    const QRectF covered = (map * painter.combinedTransform()).mapRect(QRectF(QPointF(0, 0), size));
    const auto whole = [](double length) {
        // A rounding error past a whole pixel does not add one.
        return length >= 1.0 ? int(std::min(std::ceil(length - 1e-3), double(INT_MAX))) : 1; // NaN too
    };
    return QSize(whole(covered.width()), whole(covered.height()));
}

} // namespace

void drawImagePart(QPainter& painter, const Image& image, const QRectF& target, const QRectF& source,
                   QPainter::CompositionMode mode, double fraction)
{
    if (image.isUndecodable()) {
        drawPicturePlaceholder(painter, target, fraction);
        return;
    }
    if (image.isNull() || target.isEmpty() || source.isEmpty())
        return;
    // Maps the source rectangle onto the target; the image is drawn whole so
    // that a source reaching past its edges leaves those parts empty.
    QTransform map;
    map.translate(target.x(), target.y());
    map.scale(target.width() / source.width(), target.height() / source.height());
    map.translate(-source.x(), -source.y());
    const ImageRep first = image.firstRepresentation();
    if (first.isDrawn()) {
        // A drawing draws itself at whatever resolution the painter has.
        painter.save();
        painter.setCompositionMode(mode);
        painter.setOpacity(painter.opacity() * fraction);
        painter.setClipRect(target, Qt::IntersectClip);
        painter.setTransform(map, true);
        first.draw(painter, QRectF(QPointF(0, 0), image.size()));
        painter.restore();
        return;
    }
    const double scale = std::max(target.width() / source.width(), target.height() / source.height());
    // Enough pixels for the drawn size, never fewer than the image has.
    const double pixelScale = image.isVector() ? std::max(1.0, scale) : pixelDensity(image);
    // A picture already at the wanted size is drawn as it is: one shared
    // bitmap lets a PDF keep one copy however many pages show it.
    const QSize pixels(int(std::lround(image.size().width() * pixelScale)),
                       int(std::lround(image.size().height() * pixelScale)));
    const bool eps = first.kind() == ImageRep::Kind::Eps;
    // Ghostscript may take long or never end: a window does not wait for it.
    const bool deferred = eps && PictureConversionScope::mayShowPlaceholder(painter);
    const QSize device = devicePixels(painter, map, image.size());
    QImage bitmap;
    if (deferred) {
        bitmap = PictureConversions::shared()
                     .convertedLater(first.data(), first.size(), pixels, PictureConversionScope::document())
                     .image;
    } else if (first.isStored()) {
        // PDF and print get no more pixels than a 32-bit copy within the
        // budget has (below).
        bitmap = first.imageForPixels(
            device.isEmpty() ? bitmaps::decodedSizeWithin(first.pixelSize(), QImage::Format_ARGB32) : device);
        if (bitmap.isNull()) {
            // Found not to decode only now.
            drawPicturePlaceholder(painter, target, fraction);
            return;
        }
    } else if (!first.isVector()) {
        const QImage own = first.image();
        // A picture decoded with fewer pixels than memory would allow at its
        // size is drawn from those: made larger it would take more.
        const bool pastBudget =
            bitmaps::decodedBytes(pixels, QImage::Format_ARGB32_Premultiplied) > double(bitmaps::kLargestDecodedBytes);
        if (!own.isNull() && (own.size() == pixels || pastBudget))
            bitmap = own;
    }
    if (bitmap.isNull() && !deferred)
        bitmap = bitmapOf(image, pixelScale);
    if (first.kind() == ImageRep::Kind::Bitmap && !bitmap.isNull() && !device.isEmpty()) {
        // A bitmap device gets no more pixels than it shows, each the average
        // of those it covers, as a stored picture is decoded for it: filtered
        // down while drawing, thin lines would be skipped into moiré.
        const QSize fewer(std::min(bitmap.width(), device.width()), std::min(bitmap.height(), device.height()));
        if (fewer != bitmap.size())
            bitmap = reducedBitmap(bitmap, fewer);
    } else if (first.kind() == ImageRep::Kind::Bitmap && bitmap.depth() < 32
               && bitmaps::decodedBytes(bitmap.size(), QImage::Format_ARGB32) > double(bitmaps::kLargestDecodedBytes)) {
        // PDF and print take a 32-bit copy of a grey or palette picture: one
        // past the budget is handed over with as many pixels as that copy
        // may have.
        bitmap = reducedBitmap(bitmap, bitmaps::decodedSizeWithin(bitmap.size(), QImage::Format_ARGB32));
    }
    // An EPS picture not converted (yet) still shows where it is.
    if (bitmap.isNull() && !eps)
        return;
    painter.save();
    painter.setCompositionMode(mode);
    painter.setOpacity(painter.opacity() * fraction);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(target, Qt::IntersectClip);
    painter.setTransform(map, true);
    if (bitmap.isNull())
        drawPicturePlaceholder(painter, QRectF(QPointF(0, 0), image.size()));
    else
        painter.drawImage(QRectF(QPointF(0, 0), image.size()), bitmap);
    painter.restore();
}

} // namespace ql
