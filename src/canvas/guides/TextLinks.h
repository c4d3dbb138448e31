// The dashed lines that show how text flows between linked boxes: from each
// box's link badge to the next box's top-left handle, or to the middle of
// the page's side when the other box lies on another page.
#pragma once

#include <QLineF>
#include <QList>
#include <QPointF>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

// The centre of an element's link badge, in the element's own coordinates.
QPointF linkBadgeCenter(const ZVPuttyView& element);

// The link lines of `page`, chains resolved against `allElements` (every
// element of the document, in page order).
QList<QLineF> textLinkLines(const ZVCanvasView& page, const QList<ZVPuttyView*>& allElements);

} // namespace ql
