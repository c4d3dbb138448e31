// The page's alignment commands: the active elements lined up on the page's
// margins or centre, on the first active element, or spread evenly. Edges
// are the contents' (the frame less its handle margin); every frame is set
// with its resize undo, so that a command undoes as one step.
#include "canvas/ZVCanvasView.h"

#include "canvas/ZVPuttyView.h"
#include "platform/runtime/Deferred.h"

#include <algorithm>

namespace {

constexpr double kMargin = ZVPuttyView::kMargin;

QRectF withX(QRectF frame, double x)
{
    frame.moveLeft(x);
    return frame;
}

QRectF withY(QRectF frame, double y)
{
    frame.moveTop(y);
    return frame;
}

} // namespace

void ZVCanvasView::alignActivePuttyViews(const std::function<QRectF(const QRectF&)>& place, const ZVPuttyView* skip)
{
    const QList<ZVPuttyView*> movable = unlockedActiveViews();
    if (movable.isEmpty())
        return;
    for (ZVPuttyView* element : movable) {
        if (element == skip)
            continue;
        const QRectF frame = place(element->frame());
        if (frame != element->frame())
            element->setNewPuttyViewFrame(frame, true);
    }
    ql::after(1000, this, [this] { clearGuides(); });
}

// To the page ------------------------------------------------------------------

// The margins are measured from the trim edge: with full bleed the page is
// larger by the bleed on every side.
void ZVCanvasView::alignViewLeft()
{
    const double x = templateView()->leftMargin() + effectiveBleedMargin() - kMargin;
    alignActivePuttyViews([x](const QRectF& f) { return withX(f, x); });
}

void ZVCanvasView::alignViewCenter()
{
    const double width = m_frame.width();
    alignActivePuttyViews([width](const QRectF& f) { return withX(f, width * 0.5 - f.width() * 0.5); });
}

void ZVCanvasView::alignViewRight()
{
    const double right = m_frame.width() - templateView()->rightMargin() - effectiveBleedMargin() + kMargin;
    alignActivePuttyViews([right](const QRectF& f) { return withX(f, right - f.width()); });
}

void ZVCanvasView::alignViewTop()
{
    const double y = templateView()->topMargin() + effectiveBleedMargin() - kMargin;
    alignActivePuttyViews([y](const QRectF& f) { return withY(f, y); });
}

void ZVCanvasView::alignViewMiddle()
{
    const double height = m_frame.height();
    alignActivePuttyViews([height](const QRectF& f) { return withY(f, height * 0.5 - f.height() * 0.5); });
}

void ZVCanvasView::alignViewBottom()
{
    const double bottom = m_frame.height() - templateView()->bottomMargin() - effectiveBleedMargin() + kMargin;
    alignActivePuttyViews([bottom](const QRectF& f) { return withY(f, bottom - f.height()); });
}

// To the first active element ---------------------------------------------------

const ZVPuttyView* ZVCanvasView::alignmentReference() const
{
    const ZVPuttyView* first = firstActiveView();
    return first && first->isActive() && puttyViews().contains(first) ? first : nullptr;
}

void ZVCanvasView::alignEdgesLeft()
{
    if (const ZVPuttyView* r = alignmentReference())
        alignActivePuttyViews([to = r->frame()](const QRectF& f) { return withX(f, to.x()); }, r);
}

void ZVCanvasView::alignEdgesRight()
{
    if (const ZVPuttyView* r = alignmentReference())
        alignActivePuttyViews([to = r->frame()](const QRectF& f) { return withX(f, to.right() - f.width()); }, r);
}

void ZVCanvasView::alignEdgesTop()
{
    if (const ZVPuttyView* r = alignmentReference())
        alignActivePuttyViews([to = r->frame()](const QRectF& f) { return withY(f, to.y()); }, r);
}

void ZVCanvasView::alignEdgesBottom()
{
    if (const ZVPuttyView* r = alignmentReference())
        alignActivePuttyViews([to = r->frame()](const QRectF& f) { return withY(f, to.bottom() - f.height()); }, r);
}

void ZVCanvasView::alignCenterVertical()
{
    if (const ZVPuttyView* r = alignmentReference())
        alignActivePuttyViews([to = r->frame()](const QRectF& f) { return withX(f, to.center().x() - f.width() * 0.5); }, r);
}

void ZVCanvasView::alignCenterHorizontal()
{
    if (const ZVPuttyView* r = alignmentReference())
        alignActivePuttyViews([to = r->frame()](const QRectF& f) { return withY(f, to.center().y() - f.height() * 0.5); }, r);
}

// Distribution -------------------------------------------------------------------

void ZVCanvasView::distributeEdgesVerticalByCenter(bool byCenter)
{
    distributeActivePuttyViews(true, byCenter);
}

void ZVCanvasView::distributeEdgesHorizontalByCenter(bool byCenter)
{
    distributeActivePuttyViews(false, byCenter);
}

void ZVCanvasView::distributeActivePuttyViews(bool alongX, bool byCenter)
{
    // Position and extent along the chosen axis.
    const auto start = [alongX](const QRectF& r) { return alongX ? r.x() : r.y(); };
    const auto extent = [alongX](const QRectF& r) { return alongX ? r.width() : r.height(); };

    if (unlockedActiveViews().isEmpty())
        return;
    // Locked elements keep their places among the others and still count.
    QList<ZVPuttyView*> sorted = activeViews();
    if (sorted.size() >= 3) {
        std::stable_sort(sorted.begin(), sorted.end(), [&](const ZVPuttyView* a, const ZVPuttyView* b) {
            return start(a->frame()) < start(b->frame());
        });
        const ZVPuttyView* first = sorted.constFirst();
        const qsizetype middle = sorted.size() - 2;
        // The free space between the outer two contents, less the middle
        // contents when the gaps are spaced.
        double span = start(sorted.constLast()->contentFrame())
            - (start(first->contentFrame()) + extent(first->contentFrame()));
        if (!byCenter) {
            for (qsizetype i = 1; i <= middle; ++i)
                span -= extent(sorted.at(i)->contentFrame());
        }
        // By centre: the middle contents' centres sit in the middle of equal cells.
        const double gap = byCenter ? span / double(2 * middle) : span / double(middle + 1);
        const double firstContentEnd = start(first->frame()) + extent(first->frame()) - kMargin;
        for (qsizetype i = 1; i <= middle; ++i) {
            ZVPuttyView* element = sorted.at(i);
            if (element->isLocked())
                continue;
            double at = 0;
            if (byCenter) {
                at = firstContentEnd + double(2 * i - 1) * gap - extent(element->contentFrame()) * 0.5 - kMargin;
            } else {
                const QRectF previous = sorted.at(i - 1)->frame();
                at = start(previous) + extent(previous) + gap - 2 * kMargin;
            }
            const QRectF frame = alongX ? withX(element->frame(), at) : withY(element->frame(), at);
            if (frame != element->frame())
                element->setNewPuttyViewFrame(frame, true);
        }
    }
    ql::after(1000, this, [this] { clearGuides(); });
}
