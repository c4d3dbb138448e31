// Events of a text box on a page: while it is edited they go to its editor
// (in the view's coordinates, through the element's turn), otherwise to its
// element, which selects or moves, and after a double click opens the box for
// editing.
#include "content/ZVTextView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "content/text/TextEditor.h"

#include <utility>

namespace {

Qt::KeyboardModifiers qtModifiers(const ql::CanvasEvent& event)
{
    // The canvas gives Ctrl as the original's Command key and Alt as Option.
    Qt::KeyboardModifiers modifiers;
    if (event.has(ql::CanvasEvent::Shift))
        modifiers |= Qt::ShiftModifier;
    if (event.has(ql::CanvasEvent::Command))
        modifiers |= Qt::ControlModifier;
    if (event.has(ql::CanvasEvent::Option))
        modifiers |= Qt::AltModifier;
    if (event.has(ql::CanvasEvent::Control))
        modifiers |= Qt::MetaModifier;
    return modifiers;
}

} // namespace

ql::text::TextEditor* ZVTextView::editor()
{
    if (!m_editor)
        m_editor = new ql::text::TextEditor(this);
    return m_editor;
}

QPointF ZVTextView::viewPointFromPage(QPointF pagePoint) const
{
    const ZVPuttyView* element = puttyView();
    const QPointF local = element ? element->mapFromPage(pagePoint) : pagePoint;
    return local - m_frame.topLeft();
}

void ZVTextView::mouseDown(const ql::CanvasEvent& event)
{
    // A gesture that begins on the edited box edits its text to the end,
    // even if editing ends or begins on the way.
    const bool editing = m_editMode && m_selectable;
    if (editing && event.button == ql::CanvasEvent::Button::Right) {
        m_gesture = Gesture::Ignored;
        return;
    }
    m_gesture = editing ? Gesture::Editor : Gesture::Element;
    if (editing) {
        editor()->mousePress(viewPointFromPage(event.location), event.clickCount, event.has(ql::CanvasEvent::Shift));
        return;
    }
    if (ZVPuttyView* element = puttyView())
        element->mouseDown(event);
}

void ZVTextView::mouseMoved(const ql::CanvasEvent& event)
{
    const bool inside = bounds().contains(viewPointFromPage(event.location));
    if (inside && !m_mouseInside)
        mouseEntered();
    else if (!inside && m_mouseInside)
        mouseExited();
}

void ZVTextView::mouseEntered()
{
    setMouseInside(true);
}

void ZVTextView::mouseExited()
{
    setMouseInside(false);
}

void ZVTextView::mouseDragged(const ql::CanvasEvent& event)
{
    if (m_gesture == Gesture::Editor) {
        editor()->mouseDrag(viewPointFromPage(event.location));
        return;
    }
    if (ZVPuttyView* element = puttyView(); element && m_gesture == Gesture::Element)
        element->mouseDragged(event);
}

void ZVTextView::mouseUp(const ql::CanvasEvent& event)
{
    const Gesture gesture = std::exchange(m_gesture, Gesture::Element);
    if (gesture == Gesture::Editor) {
        editor()->mouseRelease(viewPointFromPage(event.location));
        return;
    }
    // The element's release ends its move and, after a double click, opens
    // the box for editing (beginEditingChain).
    if (ZVPuttyView* element = puttyView(); element && gesture == Gesture::Element)
        element->mouseUp(event);
}

void ZVTextView::beginEditingChain()
{
    ZVPuttyView* element = puttyView();
    ZVCanvasView* page = element ? element->canvas() : nullptr;
    const ZVPuttyViewGroup* chain = element ? element->textGroup() : nullptr;
    if (!chain || !page) {
        setEditMode(true);
        setNeedsDisplay();
        return;
    }
    // Every box of the chain on this page is edited, each with the caret at the start.
    for (ZVPuttyView* member : chain->puttyViewsObjects(page->puttyViews())) {
        if (auto* box = qobject_cast<ZVTextView*>(member->contentView())) {
            box->setEditMode(true);
            box->setSelectedRange({0, 0});
        }
    }
    setNeedsDisplay();
}

bool ZVTextView::keyDown(const ql::CanvasEvent& event)
{
    bool taken = false;
    if (m_editMode && m_editable)
        taken = editor()->keyPress(QKeyCombination(qtModifiers(event), Qt::Key(event.keyCode)), event.characters);
    if (event.keyCode == Qt::Key_Escape) {
        if (ZVCanvasView* page = puttyView() ? puttyView()->canvas() : nullptr) {
            page->clearPuttyViews();
            page->highlightPuttyViews();
        }
        return true;
    }
    return taken;
}
