// Decides who receives a pointer event on the canvas. A press outside the
// page first deselects everything, then the ground's walk hands it to the
// elements lying there; a press on the page goes to the topmost element of
// the current layer under it, else to the page. Drags and the release go to
// whoever took the press. A press on a text box's content goes to the box,
// which edits its text while it is edited and hands the press to its element
// otherwise. Keys go to the text box being edited, if any.
#pragma once

#include "canvas/CanvasEvent.h"

#include <QKeyCombination>
#include <QPointer>

class ZVCanvasView;
class ZVPuttyView;
class ZVTextView;

namespace ql {

class ZVClipView;
class ZVPageItem;

class CanvasEventRouter {
public:
    enum class Receiver { None, Page, Element, Text, Ground };

    void setPageItem(ZVPageItem* item);
    void setClipView(ZVClipView* clipView);

    void mouseDown(const CanvasEvent& event);
    void mouseDragged(const CanvasEvent& event);
    void mouseUp(const CanvasEvent& event);

    // A key for the text box being edited; true when it took the key.
    bool keyDown(const CanvasEvent& event);
    // Whether a key would edit text, so that it goes to the box before any
    // menu shortcut.
    bool wantsKey(QKeyCombination key, const QString& text) const;
    // The text box being edited on the shown page: the one last pressed,
    // else the first one found.
    ZVTextView* editedText() const;

    // Who took the last press.
    Receiver receiver() const { return m_receiver; }
    // The element under a page point that would take a press, if any.
    ZVPuttyView* elementAt(QPointF pagePoint) const;

private:
    ZVCanvasView* page() const;
    // Hands a drag or release to whoever took the press.
    void deliver(const CanvasEvent& event, void (ZVPuttyView::*toElement)(const CanvasEvent&),
                 void (ZVTextView::*toText)(const CanvasEvent&),
                 void (ZVCanvasView::*toPage)(const CanvasEvent&), void (ZVClipView::*toGround)(const CanvasEvent&));

    QPointer<ZVPageItem> m_pageItem;
    QPointer<ZVClipView> m_clipView;
    Receiver m_receiver = Receiver::None;
    QPointer<ZVPuttyView> m_element;
    QPointer<ZVTextView> m_text;
    QPointer<ZVTextView> m_lastPressedText;
};

} // namespace ql
