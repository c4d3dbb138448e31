#include "canvas/painting/TextContentPainter.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/BackgroundPainter.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"

#include <QPainter>

namespace ql {

void TextContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    const auto* view = qobject_cast<const ZVTextView*>(element.contentView());
    if (!view || content.isEmpty())
        return;
    painter.save();
    painter.setClipRect(content, Qt::IntersectClip);
    // A box that lies within a pixel, as on the layer thumbnail of a crowded
    // page, shows nothing of its text: laying the text out would only cost.
    const QRectF onDevice = painter.worldTransform().mapRect(content);
    if (onDevice.width() >= 1.0 || onDevice.height() >= 1.0) {
        painter.save();
        painter.setOpacity(painter.opacity() * alpha);
        painter.translate(content.topLeft());
        view->drawText(painter);
        painter.restore();
    }
    // The box's gradient and tiled picture lie over its text.
    BackgroundPainter::paintGradient(painter, view->gradient(), view->gradientType(), view->gradientAngle(), content, alpha);
    if (!view->tiledImage().isNull())
        BackgroundPainter::paintImage(painter, view->tiledImage(), ZVBackgroundView::Tiled, content, alpha);
    painter.restore();
}

} // namespace ql
