#include "panels/browsers/ElementPlacement.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"

namespace ql::placement {

void insertCentred(ZVCanvasView& page, ZVPuttyView* element)
{
    if (!element)
        return;
    page.addPuttyView(element);
    page.highlightPuttyViews();
    page.centerPuttyView(element);
    element->setIsActive(true);
    page.setFocusedPuttyView(element);
}

ZVPuttyView* addImage(ZVCanvasView& page, const Image& image)
{
    return page.addImage(image);
}

} // namespace ql::placement
