#include "canvas/painting/VectorContentPainter.h"

#include "canvas/ZVPuttyView.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFDrawableShape.h"

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

qsizetype VectorContentPainter::complexity(const ZVPuttyView& element)
{
    const auto* view = qobject_cast<const ZVVectorView*>(element.contentView());
    const DFDrawable* shape = view ? view->shape() : nullptr;
    if (!shape)
        return 0;
    // A shape's outline is read in place; a path object's path is shared, not copied.
    if (const auto* outlined = qobject_cast<const DFDrawableShape*>(shape))
        return outlined->unitOutline().elementCount();
    return shape->path().elementCount();
}

} // namespace ql
