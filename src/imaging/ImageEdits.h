// Everyday edits of images: mirroring, cropping, tinting, rotating,
// recompressing, flattening to a bitmap and trimming transparent borders.
#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/RowMirroring.h"

namespace ql {

// Mirror in place: top to bottom, and left to right, at the file's full
// resolution where the picture was decoded smaller (stored as `storage`
// says). False, the image left as it was, when its pixels cannot be had
// (they do not decode, or would not fit in memory).
bool flipImageVertically(Image& image,
                         bitmaps::MirroredStorage storage = bitmaps::MirroredStorage::AsChanged);
bool flipImageHorizontally(Image& image,
                           bitmaps::MirroredStorage storage = bitmaps::MirroredStorage::AsChanged);
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
