#include "canvas/painting/TextContentPainter.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QPainter>

namespace ql {

void TextContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    const auto* view = qobject_cast<const ZVTextView*>(element.contentView());
    if (!view)
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * alpha);
    painter.setClipRect(content, Qt::IntersectClip);
    painter.translate(content.topLeft());
    view->drawRect(painter);
    painter.restore();
}

} // namespace ql
