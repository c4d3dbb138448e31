#include "canvas/view/CanvasEventRouter.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVClipView.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"

namespace ql {

void CanvasEventRouter::setPageItem(ZVPageItem* item)
{
    m_pageItem = item;
}

void CanvasEventRouter::setClipView(ZVClipView* clipView)
{
    m_clipView = clipView;
}

ZVCanvasView* CanvasEventRouter::page() const
{
    return m_pageItem ? m_pageItem->page() : nullptr;
}

ZVPuttyView* CanvasEventRouter::elementAt(QPointF pagePoint) const
{
    ZVCanvasView* shown = page();
    if (!shown)
        return nullptr;
    const QList<ZVElementItem*> items = m_pageItem->elementItems();
    for (auto it = items.crbegin(); it != items.crend(); ++it) {
        ZVPuttyView* element = (*it)->element();
        if ((*it)->isInert() || !element || element->layoutLayerGroup() != shown->currentLayoutLayer())
            continue;
        if (element->containsPagePoint(pagePoint))
            return element;
    }
    return nullptr;
}

void CanvasEventRouter::mouseDown(const CanvasEvent& event)
{
    m_receiver = Receiver::None;
    m_element = nullptr;
    ZVCanvasView* shown = page();
    if (!shown)
        return;
    if (!shown->bounds().contains(event.location)) {
        shown->clearPuttyViews();
        m_receiver = Receiver::Ground;
        if (m_clipView)
            m_clipView->mouseDown(event);
        return;
    }
    if (ZVPuttyView* element = elementAt(event.location)) {
        m_receiver = Receiver::Element;
        m_element = element;
        element->mouseDown(event);
        return;
    }
    m_receiver = Receiver::Page;
    shown->mouseDown(&event);
}

void CanvasEventRouter::deliver(const CanvasEvent& event, void (ZVPuttyView::*toElement)(const CanvasEvent&),
                                void (ZVCanvasView::*toPage)(const CanvasEvent&),
                                void (ZVClipView::*toGround)(const CanvasEvent&))
{
    switch (m_receiver) {
    case Receiver::Element:
        if (m_element)
            (m_element->*toElement)(event);
        break;
    case Receiver::Page:
        if (ZVCanvasView* shown = page())
            (shown->*toPage)(event);
        break;
    case Receiver::Ground:
        if (m_clipView)
            (m_clipView->*toGround)(event);
        break;
    case Receiver::None:
        break;
    }
}

void CanvasEventRouter::mouseDragged(const CanvasEvent& event)
{
    deliver(event, &ZVPuttyView::mouseDragged, &ZVCanvasView::mouseDragged, &ZVClipView::mouseDragged);
}

void CanvasEventRouter::mouseUp(const CanvasEvent& event)
{
    deliver(event, &ZVPuttyView::mouseUp, &ZVCanvasView::mouseUp, &ZVClipView::mouseUp);
    m_element = nullptr;
}

} // namespace ql
