#include "design/ZVDesignHelper.h"

#include "imaging/PathShadows.h"

namespace ql {

void ZVDesignHelper::drawInnerShadowInContext(QPainter& painter, const QPainterPath& path, const QColor& shadowColor,
                                              QSizeF offset, double blurRadius)
{
    paintInnerShadow(painter, path, Shadow {QPointF(offset.width(), offset.height()), blurRadius, shadowColor});
}

} // namespace ql
