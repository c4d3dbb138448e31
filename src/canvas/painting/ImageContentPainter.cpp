#include "canvas/painting/ImageContentPainter.h"

#include "imaging/ImageBitmap.h"
#include "imaging/PicturePlaceholder.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/BackgroundPainter.h"
#include "canvas/painting/ContentLayersPainter.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"

#include <QPainter>

namespace ql {

void ImageContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    // The element draws the content's layers itself, as its target wants them.
    if (const auto* view = qobject_cast<const ZVImageView*>(element.contentView()))
        paintView(painter, *view, content, alpha, false);
}

QRectF ImageContentPainter::placedRect(QSizeF size, int imageScaling, const QRectF& rect)
{
    const bool larger = size.width() > rect.width() || size.height() > rect.height();
    switch (imageScaling) {
    case ZVImageView::ScaleAxesIndependently:
        return rect;
    case ZVImageView::ScaleProportionallyUpOrDown:
        return BackgroundPainter::proportionalRect(size, rect);
    case ZVImageView::ScaleProportionallyDown:
        if (larger)
            return BackgroundPainter::proportionalRect(size, rect);
        [[fallthrough]];
    default: {
        QRectF placed(QPointF(0, 0), size);
        placed.moveCenter(rect.center());
        return placed;
    }
    }
}

void ImageContentPainter::paintView(QPainter& painter, const ZVImageView& view, const QRectF& rect, double alpha,
                                    bool withLayers)
{
    if (rect.isEmpty())
        return;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    // A rounded content cuts its picture and its layers at the corners.
    ContentLayersPainter::clipToCorners(painter, view, rect);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paintPicture(painter, view, rect, alpha);
    if (withLayers)
        ContentLayersPainter::paint(painter, view, rect, alpha);
    painter.restore();
}

void ImageContentPainter::paintPicture(QPainter& painter, const ZVImageView& view, const QRectF& rect, double alpha)
{
    if (view.originalImage().isUndecodable()) {
        // Nothing was decoded to adjust or crop: the element shows where its picture stands.
        drawPicturePlaceholder(painter, rect, alpha);
        return;
    }
    if (view.cropMode()) {
        // Only the crop window, and nothing over it. The window's y counts
        // from the picture's bottom edge; ours count from the top.
        const Image& source = view.originalImageForCropping();
        QRectF window = view.cropSourceRect();
        window.moveTop(source.size().height() - window.y() - window.height());
        drawImagePart(painter, source, rect, window, QPainter::CompositionMode_SourceOver, alpha);
        return;
    }
    const Image& image = view.image();
    if (hasPixels(image)) {
        drawImagePart(painter, image, placedRect(image.size(), view.imageScaling(), rect),
                      QRectF(QPointF(0, 0), image.size()), QPainter::CompositionMode_SourceOver, alpha);
    }
    BackgroundPainter::paintGradient(painter, view.gradient(), view.gradientType(), view.gradientAngle(), rect, alpha);
    if (!view.tiledImage().isNull())
        BackgroundPainter::paintImage(painter, view.tiledImage(), ZVBackgroundView::Tiled, rect, alpha);
}

} // namespace ql
