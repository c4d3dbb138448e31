#include "canvas/view/ZVGuideItem.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVGuideView.h"

#include <QPainter>
#include <QSet>

namespace ql {

ZVGuideItem::ZVGuideItem(ZVGuideView& guideView, QGraphicsItem* parent) : QGraphicsItem(parent), m_guideView(&guideView)
{
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    connect(&guideView, &ZVGuideView::needsDisplay, this, &ZVGuideItem::follow);
    connect(&guideView, &ZVGuideView::linesNeedDisplay, this, &ZVGuideItem::followLines);
    if (ZVCanvasView* page = guideView.canvas())
        m_bounds = page->bounds();
}

void ZVGuideItem::follow()
{
    const ZVCanvasView* page = m_guideView ? m_guideView->canvas() : nullptr;
    const QRectF bounds = page ? page->bounds() : QRectF();
    if (bounds != m_bounds) {
        prepareGeometryChange();
        m_bounds = bounds;
    }
    if (m_guideView) {
        m_shownVLines = m_guideView->vLines();
        m_shownHLines = m_guideView->hLines();
    }
    update();
}

void ZVGuideItem::followLines()
{
    if (!m_guideView)
        return;
    // A line is a point wide; its strip is a little wider for antialiasing.
    constexpr double kHalfStrip = 2.0;
    // Only lines that came or went are redrawn.
    const auto redraw = [this](const QList<double>& beforeList, const QList<double>& afterList, bool vertical) {
        const QSet<double> before(beforeList.cbegin(), beforeList.cend());
        const QSet<double> after(afterList.cbegin(), afterList.cend());
        for (const QSet<double>* lines : {&before, &after}) {
            const QSet<double>& other = lines == &before ? after : before;
            for (double at : *lines) {
                if (other.contains(at))
                    continue;
                update(vertical ? QRectF(at - kHalfStrip, m_bounds.top(), 2 * kHalfStrip, m_bounds.height())
                                : QRectF(m_bounds.left(), at - kHalfStrip, m_bounds.width(), 2 * kHalfStrip));
            }
        }
    };
    const QList<double> vertical = m_guideView->vLines();
    const QList<double> horizontal = m_guideView->hLines();
    redraw(m_shownVLines, vertical, true);
    redraw(m_shownHLines, horizontal, false);
    m_shownVLines = vertical;
    m_shownHLines = horizontal;
}

QRectF ZVGuideItem::boundingRect() const
{
    return m_bounds;
}

void ZVGuideItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (m_guideView)
        m_guideView->drawRect(*painter);
}

} // namespace ql
