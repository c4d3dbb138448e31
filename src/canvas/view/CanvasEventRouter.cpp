#include "canvas/view/CanvasEventRouter.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVClipView.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "content/ZVTextView.h"
#include "content/text/TextEditor.h"

namespace ql {

namespace {

// The text content of an element when the point lies on it.
ZVTextView* textContentAt(ZVPuttyView& element, QPointF pagePoint)
{
    auto* text = qobject_cast<ZVTextView*>(element.contentView());
    return text && text->frame().contains(element.mapFromPage(pagePoint)) ? text : nullptr;
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
    m_text = nullptr;
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
        if (ZVTextView* text = textContentAt(*element, event.location)) {
            m_receiver = Receiver::Text;
            m_text = text;
            m_lastPressedText = text;
            text->mouseDown(event);
            return;
        }
        m_receiver = Receiver::Element;
        m_element = element;
        element->mouseDown(event);
        return;
    }
    m_receiver = Receiver::Page;
    shown->mouseDown(&event);
}

void CanvasEventRouter::deliver(const CanvasEvent& event, void (ZVPuttyView::*toElement)(const CanvasEvent&),
                                void (ZVTextView::*toText)(const CanvasEvent&),
                                void (ZVCanvasView::*toPage)(const CanvasEvent&),
                                void (ZVClipView::*toGround)(const CanvasEvent&))
{
    switch (m_receiver) {
    case Receiver::Element:
        if (m_element)
            (m_element->*toElement)(event);
        break;
    case Receiver::Text:
        if (m_text)
            (m_text->*toText)(event);
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
    deliver(event, &ZVPuttyView::mouseDragged, &ZVTextView::mouseDragged, &ZVCanvasView::mouseDragged, &ZVClipView::mouseDragged);
}

void CanvasEventRouter::mouseUp(const CanvasEvent& event)
{
    deliver(event, &ZVPuttyView::mouseUp, &ZVTextView::mouseUp, &ZVCanvasView::mouseUp, &ZVClipView::mouseUp);
    m_element = nullptr;
    m_text = nullptr;
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
    ZVTextView* text = editedText();
    return text && text->keyDown(event);
}

bool CanvasEventRouter::wantsKey(QKeyCombination key, const QString& text) const
{
    return editedText() && (key.key() == Qt::Key_Escape || text::TextEditor::isEditingKey(key, text));
}

} // namespace ql
