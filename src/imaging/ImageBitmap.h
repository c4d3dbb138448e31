// Between documents' images and pixels: the bitmap an image shows at a
// given scale (vector originals are rendered), images made from bitmaps, and
// drawing an image's part into a rectangle.
#pragma once

#include "platform/graphics/Image.h"

#include <QPainter>

namespace ql {

// Whether the image has anything to draw: a representation and a size.
bool hasPixels(const Image& image);
// The pixels of the image's first representation, `scale` pixels per
// point, premultiplied ARGB; null for an empty image or unreadable data.
QImage bitmapOf(const Image& image, double scale = 1.0);
// An image of one bitmap representation, `size` points large (its pixel size
// when not given).
Image imageFromBitmap(const QImage& bitmap, QSizeF size = {});
// Pixels per point of the image's first representation, never below 1, so
// that edits keep a high-resolution photo's detail; print resolution for
// vector originals.
double pixelDensity(const Image& image);
// A computed picture (an effect's result) as an image of the rectangle's
// size that shows the whole picture; the picture's own size when `rect` is
// empty. Only the rectangle's size counts, not its origin.
Image imageWithCIImage(const QImage& picture, const QRectF& rect = {});
// 8-bit RGBA pixels of the part `rect` of the picture, its size cut to whole
// pixels; the whole picture when `rect` is empty, null when no whole pixel.
QImage imageRepWithCIImage(const QImage& picture, const QRectF& rect = {});

// The bitmap reduced to `pixels`, each the average of the bitmap's pixels
// it covers (as a decoder reduces a picture); made once and kept for the
// draws that follow.
QImage reducedBitmap(const QImage& bitmap, QSize pixels);

// The pixels of the image's first representation reduced to fit within
// `largest`, for thumbnails: a bitmap's own averaged down (never copied
// whole at 32 bits), a stored picture's decoded no larger than needed.
// Made once per picture and size and kept, so that showing a thumbnail
// again decodes and reduces nothing. Null for vector originals and pictures
// that do not decode.
QImage previewBitmap(const Image& image, QSize largest);

// A transparent bitmap for `size` points at `scale` pixels a point; null when
// the size has no whole pixel.
QImage blankBitmap(QSizeF size, double scale = 1.0);

// Draws the part `source` of the image (in its points, origin top left) into
// `target`; the parts of `source` outside the image draw nothing. An
// undecodable image draws its placeholder over `target`.
void drawImagePart(QPainter& painter, const Image& image, const QRectF& target, const QRectF& source,
                   QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver, double fraction = 1.0);

} // namespace ql
