// Everyday edits of images: mirroring, cropping, tinting, rotating,
// recompressing, flattening to a bitmap and trimming transparent borders.
#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/RowMirroring.h"

#include <QList>
#include <optional>

namespace ql {

// A picture's file mirrored at its full resolution, as a flip of a picture
// decoded with fewer pixels than its file reads it: seconds of work for a
// large scan, which may be done ahead, off the window's thread.
struct FileMirror {
    QByteArray data;
    bool leftToRight = false;
    bool topToBottom = false;
    bitmaps::MirroredStorage storage = bitmaps::MirroredStorage::AsChanged;
    // As many pixels as the picture was drawn with so far.
    QSize drawnPixels;
    // The mirrored file once made; none when it could not be.
    std::optional<QByteArray> result;
    // The picture `result` holds, once decoded as it will be drawn.
    std::optional<Image> drawable;

    bool sameWork(const FileMirror& other) const;
    // Makes `result`; `progress` as bitmaps::mirroredPicture() takes it.
    void run(const bitmaps::MirroringProgress& progress = {});
    // Makes `drawable` from `result`, decoded with `drawnPixels` (or small,
    // to tell it decodes): as long as reading the file once more, done
    // where the work runs rather than when the window draws it.
    void makeDrawable();
};
using MirroredFiles = QList<FileMirror>;

// What mirroring the image reads from its file: none where its pixels are
// at hand, or where it is known not to decode (that flip fails at once).
std::optional<FileMirror> fileToMirror(const Image& image, bool leftToRight, bool topToBottom,
                                       bitmaps::MirroredStorage storage);

// Mirror in place: top to bottom, and left to right, at the file's full
// resolution where the picture was decoded smaller (stored as `storage`
// says), taking the file mirrored ahead from `ready` where it holds it.
// False, the image left as it was, when its pixels cannot be had (they do
// not decode, or would not fit in memory).
bool flipImageVertically(Image& image, bitmaps::MirroredStorage storage = bitmaps::MirroredStorage::AsChanged,
                         const MirroredFiles* ready = nullptr);
bool flipImageHorizontally(Image& image, bitmaps::MirroredStorage storage = bitmaps::MirroredStorage::AsChanged,
                           const MirroredFiles* ready = nullptr);
// The image turned by 180 degrees.
Image imageRotatedHalfTurn(const Image& image);

// The part `rect` of the image, its origin at the bottom left.
Image imageCroppedInRect(const Image& image, const QRectF& rect);
// The colour laid over the opaque parts only; transparency stays.
Image imageTintedWithColor(const Image& image, const Color& color);
// Turned counter-clockwise by positive angles, grown to the turned bounds.
Image imageRotatedByDegrees(const Image& image, double degrees);
// Through JPEG at `factor` (0 smallest, 1 best) and back; null when that fails.
Image imageCompressedByFactor(const Image& image, float factor);
// 8-bit RGBA pixels, one a point; null when the size has no whole point.
QImage bitmapImageRepresentation(const Image& image);
bool hasTransparency(const Image& image);
// Without its fully transparent border; the image itself when there is none
// or nothing is opaque.
Image imageByTrimmingTransparentPixels(const Image& image);

} // namespace ql
