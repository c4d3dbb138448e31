// How the browsers put new elements on a page: added with one undoable
// step, highlighted, centred, activated and focused. Every browser goes
// through here, so the page's own undoable add can take over in one place.
#pragma once

#include "platform/graphics/Image.h"

class ZVCanvasView;
class ZVPuttyView;

namespace ql::placement {

// Adds the element to the page's current layer; undo takes it off again.
void addPuttyView(ZVCanvasView& page, ZVPuttyView* element);
// Adds, highlights the layer, centres the element on the page and makes it
// the active, focused one.
void insertCentred(ZVCanvasView& page, ZVPuttyView* element);
// A new image element of the picture's size (halved when it takes 90 % of
// the page's width or height), margin added, centred, active and focused.
// A null picture adds nothing and answers null.
ZVPuttyView* addImage(ZVCanvasView& page, const Image& image);

} // namespace ql::placement
