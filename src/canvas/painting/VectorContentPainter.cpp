#include "canvas/painting/VectorContentPainter.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/BackgroundPainter.h"
#include "content/ZVBackgroundView.h"
#include "shapes/ZVVectorView.h"

#include <QPainter>

namespace ql {

void VectorContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    const auto* view = qobject_cast<const ZVVectorView*>(element.contentView());
    if (!view || view->shape().isEmpty())
        return;
    QPainterPath outline = view->shape().toPainterPath();
    const QRectF bounds = outline.boundingRect();
    if (bounds.width() <= 0 || bounds.height() <= 0)
        return;
    QTransform fit;
    fit.translate(content.x(), content.y());
    fit.scale(content.width() / bounds.width(), content.height() / bounds.height());
    fit.translate(-bounds.x(), -bounds.y());
    outline = fit.map(outline);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (const ZVBackgroundView* fill = view->backgroundView()) {
        painter.save();
        painter.setClipPath(outline, Qt::IntersectClip);
        BackgroundPainter::paint(painter, *fill, content, alpha);
        painter.restore();
    }
    painter.setOpacity(painter.opacity() * alpha);
    painter.strokePath(outline, QPen(Qt::black, 1.0));
    painter.restore();
}

} // namespace ql
