// The page's selection: reading it, highlighting, selecting all, focusing one
// element, clearing; centring an element.
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/PageDocument.h"
#include "canvas/SelectionBatch.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/guides/DragContext.h"
#include "content/ZV3DTextView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/runtime/NotificationCenter.h"

#include <QSet>
#include <optional>
#include <utility>

namespace {

// The elements of the page's current layer, in the layer's order.
QList<ZVPuttyView*> currentLayerElements(const ZVCanvasView& page)
{
    const ZVPuttyViewGroup* layer = page.currentLayoutLayer();
    return layer ? layer->puttyViewsObjects(page.puttyViews()) : QList<ZVPuttyView*>();
}

void setFlag(ZVCanvasView& page, const char* key, bool& field, bool value)
{
    if (field != value)
        page.changeValue(QString::fromLatin1(key), field, value);
}

void endTextEditing(ZVPuttyView& element)
{
    if (auto* text = qobject_cast<ZVTextView*>(element.contentView()))
        text->setEditMode(false);
}

} // namespace

QList<ZVPuttyView*> ZVCanvasView::activeViews()
{
    // A drag's selection stands until the release: any change ends the drag's
    // record of it.
    if (m_drag)
        return m_drag->active;
    if (m_heldActiveViews)
        return *m_heldActiveViews;
    const QList<ZVPuttyView*> selected = selectedViews();
    QSet<const ZVPuttyView*> chosen(selected.cbegin(), selected.cend());
    for (const QList<ZVPuttyView*>& members : groupMembersOf(selected)) {
        for (const ZVPuttyView* member : members)
            chosen.insert(member);
    }
    // In element order, each once.
    QList<ZVPuttyView*> result;
    for (ZVPuttyView* element : std::as_const(m_puttyViews)) {
        if (chosen.remove(element))
            result.append(element);
    }
    const qsizetype count = result.size();
    setFlag(*this, "oneOrModeActive", m_oneOrModeActive, count >= 1);
    setFlag(*this, "twoOrModeActive", m_twoOrModeActive, count >= 2);
    setFlag(*this, "threeOrModeActive", m_threeOrModeActive, count >= 3);
    if (m_activeViewsHold > 0)
        m_heldActiveViews = result;
    return result;
}

void ZVCanvasView::releaseActiveViews()
{
    if (--m_activeViewsHold == 0)
        m_heldActiveViews.reset();
}

QList<QList<ZVPuttyView*>> ZVCanvasView::groupMembersOf(const QList<ZVPuttyView*>& elements) const
{
    // Each group is resolved once, against one index of the page's elements,
    // however many of its members are given.
    QList<QList<ZVPuttyView*>> result;
    QSet<const ZVPuttyViewGroup*> resolved;
    std::optional<ZVPuttyViewGroup::ElementIndex> byUuid;
    for (const ZVPuttyView* element : elements) {
        const ZVPuttyViewGroup* group = element->group();
        if (!group || resolved.contains(group))
            continue;
        resolved.insert(group);
        if (!byUuid)
            byUuid = ZVPuttyViewGroup::indexByUuid(m_puttyViews);
        result.append(group->puttyViewsObjectsByUuid(*byUuid));
    }
    return result;
}

QList<ZVPuttyView*> ZVCanvasView::unlockedActiveViews()
{
    QList<ZVPuttyView*> unlocked = activeViews();
    unlocked.removeIf([](const ZVPuttyView* element) { return element->isLocked(); });
    return unlocked;
}

QList<ZVPuttyView*> ZVCanvasView::selectedViews() const
{
    QList<ZVPuttyView*> result;
    QSet<const ZVPuttyView*> seen;
    for (ZVPuttyView* element : m_puttyViews) {
        if (element->isActive() && !seen.contains(element)) {
            seen.insert(element);
            result.append(element);
        }
    }
    return result;
}

void ZVCanvasView::highlightPuttyViews()
{
    {
        const ql::SelectionBatch batch(*this);
        for (ZVPuttyView* element : currentLayerElements(*this)) {
            if (!m_shiftKeyPressed)
                element->setIsActive(false);
            element->setIsHighlighted(true);
        }
    }
    clearEditingPuttyViews();
}

void ZVCanvasView::selectAll()
{
    const ql::SelectionBatch batch(*this);
    for (ZVPuttyView* element : currentLayerElements(*this))
        element->setIsActive(true);
}

ZVPuttyView* ZVCanvasView::focusedPuttyView() const
{
    return m_focusedPuttyView.data();
}

