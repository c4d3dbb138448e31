// Decides who receives a pointer event on the canvas. A press on the page
// goes to what the topmost element of the stack reaches by its hit rules (a
// resize or rotation handle, a text box's content, or the element), else to
// the page; a press outside the page to the ground, which hands it to the
// handle or element lying there. A text box edits its text while it is
// edited and hands the press to its element otherwise. Drags and the
// release go to whoever took the press; the page's Shift and Option state
// follow every event. Keys go to the text box being edited, else the page.
// While the page is drawn on, its drawing surface takes every pointer event
// and key.
#pragma once

#include "canvas/CanvasCursor.h"
#include "canvas/CanvasEvent.h"

#include <QKeyCombination>
#include <QPointer>

class ZVCanvasView;
class ZVDrawingView;
class ZVHandleView;
class ZVPuttyView;
class ZVRotationHandleView;
class ZVTextView;

namespace ql {

class ZVClipView;
class ZVPageItem;

class CanvasEventRouter {
public:
    enum class Receiver { None, Page, Element, Text, Handle, RotationHandle, Ground, Drawing };

    void setPageItem(ZVPageItem* item);
    void setClipView(ZVClipView* clipView);

    void mouseDown(const CanvasEvent& event);
    void mouseDragged(const CanvasEvent& event);
    void mouseUp(const CanvasEvent& event);
    // The pointer moving with no button held: the cursor of what lies under
    // it (a handle's direction, a rotation arrow, the hand or zoom tool).
    void mouseMoved(const CanvasEvent& event);
    // The pointer left the canvas.
    void mouseLeft();
    // The cursor that a pointer at a page point shows.
    CanvasCursor cursorAt(const CanvasEvent& event) const;

    // A key for the text box being edited, else for the page (arrows); true
    // when one of them took the key.
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
    ZVPuttyView* elementAt(QPointF pagePoint, int modifiers = 0) const;

private:
    ZVCanvasView* page() const;
    // The shown page's drawing surface while the page is drawn on.
    ZVDrawingView* drawingSurface() const;
    void deliver(const CanvasEvent& event, bool release);
    // The edited text box learns when the pointer enters and leaves it; a
    // box that is no longer edited, or a pointer gone (null), leaves it.
    void trackTextHover(const CanvasEvent* event);

    QPointer<ZVPageItem> m_pageItem;
    QPointer<ZVClipView> m_clipView;
    Receiver m_receiver = Receiver::None;
    QPointer<ZVPuttyView> m_element;
    QPointer<ZVHandleView> m_handle;
    QPointer<ZVTextView> m_text;
    QPointer<ZVTextView> m_lastPressedText;
    QPointer<ZVTextView> m_hoverText;
    CanvasCursor m_hoverCursor;
    bool m_hoverCursorShown = false;
};

} // namespace ql
