// Resizing and fitting images into rectangles: stretch, fit and fill, with
// the anchors the image boxes and backgrounds offer.
#pragma once

#include "platform/graphics/Image.h"

#include <QPainter>

namespace ql {

// resizedToSize scaling modes.
enum ImageScalingMode { ScaleStretch = 0, ScaleFit = 1, ScaleFill = 2 };
// resizedToSize sizing bits: may the result be larger, smaller than the image.
enum ImageSizingMode : unsigned { SizingGrow = 1, SizingShrink = 2 };

// Fitting methods of drawInRect: 1 fill with a centred crop, 2 fill keeping
// the top (or left) side, 3 fill keeping the bottom (or right) side, 4 fit
// the whole image centred. Other values draw as 1.
enum ImageFittingMethod { FitFillCentred = 1, FitFillTopLeft = 2, FitFillBottomRight = 3, FitWhole = 4 };

Image roundCornersImageCornerRadius(const Image& image, int radius);
Image resizedToSize(const Image& image, QSizeF size, int scalingMode, unsigned sizingMode = SizingGrow | SizingShrink);
void drawInRect(QPainter& painter, const Image& image, const QRectF& rect, QPainter::CompositionMode mode,
                float fraction, int method);
// A new image of exactly `size`, the image drawn into it by `method`.
Image imageToFitSize(const Image& image, QSizeF size, int method);
inline Image imageCroppedToFitSize(const Image& image, QSizeF size) { return imageToFitSize(image, size, FitFillCentred); }
inline Image imageScaledToFitSize(const Image& image, QSizeF size) { return imageToFitSize(image, size, FitWhole); }

} // namespace ql
