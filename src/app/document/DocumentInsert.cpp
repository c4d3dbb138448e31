// Elements the document places itself, and the way to the window that shows
// its pages.
#include "app/document/Document.h"

#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "panels/browsers/ZVShapeContentViewController.h"
#include "platform/runtime/Deferred.h"

namespace ql {

void Document::insert3DText()
{
    ZVCanvasView* page = currentPage();
    if (!page)
        return;
    std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWith3DText(QObject::tr("Double click to rotate me."));
    made->setFrame(QRectF(0, 0, 500, 200));
    ZVPuttyView* element = made.release();
    page->addPuttyView(element);
    page->highlightPuttyViews();
    page->centerPuttyView(element);
    element->setIsActive(true);
    page->setFocusedPuttyView(element);
}

void Document::insertShapeWithIndex(int index)
{
    auto* window = qobject_cast<DocumentWindow*>(documentWindow());
    if (!window)
        return;
    window->changeContentView(2);
    // A moment later, so that the browser has loaded.
    after(100, this, [this, index] {
        if (auto* shown = qobject_cast<DocumentWindow*>(documentWindow()))
            shown->controllers().shapeContentVC->insertShapeWithIndex(index);
    });
}

CanvasHost* Document::canvasHost()
{
    return qobject_cast<DocumentWindow*>(documentWindow());
}

} // namespace ql
