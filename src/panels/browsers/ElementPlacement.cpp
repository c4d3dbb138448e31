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
    if (image.isNull() || image.size().isEmpty())
        return nullptr;
    std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWithImage(image);
    QSizeF size = image.size();
    const QSizeF pageSize = page.frame().size();
    // Pictures about as large as the page come in at half its width (or
    // height), keeping their proportions.
    if (size.width() >= 0.9 * pageSize.width())
        size = QSizeF(pageSize.width() / 2, size.height() * (pageSize.width() / 2) / size.width());
    if (size.height() >= 0.9 * pageSize.height())
        size = QSizeF(size.width() * (pageSize.height() / 2) / size.height(), pageSize.height() / 2);
    const double margin = ZVPuttyView::kMargin;
    made->setFrame(QRectF(0, 0, size.width() + 2 * margin, size.height() + 2 * margin));
    ZVPuttyView* element = made.release();
    page.addPuttyView(element);
    page.centerPuttyView(element);
    element->setIsHighlighted(true);
    element->setIsActive(true);
    page.setFocusedPuttyView(element);
    return element;
}

} // namespace ql::placement
