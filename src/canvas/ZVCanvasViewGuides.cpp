// The page's guides: its stored ruler guides, the overlay's settings, the
// smart-guide pass and what elements and rulers tell the page.
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasHost.h"
#include "canvas/PageDocument.h"
#include "canvas/RulerHost.h"
#include "canvas/ZVGuideView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/guides/DragContext.h"
#include "canvas/guides/SmartGuides.h"
#include "canvas/view/CanvasImages.h"
#include "platform/graphics/RulerMarker.h"

#include <QSet>
#include <algorithm>
#include <cmath>

namespace {

QList<ql::RulerMarker> markersOf(const QVariantList& list)
{
    QList<ql::RulerMarker> markers;
    markers.reserve(list.size());
    for (const QVariant& item : list) {
        if (item.canConvert<ql::RulerMarker>())
            markers.append(item.value<ql::RulerMarker>());
    }
    return markers;
}

QVariantList listOf(const QList<ql::RulerMarker>& markers)
{
    QVariantList list;
    list.reserve(markers.size());
    for (const ql::RulerMarker& marker : markers)
        list.append(QVariant::fromValue(marker));
    return list;
}

QVariantList locationMarkers(const QList<double>& locations)
{
    QVariantList list;
    list.reserve(locations.size());
    for (double location : locations) {
        ql::RulerMarker marker;
        marker.location = location;
        list.append(QVariant::fromValue(marker));
    }
    return list;
}

QList<double> sortedLocations(const QList<ql::RulerMarker>& markers)
{
    QList<double> locations;
    locations.reserve(markers.size());
    for (const ql::RulerMarker& marker : markers)
        locations.append(marker.location);
    std::sort(locations.begin(), locations.end());
    return locations;
}

// Only where the guides are counts: the rulers hand markers back with their
// images and in their own order, and shifting by the bleed and back may move
// a location by a rounding error.
bool sameLocations(const QVariantList& stored, const QList<ql::RulerMarker>& markers)
{
    const QList<double> before = sortedLocations(markersOf(stored));
    const QList<double> after = sortedLocations(markers);
    return std::equal(before.cbegin(), before.cend(), after.cbegin(), after.cend(),
                      [](double a, double b) { return std::fabs(a - b) <= 1e-6; });
}

} // namespace

QList<ql::RulerMarker> ZVCanvasView::horizontalMarkers() const
{
    return markersOf(m_horizontalMarkers);
}

void ZVCanvasView::setHorizontalMarkers(const QList<ql::RulerMarker>& markers)
{
    const bool moved = !sameLocations(m_horizontalMarkers, markers);
    changeValue(QStringLiteral("horizontalMarkers"), m_horizontalMarkers, listOf(markers));
    if (moved)
        guidesChanged();
}

QList<ql::RulerMarker> ZVCanvasView::verticalMarkers() const
{
    return markersOf(m_verticalMarkers);
}

void ZVCanvasView::setVerticalMarkers(const QList<ql::RulerMarker>& markers)
{
    const bool moved = !sameLocations(m_verticalMarkers, markers);
    changeValue(QStringLiteral("verticalMarkers"), m_verticalMarkers, listOf(markers));
    if (moved)
        guidesChanged();
}

void ZVCanvasView::guidesChanged()
{
    endElementDrag();
    // Guides record no undo, but a guide added, moved or removed is still
    // work that closing must not lose without asking.
    if (PageDocument* owner = document())
        owner->pageChangedWithoutUndo(this);
}

void ZVCanvasView::setHiddenMarkers(const QList<double>& columns, const QList<double>& rows)
{
    m_hiddenHorizontalMarkers = locationMarkers(columns);
    m_hiddenVerticalMarkers = locationMarkers(rows);
}

void ZVCanvasView::updateGuideViewSettings()
{
    if (!m_guideView)
        return;
    const ZVCanvasView* geometry = templateView();
    m_guideView->setShowCropMarks(geometry->m_fullBleed && geometry->m_showBleedCropMarks);
    m_guideView->setBleedMargins(geometry->m_fullBleed ? geometry->m_bleedMargin : 0.0);
    m_guideView->setShowMarginGuides(geometry->m_showMarginGuides);
    m_guideView->setNeedsDisplay();
}

// Smart guides ----------------------------------------------------------------

namespace {

ql::GuideTargets guideTargetsOf(const ZVCanvasView& page, const QList<ZVPuttyView*>& active)
{
    const QSet<const ZVPuttyView*> activeSet(active.cbegin(), active.cend());
    const QList<ZVPuttyView*>& elements = page.puttyViews();
    QList<QRectF> targets;
    targets.reserve(elements.size() + 8);
    // Every other element is a target, on hidden layers too.
    for (const ZVPuttyView* element : elements) {
        if (!activeSet.contains(element))
            targets.append(element->realFrame());
    }
    targets.append(ql::pageGuideTargets(page));
    return ql::GuideTargets(targets);
}

} // namespace

