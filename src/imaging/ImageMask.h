// Masks, cut-outs and pixel reads of images.
#pragma once

#include "platform/graphics/Image.h"

#include <array>

namespace ql {

// The image shown through the mask: the mask's dark parts show, its light
// parts hide (as image masks do). The image itself when either is null. A
// mask that cannot be decoded hides the whole image: the result is an
// undecodable picture of the image's size, drawn as a placeholder.
Image maskImage(const Image& image, const Image& mask);
inline Image maskUsingMaskImage(const Image& image, const Image& mask) { return maskImage(image, mask); }

// The part `rect` of the image's pixels, origin top left.
Image crop(const Image& image, const QRect& rect);
// The part `rect` (in points, y from the top) as a new image.
Image imageFromRect(const Image& image, const QRectF& rect);
// Draws `other` whole into `rect` (in points, y from the top) of `image`.
void pasteImage(Image& image, const Image& other, const QRectF& rect);
// The band of rows, widened by `margin` within the image, between the first
// and the last row whose middle pixel is not fully transparent; null for a
// null image or when a negative margin leaves no row.
Image cropAlpha(const Image& image, int margin);

// The first four components of the pixel at `point` in storage order, one
// byte each; zeros outside the bitmap or for bitmaps of under 8 bits a pixel.
std::array<int, 4> pixelAt(const QImage& bitmap, QPointF point);

} // namespace ql