void ZVCanvasView::setFocusedPuttyView(ZVPuttyView* element)
{
    willChangeValueForKey(QStringLiteral("focusedPuttyView"));
    m_focusedPuttyView = element;
    didChangeValueForKey(QStringLiteral("focusedPuttyView"));
    if (element) {
        setFlag(*this, "focused", m_focused, true);
        const int type = element->contentViewType();
        setFlag(*this, "focusedImage", m_focusedImage, type == ZVPuttyView::ImageContent);
        setFlag(*this, "focusedText", m_focusedText, type == ZVPuttyView::TextContent);
        setFlag(*this, "focusedVector", m_focusedVector, type == ZVPuttyView::VectorContent);
        if (ZVBackgroundView* background = element->backgroundView())
            background->setSelected(true);
        return;
    }
    setFlag(*this, "focused", m_focused, false);
    setFlag(*this, "focusedImage", m_focusedImage, false);
    setFlag(*this, "focusedText", m_focusedText, false);
    setFlag(*this, "focusedVector", m_focusedVector, false);
    for (ZVPuttyView* each : std::as_const(m_puttyViews)) {
        if (ZVBackgroundView* background = each->backgroundView())
            background->setSelected(false);
    }
}

void ZVCanvasView::followSelection()
{
    const QList<ZVPuttyView*> selected = selectedViews();
    ZVPuttyView* single = selected.size() == 1 ? selected.first() : nullptr;
    if (single != m_focusedPuttyView)
        setFocusedPuttyView(single);
}

void ZVCanvasView::puttyViewActiveChanged(ZVPuttyView* element, bool active)
{
    // A change on its own is a batch of one.
    const ql::SelectionBatch batch(*this);
    SelectionFollowUp& pending = m_selectionFollowUp;
    pending.changed = true;
    pending.selected = pending.selected < 0 ? selectedViews().size() : pending.selected + (active ? 1 : -1);
    if (!active)
        return;
    pending.activated = true;
    // Elements activated one by one would have shown this one alone in its
    // inspector, and made it the first active one if its group is just it.
    if (pending.selected == 1) {
        pending.showInspector = true;
        if (activeViews().size() == 1)
            pending.firstActive = element;
    }
}

void ZVCanvasView::beginSelectionBatch()
{
    ++m_selectionFollowUp.depth;
}

void ZVCanvasView::endSelectionBatch()
{
    if (--m_selectionFollowUp.depth > 0)
        return;
    // Taken first: what follows may change the selection again.
    const SelectionFollowUp done = std::exchange(m_selectionFollowUp, {});
    if (!done.changed)
        return;
    followSelection();
    if (ql::CanvasHost* host = canvasHost()) {
        if (done.showInspector)
            host->showSelectionInspector();
        host->updateInspectorView();
    }
    if (done.firstActive)
        setFirstActiveView(done.firstActive);
    // The count flags, as the last activation leaves them.
    if (done.activated)
        activeViews();
}

void ZVCanvasView::clearPuttyViews()
{
    setFocusedPuttyView(nullptr);
    {
        const ql::SelectionBatch batch(*this);
        for (ZVPuttyView* element : std::as_const(m_puttyViews)) {
            element->setIsActive(false);
            element->setIsHighlighted(false);
            endTextEditing(*element);
            if (auto* text3D = qobject_cast<ZV3DTextView*>(element->contentView())) {
                text3D->setAllowsCameraControl(false);
                text3D->setEditMode(false);
            }
        }
    }
    clearEditingPuttyViews();
    if (ql::CanvasHost* host = canvasHost())
        host->makePageFirstResponder(true);
}

void ZVCanvasView::clearEditingPuttyViews()
{
    for (ZVPuttyView* element : std::as_const(m_puttyViews))
        endTextEditing(*element);
    if (ql::CanvasHost* host = canvasHost())
        host->makePageFirstResponder(false);
}

void ZVCanvasView::centerPuttyView(ZVPuttyView* element)
{
    if (!element)
        return;
    const QSizeF size = element->frame().size();
    element->setFrame(QRectF(QPointF(m_frame.width() / 2 - size.width() / 2, m_frame.height() / 2 - size.height() / 2),
                             size));
}

void ZVCanvasView::setSelectionViewFrame(const QRectF& frame)
{
    if (frame != m_selectionViewFrame)
        changeValue(QStringLiteral("selectionViewFrame"), m_selectionViewFrame, frame);
}

void ZVCanvasView::setSelectionViewHidden(bool hidden)
{
    if (hidden != m_selectionViewHidden)
        changeValue(QStringLiteral("selectionViewHidden"), m_selectionViewHidden, hidden);
}

ql::CanvasHost* ZVCanvasView::canvasHost() const
{
    PageDocument* owner = document();
    return owner ? owner->canvasHost() : nullptr;
}
