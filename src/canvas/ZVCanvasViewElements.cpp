// Elements entering and leaving the page, and the undo steps that take them
// back. Every addition (browsers, menus, paste, drop, reading) comes through
// addPuttyView and every removal through deletePuttyView, so each is one
// undoable edit of the document.
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasHost.h"
#include "canvas/PageDocument.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/undo/UndoManager.h"

#include <algorithm>

namespace {

// Lists `uuid` in the record at `index` when that is still a position in it,
// else at its end; a record that lists it already stays as it is.
void listAt(ZVPuttyViewGroup& record, const QString& uuid, qsizetype index)
{
    if (record.listsUuid(uuid))
        return;
    if (index >= 0 && index <= record.groupedViews().size())
        record.insertUuid(index, uuid);
    else
        record.appendUuid(uuid);
}

// Takes `uuid` out of the record, answering where it stood (-1: not listed).
qsizetype unlist(ZVPuttyViewGroup* record, const QString& uuid)
{
    if (!record)
        return -1;
    const qsizetype index = record->groupedViews().indexOf(uuid);
    if (index >= 0)
        record->removeUuid(uuid);
    return index;
}

} // namespace

void ZVCanvasView::addPuttyView(ZVPuttyView* element)
{
    if (!element)
        return;
    if (holdsPuttyView(element)) {
        // Already here: only its layer listing is made whole.
        if (ZVPuttyViewGroup* layer = element->layoutLayerGroup())
            listAt(*layer, element->uuid(), -1);
        return;
    }
    registerElementStep(element, &ZVCanvasView::undoAdd);
    enterPuttyView(element, {});
}

void ZVCanvasView::deletePuttyView(ZVPuttyView* element)
{
    if (!element || !holdsPuttyView(element))
        return;
    registerElementStep(element, &ZVCanvasView::undoDelete);
    m_deletedPlaces.insert(element, takeOffPuttyView(element));
}

void ZVCanvasView::deleteActivePuttyViews()
{
    // Keys and commands while a content is edited belong to that content.
    if (m_editMode)
        return;
    for (ZVPuttyView* element : activeViews())
        deletePuttyView(element);
    if (ql::CanvasHost* host = canvasHost())
        host->setNeedsDisplay();
}

void ZVCanvasView::delete_()
{
    deleteActivePuttyViews();
}

void ZVCanvasView::undoAdd(ZVPuttyView* element)
{
    m_deletedPlaces.insert(element, takeOffPuttyView(element));
    registerElementStep(element, &ZVCanvasView::redoAdd);
}

void ZVCanvasView::redoAdd(ZVPuttyView* element)
{
    enterPuttyView(element, m_deletedPlaces.take(element));
    registerElementStep(element, &ZVCanvasView::undoAdd);
}

void ZVCanvasView::undoDelete(ZVPuttyView* element)
{
    enterPuttyView(element, m_deletedPlaces.take(element));
    ql::after(1000, this, [this] { clearGuides(); });
    registerElementStep(element, &ZVCanvasView::redoDelete);
}

void ZVCanvasView::redoDelete(ZVPuttyView* element)
{
    m_deletedPlaces.insert(element, takeOffPuttyView(element));
    registerElementStep(element, &ZVCanvasView::undoDelete);
}

void ZVCanvasView::registerElementStep(ZVPuttyView* element, void (ZVCanvasView::*step)(ZVPuttyView*))
{
    ql::UndoManager* manager = undoManager();
    if (!manager)
        return;
    // The page is the target: a step of a page that is gone is skipped.
    manager->registerUndo(this, [this, element = QPointer<ZVPuttyView>(element), step] {
        if (element)
            (this->*step)(element);
    });
}

void ZVCanvasView::enterPuttyView(ZVPuttyView* element, const ElementPlace& place)
{
    if (!element || holdsPuttyView(element))
        return;
    element->setParent(this);
    element->setCanvas(this);
    ZVPuttyViewGroup* layer = element->layoutLayerGroup();
    if (!layer) {
        layer = currentLayoutLayer();
        if (!layer && !m_layoutLayers.isEmpty())
            layer = m_layoutLayers.constLast().data();
        element->setLayoutLayerGroup(layer);
    }
    // An element arriving with a layer (read, copied, brought back) keeps it
    // and is listed there once.
    if (layer)
        listAt(*layer, element->uuid(), place.layer);
    if (ZVPuttyViewGroup* chain = element->textGroup(); chain && place.chain >= 0)
        listAt(*chain, element->uuid(), place.chain);
    if (auto* text = qobject_cast<ZVTextView*>(element->contentView()); text && place.textFlow >= 0)
        text->returnToTextFlow(place.textFlow);

    // A drag's targets and selection no longer hold.
    endElementDrag();
    willChangeValueForKey(QStringLiteral("puttyViews"));
    if (place.list >= 0 && place.list <= m_puttyViews.size())
        m_puttyViews.insert(place.list, element);
    else
        m_puttyViews.append(element);
    m_puttyViewSet.insert(element);
    didChangeValueForKey(QStringLiteral("puttyViews"));
    layoutPuttyViews();
    if (!m_readingPuttyViews)
        setClippingRectsForEntered(element);
    if (place.chain >= 0)
        showTextLinks();
    if (ql::CanvasHost* host = canvasHost()) {
        host->changeInspectorView(2);
        host->setNeedsDisplay();
    }
    redrawLayerThumbs();
}

void ZVCanvasView::redrawLayerThumbs() const
{
    // A page being read belongs to no document yet: nobody shows its layers.
    if (document())
        ql::NotificationCenter::defaultCenter().post(QStringLiteral("redrawLayerThumbs"));
}

ZVCanvasView::ElementPlace ZVCanvasView::takeOffPuttyView(ZVPuttyView* element)
{
    ElementPlace place;
    if (!element || !holdsPuttyView(element))
        return place;
    if (m_focusedPuttyView == element)
        setFocusedPuttyView(nullptr);
    element->setIsActive(false);
    place.list = m_puttyViews.indexOf(element);
    // The element keeps its layer and chain, so that coming back lists it
    // there again.
    place.layer = unlist(element->layoutLayerGroup(), element->uuid());
    place.chain = unlist(element->textGroup(), element->uuid());
    // A chained box's text flows on through the boxes that remain.
    if (auto* text = qobject_cast<ZVTextView*>(element->contentView()))
        place.textFlow = text->withdrawFromTextFlow();
    if (!m_deletedPuttyViews.contains(element))
        m_deletedPuttyViews.append(element);

    endElementDrag();
    willChangeValueForKey(QStringLiteral("puttyViews"));
    m_puttyViews.removeAt(place.list);
    m_puttyViewSet.remove(element);
    didChangeValueForKey(QStringLiteral("puttyViews"));
    layoutPuttyViews();
    setClippingRects();
    if (place.chain >= 0)
        showTextLinks();
    if (element->contentViewType() == ZVPuttyView::TextContent) {
        if (PageDocument* owner = document())
            owner->showRulers();
    }
    if (ql::CanvasHost* host = canvasHost()) {
        host->makePageFirstResponder(true);
        host->setNeedsDisplay();
    }
    redrawLayerThumbs();
    return place;
}
