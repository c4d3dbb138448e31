// Decides who receives a pointer event on the canvas. A press outside the
// page first deselects everything, then the ground's walk hands it to the
// elements lying there; a press on the page goes to the topmost element of
// the current layer under it, else to the page. Drags and the release go to
// whoever took the press. Keys go to the page.
#pragma once

#include "canvas/CanvasEvent.h"

#include <QPointer>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class ZVClipView;
class ZVPageItem;

class CanvasEventRouter {
public:
    enum class Receiver { None, Page, Element, Ground };

    void setPageItem(ZVPageItem* item);
    void setClipView(ZVClipView* clipView);

    void mouseDown(const CanvasEvent& event);
    void mouseDragged(const CanvasEvent& event);
    void mouseUp(const CanvasEvent& event);

    // Who took the last press.
    Receiver receiver() const { return m_receiver; }
    // The element under a page point that would take a press, if any.
    ZVPuttyView* elementAt(QPointF pagePoint) const;

private:
    ZVCanvasView* page() const;
    // Hands a drag or release to whoever took the press.
    void deliver(const CanvasEvent& event, void (ZVPuttyView::*toElement)(const CanvasEvent&),
                 void (ZVCanvasView::*toPage)(const CanvasEvent&), void (ZVClipView::*toGround)(const CanvasEvent&));

    QPointer<ZVPageItem> m_pageItem;
    QPointer<ZVClipView> m_clipView;
    Receiver m_receiver = Receiver::None;
    QPointer<ZVPuttyView> m_element;
};

} // namespace ql
