#include "canvas/painting/BackgroundPainter.h"

#include "imaging/ImageBitmap.h"
#include "imaging/PicturePlaceholder.h"
#include "imaging/TiledPicture.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/GradientGeometry.h"

#include <QPainter>
#include <cmath>

namespace ql {

void BackgroundPainter::paint(QPainter& painter, const ZVBackgroundView& background, const QRectF& rect, double alpha)
{
    if (rect.isEmpty())
        return;
    const double opacity = background.backgroundOpacity().isValid() ? background.backgroundOpacity().toFloat() : 1.0;
    switch (background.backgroundType().toInt()) {
    case ZVBackgroundView::Colour: {
        const QVariant stored = background.backgroundColor();
        if (!stored.canConvert<Color>())
            return; // no colour chosen: nothing to fill
        QColor colour = stored.value<Color>().toQColor();
        colour.setAlphaF(float(std::clamp(opacity, 0.0, 1.0)));
        painter.save();
        painter.setOpacity(painter.opacity() * alpha);
        painter.fillRect(rect, colour);
        painter.restore();
        break;
    }
    case ZVBackgroundView::GradientFill: {
        paintGradient(painter, background.gradient(), background.gradientType(), background.gradientAngle(), rect,
                      alpha * std::clamp(opacity, 0.0, 1.0));
        break;
    }
    case ZVBackgroundView::ImageFill: {
        const int mode = background.backgroundImageMode().toInt();
        const Image& picture = mode == ZVBackgroundView::Tiled ? background.tiledImage() : background.image();
        paintImage(painter, picture.isNull() ? background.backgroundImage() : picture, mode, rect,
                   std::min(alpha, std::clamp(opacity, 0.0, 1.0)));
        break;
    }
    default:
        break;
    }
}

void BackgroundPainter::paintGradient(QPainter& painter, const QVariant& gradient, const QVariant& kind,
                                      const QVariant& degrees, const QRectF& rect, double opacity)
{
    if (!gradient.canConvert<Gradient>() || rect.isEmpty())
        return;
    const QBrush fill = GradientGeometry::brush(gradient.value<Gradient>().qtStops(), GradientGeometry::shapeOfKind(kind),
                                                degrees.toFloat(), rect);
    if (fill.style() == Qt::NoBrush)
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    GradientGeometry::fill(painter, rect, fill);
    painter.restore();
}

QRectF BackgroundPainter::proportionalRect(QSizeF size, const QRectF& rect)
{
    if (size.isEmpty())
        return {};
    const double ratio = size.width() / size.height();
    if (rect.height() >= rect.width() / ratio) {
        const double height = rect.width() / ratio;
        return QRectF(rect.x(), rect.y() + rect.height() / 2 - height / 2, rect.width(), height);
    }
    const double width = ratio * rect.height();
    return QRectF(rect.x() + rect.width() / 2 - width / 2, rect.y(), width, rect.height());
}

void BackgroundPainter::paintImage(QPainter& painter, const Image& image, int mode, const QRectF& rect, double alpha)
{
    // Its size may be unknown, and tiles of a placeholder say nothing more.
    if (image.isUndecodable()) {
        drawPicturePlaceholder(painter, rect, alpha);
        return;
    }
    if (image.isNull() || rect.isEmpty() || !hasPixels(image))
        return;
    const QSizeF size = image.size();
    const QRectF whole(QPointF(0, 0), size);
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    switch (mode) {
    case ZVBackgroundView::Proportional:
        drawImagePart(painter, image, proportionalRect(size, rect), whole, QPainter::CompositionMode_SourceOver, alpha);
        break;
    case ZVBackgroundView::Tiled:
        // The grid starts at the rectangle's own corner, so an element's
        // background tiles from its content's corner as a page's does.
        TiledPicture::paint(painter, image, rect, rect.topLeft(), size, alpha);
        break;
    case ZVBackgroundView::Unscaled: {
        const QRectF middle((size.width() - rect.width()) / 2, (size.height() - rect.height()) / 2, rect.width(),
                            rect.height());
        drawImagePart(painter, image, rect, middle, QPainter::CompositionMode_SourceOver, alpha);
        break;
    }
    default:
        drawImagePart(painter, image, rect, whole, QPainter::CompositionMode_SourceOver, alpha);
        break;
    }
    painter.restore();
}

} // namespace ql