void ZVCanvasView::beginElementDrag()
{
    m_drag.reset();
    // Stale wrap rectangles go now, so that a page that wraps nothing has
    // nothing to redo on the steps.
    setClippingRects();
    const QList<ZVPuttyView*> active = activeViews();
    m_drag = std::make_shared<const ql::DragContext>(ql::DragContext {
        active,
        guideTargetsOf(*this, active),
        std::any_of(m_puttyViews.cbegin(), m_puttyViews.cend(), [](const ZVPuttyView* e) { return e->causesWrap(); }),
        std::any_of(m_puttyViews.cbegin(), m_puttyViews.cend(),
                    [](const ZVPuttyView* e) { return e->textGroup() != nullptr; }),
    });
}

void ZVCanvasView::endElementDrag()
{
    m_drag.reset();
}

void ZVCanvasView::showGuides()
{
    ++m_guidePassCount;
    const QList<ZVPuttyView*> active = activeViews();
    // Outside a drag the page is searched afresh.
    std::shared_ptr<const ql::DragContext> drag = m_drag;
    const ql::GuideTargets targets = drag ? ql::GuideTargets() : guideTargetsOf(*this, active);
    QList<ql::GuideSubject> subjects;
    subjects.reserve(active.size());
    for (const ZVPuttyView* element : active)
        subjects.append({element->realFrame(), element->isMoving()});
    const ql::GuidePass pass = (drag ? drag->targets : targets).run(subjects, ql::guideTolerance());
    for (qsizetype i = 0; i < active.size(); ++i) {
        active.at(i)->setStickPoint(QPointF(0, 0));
        active.at(i)->setStickPoints(pass.stickPoints.at(i));
    }
    m_guideView->setVLines(pass.vLines);
    m_guideView->setHLines(pass.hLines);
    m_guideView->setLinesNeedDisplay();
}

void ZVCanvasView::clearGuides()
{
    m_guideView->setVLines({});
    m_guideView->setHLines({});
    m_guideView->setLinesNeedDisplay();
}

void ZVCanvasView::showTextLinks()
{
    // Links are drawn from chained boxes only: a page without them, whose
    // links already show, has nothing to redraw on every drag step.
    const bool chained = std::any_of(m_puttyViews.cbegin(), m_puttyViews.cend(),
                                     [](const ZVPuttyView* element) { return element->textGroup() != nullptr; });
    if (m_guideView->showTextLinks() && !chained)
        return;
    m_guideView->setShowTextLinks(true);
    m_guideView->setNeedsDisplay();
}

// Element callbacks -----------------------------------------------------------

void ZVCanvasView::puttyViewWasMoved(ZVPuttyView*)
{
    if (inMoveBatch()) {
        m_moveFollowUp.guides = MoveFollowUp::Guides::Shown;
        m_moveFollowUp.moved = true;
        return;
    }
    showGuides();
    followChangedElement();
}

void ZVCanvasView::puttyViewWasResized(ZVPuttyView* element)
{
    puttyViewWasMoved(element);
}

void ZVCanvasView::followChangedElement()
{
    // A drag on a page where nothing wraps and nothing is chained has no
    // wrapping and no links to redo on its steps.
    if (!m_drag || m_drag->wraps)
        setClippingRects();
    if (!m_drag || m_drag->chained || !m_guideView->showTextLinks())
        showTextLinks();
}

void ZVCanvasView::puttyViewWasRotated(ZVPuttyView*)
{
    if (inMoveBatch()) {
        m_moveFollowUp.rotated = true;
        return;
    }
    setClippingRects();
    showTextLinks();
}

void ZVCanvasView::puttyViewWasTouched(ZVPuttyView* element)
{
    // A text box takes the keyboard only when it is edited.
    const bool takesKeys = element && element->contentViewType() != ZVPuttyView::TextContent;
    if (inMoveBatch()) {
        m_moveFollowUp.touched = element;
        if (takesKeys)
            m_moveFollowUp.firstResponder = element;
        return;
    }
    // The inspectors show an element only while it is the one selected.
    setFocusedPuttyView(selectedViews().size() == 1 ? element : nullptr);
    if (takesKeys) {
        if (ql::CanvasHost* host = canvasHost())
            host->makeElementFirstResponder(element);
    }
}

void ZVCanvasView::puttyViewWasUnTouched(ZVPuttyView*)
{
    if (inMoveBatch())
        m_moveFollowUp.guides = MoveFollowUp::Guides::Cleared;
    else
        clearGuides();
}

// Ruler client ----------------------------------------------------------------

void ZVCanvasView::rulerViewHandleMouseDown(ql::RulerHost& ruler, QPointF pagePoint)
{
    ql::RulerMarker marker;
    marker.removable = true;
    if (ruler.isHorizontalRuler()) {
        marker.location = pagePoint.x();
        marker.imageName = ql::kEdgeMarkerTop;
        marker.imageOrigin = QPointF(0, 0);
    } else {
        marker.location = pagePoint.y();
        marker.imageName = ql::kEdgeMarkerLeft;
        const QSize size = ql::canvasImage(ql::kEdgeMarkerLeft).size();
        marker.imageOrigin = QPointF(size.width(), size.height());
    }
    ruler.addMarker(marker);
    rulerViewDidChangeMarkers(ruler);
}

bool ZVCanvasView::rulerViewShouldRemoveMarker(ql::RulerHost&, const ql::RulerMarker&)
{
    return true;
}

void ZVCanvasView::rulerViewDidChangeMarkers(ql::RulerHost&)
{
    if (PageDocument* owner = document())
        owner->saveCurrentPageMarkers();
    m_guideView->setNeedsDisplay();
}
