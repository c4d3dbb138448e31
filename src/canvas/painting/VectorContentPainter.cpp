#include "canvas/painting/VectorContentPainter.h"

#include "canvas/ZVPuttyView.h"
#include "shapes/ZVVectorView.h"

#include <QPainter>

namespace ql {

void VectorContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    const auto* view = qobject_cast<const ZVVectorView*>(element.contentView());
    if (!view)
        return;
    // The shape lies in the view's own bounds, which the element keeps on
    // its content rectangle.
    painter.save();
    painter.translate(content.topLeft());
    painter.setOpacity(painter.opacity() * alpha);
    view->paintShape(painter);
    painter.restore();
}

} // namespace ql
