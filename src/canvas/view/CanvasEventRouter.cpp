#include "canvas/view/CanvasEventRouter.h"

#include "canvas/CanvasHost.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVHandleView.h"
#include "canvas/ZVLinkTextView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVRotationHandleView.h"
#include "canvas/gestures/CropPanGesture.h"
#include "canvas/view/ZVClipView.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "content/ZVDrawingView.h"
#include "content/ZVTextView.h"
#include "content/text/TextEditor.h"

namespace ql {

namespace {

struct StackHit {
    ZVPuttyView* element = nullptr;
    ZVPuttyView::Hit hit;
};

StackHit topmostHit(const ZVPageItem& pageItem, QPointF pagePoint, int modifiers)
{
    const QList<ZVElementItem*> items = pageItem.elementItems();
    for (auto it = items.crbegin(); it != items.crend(); ++it) {
        ZVPuttyView* element = (*it)->element();
        if ((*it)->isInert() || !element)
            continue;
        if (const ZVPuttyView::Hit hit = element->hitTest(pagePoint, modifiers))
            return {element, hit};
    }
    return {};
}

bool isEdited(const ZVTextView* text)
{
    return text && text->editMode() && text->isEditable();
}

} // namespace

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

ZVDrawingView* CanvasEventRouter::drawingSurface() const
{
    ZVCanvasView* shown = page();
    return shown && shown->isDrawing() ? shown->drawingView() : nullptr;
}

ZVPuttyView* CanvasEventRouter::elementAt(QPointF pagePoint, int modifiers) const
{
    return m_pageItem ? topmostHit(*m_pageItem, pagePoint, modifiers).element : nullptr;
}

void CanvasEventRouter::mouseDown(const CanvasEvent& event)
{
    m_receiver = Receiver::None;
    m_element = nullptr;
    m_handle = nullptr;
    m_text = nullptr;
    m_hoverCursorShown = false;
    ZVCanvasView* shown = page();
    if (!shown)
        return;
    shown->setModifierFlags(event.modifiers);
    if (ZVDrawingView* surface = drawingSurface()) {
        m_receiver = Receiver::Drawing;
        surface->handleMouseDown(event);
        return;
    }
    if (!shown->bounds().contains(event.location)) {
        m_receiver = Receiver::Ground;
        if (m_clipView)
            m_clipView->mouseDown(event);
        return;
    }
    const StackHit found = topmostHit(*m_pageItem, event.location, event.modifiers);
    switch (found.hit.kind) {
    case ZVPuttyView::Hit::Kind::Handle:
        m_receiver = Receiver::Handle;
        m_handle = found.hit.handle;
        found.hit.handle->mouseDown(event);
        return;
    case ZVPuttyView::Hit::Kind::RotationHandle:
        m_receiver = Receiver::RotationHandle;
        m_handle = found.hit.handle;
        found.hit.handle->rotationHandle()->mouseDown(event);
        return;
    case ZVPuttyView::Hit::Kind::LinkBadge:
        // A press on an unselected box's badge is an ordinary press on the
        // box, and its drag and release follow it.
        m_receiver = found.element->isActive() ? Receiver::None : Receiver::Element;
        m_element = found.element;
        found.element->linkTextView()->mouseDown(event);
        return;
    case ZVPuttyView::Hit::Kind::Content:
        if (auto* text = qobject_cast<ZVTextView*>(found.element->contentView())) {
            m_receiver = Receiver::Text;
            m_text = text;
            m_lastPressedText = text;
            text->mouseDown(event);
            // A press may have begun editing with the pointer inside.
            trackTextHover(&event);
            return;
        }
        m_receiver = Receiver::Element;
        m_element = found.element;
        found.element->mouseDown(event);
        return;
    case ZVPuttyView::Hit::Kind::None:
        break;
    }
    m_receiver = Receiver::Page;
    shown->mouseDown(&event);
}

void CanvasEventRouter::deliver(const CanvasEvent& event, bool release)
{
    if (ZVCanvasView* shown = page())
        shown->setModifierFlags(event.modifiers);
    switch (m_receiver) {
    case Receiver::Element:
        if (m_element)
            release ? m_element->mouseUp(event) : m_element->mouseDragged(event);
        break;
    case Receiver::Text:
        if (m_text)
            release ? m_text->mouseUp(event) : m_text->mouseDragged(event);
        break;
    case Receiver::Handle:
        if (m_handle)
            release ? m_handle->mouseUp(event) : m_handle->mouseDragged(event);
        break;
    case Receiver::RotationHandle:
        if (m_handle)
            release ? m_handle->rotationHandle()->mouseUp(event) : m_handle->rotationHandle()->mouseDragged(event);
        break;
    case Receiver::Page:
        if (ZVCanvasView* shown = page())
            release ? shown->mouseUp(event) : shown->mouseDragged(event);
        break;
    case Receiver::Ground:
        if (m_clipView)
            release ? m_clipView->mouseUp(event) : m_clipView->mouseDragged(event);
        break;
    case Receiver::Drawing:
        if (ZVDrawingView* surface = drawingSurface())
            release ? surface->handleMouseUp(event) : surface->handleMouseDragged(event);
        break;
    case Receiver::None:
        break;
    }
}

void CanvasEventRouter::mouseDragged(const CanvasEvent& event)
{
    deliver(event, false);
}

void CanvasEventRouter::mouseUp(const CanvasEvent& event)
{
    deliver(event, true);
    m_hoverCursorShown = false;
    mouseMoved(event);
    m_element = nullptr;
    m_handle = nullptr;
    m_text = nullptr;
}

CanvasCursor CanvasEventRouter::cursorAt(const CanvasEvent& event) const
{
    using Shape = CanvasCursor::Shape;
    ZVCanvasView* shown = page();
    if (!shown)
        return {};
    switch (shown->drawingMode().toInt()) {
    case 1: return CanvasCursor::standard(shown->isMoving() ? Shape::ClosedHand : Shape::OpenHand);
    case 2:
        return CanvasCursor::named(event.has(CanvasEvent::Option) ? QStringLiteral("zoomout") : QStringLiteral("zoomin"),
                                   0.0, QPoint(0, 0));
    default: break;
    }
    // The handles of selected elements, wherever they lie, before the rest.
    const QList<ZVPuttyView*> selected = shown->selectedViews();
    for (auto it = selected.crbegin(); it != selected.crend(); ++it) {
        ZVPuttyView* element = *it;
        const ZVPuttyView::Hit hit = element->handleAt(event.location);
        if (!hit || element->isMoving() || element->cropMode())
            continue;
        if (element->isLocked())
            return CanvasCursor::standard(Shape::Forbidden);
        return hit.kind == ZVPuttyView::Hit::Kind::RotationHandle ? hit.handle->rotationHandle()->cursorForHandle()
                                                                  : hit.handle->cursorForHandle();
    }
    if (m_pageItem && shown->bounds().contains(event.location)) {
        const StackHit found = topmostHit(*m_pageItem, event.location, event.modifiers);
        if (found.element && found.hit.kind == ZVPuttyView::Hit::Kind::LinkBadge)
            return found.element->linkTextView()->cursor();
        if (found.element && found.hit.kind == ZVPuttyView::Hit::Kind::Content &&
            CropPanGesture::appliesTo(*found.element))
            return CanvasCursor::standard(Shape::OpenHand);
    }
    return {};
}

void CanvasEventRouter::mouseMoved(const CanvasEvent& event)
{
    // The path tool follows the pointer with the segment to come.
    if (ZVDrawingView* surface = drawingSurface())
        surface->handleMouseMoved(event);
    trackTextHover(&event);
    ZVCanvasView* shown = page();
    CanvasHost* host = shown ? shown->canvasHost() : nullptr;
    if (!host)
        return;
    const CanvasCursor cursor = cursorAt(event);
    // Gestures set cursors of their own; after one, the hover cursor is set anew.
    if (m_hoverCursorShown && cursor == m_hoverCursor)
        return;
    m_hoverCursor = cursor;
    m_hoverCursorShown = true;
    host->setCanvasCursor(cursor);
}

void CanvasEventRouter::mouseLeft()
{
    trackTextHover(nullptr);
}

void CanvasEventRouter::trackTextHover(const CanvasEvent* event)
{
    ZVTextView* tracked = event ? editedText() : nullptr;
    if (m_hoverText && m_hoverText != tracked && m_hoverText->mouseInside())
        m_hoverText->mouseExited();
    m_hoverText = tracked;
    if (tracked)
        tracked->mouseMoved(*event);
}

ZVTextView* CanvasEventRouter::editedText() const
{
    ZVCanvasView* shown = page();
    if (!shown)
        return nullptr;
    const auto onShownPage = [shown](const ZVTextView* text) {
        ZVPuttyView* element = text ? text->puttyView() : nullptr;
        return element && shown->puttyViews().contains(element);
    };
    if (isEdited(m_lastPressedText) && onShownPage(m_lastPressedText))
        return m_lastPressedText;
    for (ZVPuttyView* element : shown->puttyViews()) {
        auto* text = qobject_cast<ZVTextView*>(element->contentView());
        if (isEdited(text))
            return text;
    }
    return nullptr;
}

bool CanvasEventRouter::keyDown(const CanvasEvent& event)
{
    if (ZVDrawingView* surface = drawingSurface())
        return surface->keyDown(event);
    if (ZVTextView* text = editedText(); text && text->keyDown(event))
        return true;
    ZVCanvasView* shown = page();
    return shown && shown->keyDown(event);
}

bool CanvasEventRouter::wantsKey(QKeyCombination key, const QString& text) const
{
    return editedText() && (key.key() == Qt::Key_Escape || text::TextEditor::isEditingKey(key, text));
}

} // namespace ql
