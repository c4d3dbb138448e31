#include "canvas/painting/ImageContentPainter.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/BackgroundPainter.h"
#include "content/ZVImageView.h"

#include <QPainter>

namespace ql {

void ImageContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    const auto* view = qobject_cast<const ZVImageView*>(element.contentView());
    if (!view)
        return;
    const QVariant mode = element.imageMode();
    BackgroundPainter::paintImage(painter, view->image(), mode.isValid() ? mode.toInt() : 0, content, alpha);
}

} // namespace ql
