// Events of a text box on a page: while it is edited they go to its editor
// (in the view's coordinates, through the element's turn), otherwise to its
// element, which selects, moves or starts editing.
#include "content/ZVTextView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/text/TextEditor.h"

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
    if (m_editMode && m_selectable) {
        editor()->mousePress(viewPointFromPage(event.location), event.clickCount, event.has(ql::CanvasEvent::Shift));
        return;
    }
    if (ZVPuttyView* element = puttyView())
        element->mouseDown(event);
}

void ZVTextView::mouseDragged(const ql::CanvasEvent& event)
{
    if (m_editMode && m_selectable) {
        editor()->mouseDrag(viewPointFromPage(event.location));
        return;
    }
    if (ZVPuttyView* element = puttyView())
        element->mouseDragged(event);
}

void ZVTextView::mouseUp(const ql::CanvasEvent& event)
{
    if (m_editMode && m_selectable) {
        editor()->mouseRelease(viewPointFromPage(event.location));
        return;
    }
    if (ZVPuttyView* element = puttyView())
        element->mouseUp(event);
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
