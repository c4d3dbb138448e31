#include "app/output/ZVPDFPage.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVCanvasView.h"

#include <algorithm>

namespace ql {

ZVPDFPage::ZVPDFPage(QList<ZVCanvasView*> canvases) : m_canvases(guardedPages(canvases)) {}

QList<ZVCanvasView*> ZVPDFPage::canvases() const
{
    return livePages(m_canvases);
}

QList<QPointer<ZVCanvasView>> guardedPages(const QList<ZVCanvasView*>& pages)
{
    return QList<QPointer<ZVCanvasView>>(pages.begin(), pages.end());
}

QList<ZVCanvasView*> livePages(const QList<QPointer<ZVCanvasView>>& pages)
{
    QList<ZVCanvasView*> result;
    for (const QPointer<ZVCanvasView>& page : pages) {
        if (page)
            result.append(page.data());
    }
    return result;
}

QRectF ZVPDFPage::boundsForBox() const
{
    return boundsForCanvases(canvases());
}

QRectF ZVPDFPage::trimBox() const
{
    return trimForCanvases(canvases());
}

void ZVPDFPage::drawWithBox(QPainter& painter, ZVDesignHelper& helper) const
{
    helper.drawCanvasesInContext(painter, canvases());
}

QRectF boundsForCanvases(const QList<ZVCanvasView*>& canvases)
{
    if (canvases.isEmpty())
        return {};
    if (canvases.size() == 1)
        return canvases.first()->bounds();
    const QSizeF first = canvases.first()->frame().size();
    const QSizeF last = canvases.last()->frame().size();
    return QRectF(0, 0, first.width() + last.width(), std::max(first.height(), last.height()));
}

QRectF trimForCanvases(const QList<ZVCanvasView*>& canvases)
{
    QRectF trim;
    double left = 0.0;
    for (const ZVCanvasView* page : canvases) {
        const QRectF bounds = page->bounds();
        // A stored bleed may be anything; the trim stays within the sheet.
        const double bleed = std::clamp(page->effectiveBleedMargin(), 0.0,
                                        std::min(bounds.width(), bounds.height()) / 2);
        trim |= bounds.adjusted(bleed, bleed, -bleed, -bleed).translated(left, 0.0);
        left += bounds.width();
    }
    return trim;
}

} // namespace ql
