#include "imaging/ImageEdits.h"

#include "imaging/ImageBitmap.h"
#include "platform/graphics/ComputedBitmap.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QTransform>
#include <cmath>
#include <memory>

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

// Whether the image was decoded with fewer pixels than its file has: its
// file is kept with it, and only that holds them all.
bool decodedSmallerThanFile(const ImageRep& own)
{
    if (own.kind() != ImageRep::Kind::Bitmap || own.encoding() != ImageRep::Encoding::Original)
        return false;
    QBuffer buffer;
    buffer.setData(own.encodedData());
    buffer.open(QIODevice::ReadOnly);
    const QSize file = QImageReader(&buffer).size();
    const QSize decoded = own.pixelSize();
    return file.isValid() && (decoded.width() < file.width() || decoded.height() < file.height());
}

// The file to mirror for the image's own pixels, when they were decoded
// fewer than its file has.
std::optional<FileMirror> fileWork(const ImageRep& own, bool leftToRight, bool topToBottom,
                                   bitmaps::MirroredStorage storage)
{
    if (!decodedSmallerThanFile(own))
        return std::nullopt;
    return FileMirror {own.encodedData(), leftToRight, topToBottom, storage, own.largestPixelsAsked(), std::nullopt,
                       std::nullopt};
}

// The image's own pixels mirrored: a bitmap keeps its pixel size, its size
// in points and its resolution, so that a flip loses nothing and a second
// one gives the same pixels back. One decoded with fewer pixels than its
// file is mirrored from the file, every pixel of it (or taken from `ready`,
// mirrored ahead). A PDF, EPS or drawing has no pixels of its own and is
// rendered at its edit resolution first. Null when the pixels cannot be
// had, as for a picture whose size does not even read, or one already found
// not to decode.
Image mirrored(const Image& image, bool leftToRight, bool topToBottom, bitmaps::MirroredStorage storage,
               const MirroredFiles* ready = nullptr)
{
    if (image.isNull())
        return image;
    const ImageRep own = image.firstRepresentation();
    if (!hasPixels(image) || own.isKnownUndecodable())
        return {};
    if (const std::shared_ptr<const ComputedBitmap>& computed = own.computed()) {
        // Computed when drawn (an adjusted photo), and mirrored then too.
        auto turned = std::make_shared<const ComputedBitmap>(
            computed->pixelSize(), computed->hasAlpha(), [computed, leftToRight, topToBottom](QSize size) {
                return computed->pixels(size).mirrored(leftToRight, topToBottom);
            });
        Image result(ImageRep::computed(std::move(turned), own.size()));
        result.setSize(image.size());
        return result;
    }
    if (std::optional<FileMirror> work = fileWork(own, leftToRight, topToBottom, storage)) {
        const FileMirror* done = nullptr;
        for (qsizetype i = 0; ready && !done && i < ready->size(); ++i)
            done = ready->at(i).sameWork(*work) ? &ready->at(i) : nullptr;
        if (done)
            *work = *done;
        else
            work->run();
        if (!work->result)
            return {};
        Image result = work->drawable ? *work->drawable : Image::fromStoredData(*work->result);
        result.setSize(image.size());
        return result;
    }
    const bool rendered = own.isVector() || own.isDrawn();
    QImage pixels = rendered ? bitmapOf(image, pixelDensity(image)) : own.image();
    if (pixels.isNull())
        return {};
    pixels = std::move(pixels).mirrored(leftToRight, topToBottom);
    if (rendered) {
        // The resolution stored with the pixels is what gives a saved
        // picture its size in points again.
        const QSizeF points = image.size();
        pixels.setDotsPerMeterX(int(std::lround(72.0 * pixels.width() / points.width() / 0.0254)));
        pixels.setDotsPerMeterY(int(std::lround(72.0 * pixels.height() / points.height() / 0.0254)));
    }
    // A bitmap keeps the resolution it was read with: one worked out again
    // from its size would come back a little off.
    return imageFromBitmap(pixels, image.size());
}

bool mirrorInPlace(Image& image, bool leftToRight, bool topToBottom, bitmaps::MirroredStorage storage,
                   const MirroredFiles* ready)
{
    Image result = mirrored(image, leftToRight, topToBottom, storage, ready);
    if (result.isNull() && !image.isNull())
        return false;
    image = std::move(result);
    return true;
}

} // namespace

bool FileMirror::sameWork(const FileMirror& other) const
{
    const bool sameData = data.constData() == other.data.constData() ? data.size() == other.data.size()
                                                                     : data == other.data;
    return leftToRight == other.leftToRight && topToBottom == other.topToBottom && storage == other.storage
        && sameData;
}

void FileMirror::run(const bitmaps::MirroringProgress& progress)
{
    result = bitmaps::mirroredPicture(data, leftToRight, topToBottom, storage, bitmaps::kLargestDecodedBytes,
                                      progress);
}

void FileMirror::makeDrawable()
{
    if (!result)
        return;
    drawable = Image::fromStoredData(*result);
    const ImageRep rep = drawable->firstRepresentation();
    if (drawnPixels.isEmpty())
        (void)rep.isUndecodable();
    else
        (void)rep.imageForPixels(drawnPixels);
}

std::optional<FileMirror> fileToMirror(const Image& image, bool leftToRight, bool topToBottom,
                                       bitmaps::MirroredStorage storage)
{
    const ImageRep own = image.firstRepresentation();
    if (!hasPixels(image) || own.isKnownUndecodable())
        return std::nullopt;
    return fileWork(own, leftToRight, topToBottom, storage);
}

bool flipImageVertically(Image& image, bitmaps::MirroredStorage storage, const MirroredFiles* ready)
{
    return mirrorInPlace(image, false, true, storage, ready);
}

bool flipImageHorizontally(Image& image, bitmaps::MirroredStorage storage, const MirroredFiles* ready)
{
    return mirrorInPlace(image, true, false, storage, ready);
}

Image imageRotatedHalfTurn(const Image& image)
{
    Image turned = mirrored(image, true, true, bitmaps::MirroredStorage::AsChanged);
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
