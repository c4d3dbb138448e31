#include "imaging/ImageFitting.h"

#include "imaging/ImageBitmap.h"

#include <cmath>

namespace ql {

namespace {

// The arithmetic below works in the image's own bottom-up coordinates;
// bitmaps are top-down.
QRectF fromBottomUp(const QRectF& rect, double imageHeight)
{
    return QRectF(rect.x(), imageHeight - rect.y() - rect.height(), rect.width(), rect.height());
}

} // namespace

Image roundCornersImageCornerRadius(const Image& image, int radius)
{
    const QSizeF size(std::trunc(image.size().width()), std::trunc(image.size().height()));
    const double scale = pixelDensity(image);
    QImage bitmap = blankBitmap(size, scale);
    if (bitmap.isNull())
        return {};
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
    painter.setClipPath(clip);
    drawImagePart(painter, image, QRectF(QPointF(0, 0), size), QRectF(QPointF(0, 0), image.size()));
    painter.end();
    return imageFromBitmap(bitmap, image.size());
}

Image resizedToSize(const Image& image, QSizeF size, int scalingMode, unsigned sizingMode)
{
    const double w = image.size().width();
    const double h = image.size().height();
    double W = size.width();
    double H = size.height();
    if (image.isNull() || !(w > 0 && h > 0) || !(W > 0 && H > 0))
        return {};
    const bool grows = W > w || H > h;
    const bool shrinks = w > W || h > H;
    const QSizeF sourceSize = (shrinks && !(sizingMode & SizingShrink)) ? QSizeF(W, H) : QSizeF(w, h);
    if (grows && !(sizingMode & SizingGrow)) {
        W = w;
        H = h;
    }
    QSizeF source = sourceSize;
    if (scalingMode != ScaleStretch) {
        const float rH = float(H / h);
        const float rW = float(W / w);
        if ((scalingMode == ScaleFill && rH >= rW) || (scalingMode != ScaleFill && rH < rW))
            source = QSizeF(std::floor(W / rH), h);
        else
            source = QSizeF(w, std::floor(H / rW));
    }
    const QRectF sourceRect(std::floor((w - source.width()) * 0.5), std::floor((h - source.height()) * 0.5),
                            source.width(), source.height());
    const double scale = pixelDensity(image);
    QImage bitmap = blankBitmap(QSizeF(W, H), scale);
    if (bitmap.isNull())
        return {};
    QPainter painter(&bitmap);
    painter.scale(scale, scale);
    drawImagePart(painter, image, QRectF(0, 0, W, H), fromBottomUp(sourceRect, h), QPainter::CompositionMode_Source);
    painter.end();
    return imageFromBitmap(bitmap, QSizeF(W, H));
}

void drawInRect(QPainter& painter, const Image& image, const QRectF& rect, QPainter::CompositionMode mode,
                float fraction, int method)
{
    const float w = float(image.size().width());
    const float h = float(image.size().height());
    const double rw = rect.width();
    const double rh = rect.height();
    if (image.isNull() || !(w > 0 && h > 0) || !(rw > 0 && rh > 0))
        return;
    const float aI = w / h;
    const float aR = float(rw / rh);
    const bool governsWidth = (method != FitWhole) == (aR >= aI);
    const QSizeF scaled = governsWidth ? QSizeF(rw, std::roundf(float(rw / aI))) : QSizeF(std::roundf(float(aI * rh)), rh);

    if (method == FitWhole) {
        const QRectF target(rect.x() + (rw - scaled.width()) * 0.5, rect.y() + (rh - scaled.height()) * 0.5,
                            scaled.width(), scaled.height());
        drawImagePart(painter, image, target, QRectF(0, 0, w, h), mode, fraction);
        return;
    }
    const double s = scaled.height() / h;
    double ox = std::round((scaled.width() - rw) * 0.5);
    double oy = std::round((scaled.height() - rh) * 0.5);
    if (method == FitFillTopLeft) {
        if (governsWidth)
            oy = std::roundf(float(scaled.height() - rh));
        else
            ox = oy = 0;
    } else if (method == FitFillBottomRight) {
        if (governsWidth)
            ox = oy = 0;
        else
            ox = std::roundf(float(scaled.width() - rw));
    }
    const QRectF source(ox / s, oy / s, rw / s, rh / s);
    drawImagePart(painter, image, rect, fromBottomUp(source, h), mode, fraction);
}

Image imageToFitSize(const Image& image, QSizeF size, int method)
{
    const double scale = pixelDensity(image);
    QImage bitmap = blankBitmap(size, scale);
    if (bitmap.isNull() || !hasPixels(image))
        return {};
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    drawInRect(painter, image, QRectF(QPointF(0, 0), size), QPainter::CompositionMode_SourceOver, 1.0f, method);
    painter.end();
    return imageFromBitmap(bitmap, size);
}

} // namespace ql
