// How the browsers put new elements on a page: added (the page records the
// undo step), highlighted, centred, activated and focused.
#pragma once

#include "platform/graphics/Image.h"

class ZVCanvasView;
class ZVPuttyView;

namespace ql::placement {

// Adds, highlights the layer, centres the element on the page and makes it
// the active, focused one.
void insertCentred(ZVCanvasView& page, ZVPuttyView* element);
// The page's new image element of the picture's size (halved when it takes
// 90 % of the page's width or height), centred, alone active and focused.
// A null picture adds nothing and answers null.
ZVPuttyView* addImage(ZVCanvasView& page, const Image& image);

} // namespace ql::placement
