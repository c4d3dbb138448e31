// Text wrap: the rectangles that wrapping elements cover in the text boxes
// below them in their layer. The text content lays its lines out around them.
#include "canvas/ZVCanvasView.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QTransform>
#include <algorithm>
#include <optional>

namespace {

// The rectangle `wrapper` covers in `box`'s content coordinates by its wrap
// shape, or nothing when the box is too narrow for it to matter.
std::optional<QRectF> wrapRect(const ZVPuttyView& wrapper, const ZVPuttyView& box, double pageWidth)
{
    const double margin = ZVPuttyView::kMargin;
    QRectF rect = box.pageTransform().inverted().mapRect(wrapper.realFrame()).translated(-margin, -margin);
    const double distance = double(wrapper.wrapMargins().toFloat());
    rect.adjust(-distance, -distance, distance, distance);
    double limit = rect.x();
    switch (wrapper.wrapType().toInt()) {
    case 1:
        rect = QRectF(0, rect.y(), rect.right(), rect.height());
        limit = 0;
        break;
    case 2:
        rect.setWidth(box.frame().width());
        break;
    case 3:
        rect = QRectF(0, rect.y(), pageWidth, rect.height());
        limit = 0;
        break;
    default:
        break;
    }
    if (box.realFrame().width() > limit)
        return rect;
    return std::nullopt;
}

} // namespace

void ZVCanvasView::setClippingRects()
{
    ++m_wrapPassCount;
    const ZVPuttyViewGroup* current = currentLayoutLayer();
    if (!current)
        return;
    // Most pages wrap nothing: then only stale rectangles go, without
    // resolving the layer, so that reading and dragging stay linear.
    const bool wraps = std::any_of(m_puttyViews.cbegin(), m_puttyViews.cend(),
                                   [](const ZVPuttyView* element) { return element->causesWrap(); });
    m_anyWraps = wraps;
    if (!wraps) {
        for (ZVPuttyView* box : std::as_const(m_puttyViews)) {
            if (box->contentViewType() != ZVPuttyView::TextContent || box->layoutLayerGroup() != current)
                continue;
            if (auto* text = qobject_cast<ZVTextView*>(box->contentView()); text && !text->clippingRects().isEmpty())
                text->setClippingRects({});
        }
        return;
    }
    for (ZVPuttyView* box : current->puttyViewsObjects(m_puttyViews)) {
        auto* text = qobject_cast<ZVTextView*>(box->contentView());
        const ZVPuttyViewGroup* own = box->layoutLayerGroup();
        if (box->contentViewType() != ZVPuttyView::TextContent || !text || !own)
            continue;
        // Only what lies above the box in its own layer pushes its text aside.
        const QList<ZVPuttyView*> layer = own->puttyViewsObjects(m_puttyViews);
        QList<QRectF> rects;
        for (qsizetype i = layer.indexOf(box) + 1; i < layer.size(); ++i) {
            const ZVPuttyView* wrapper = layer.at(i);
            if (wrapper == box || !wrapper->causesWrap())
                continue;
            if (const std::optional<QRectF> rect = wrapRect(*wrapper, *box, m_frame.width()))
                rects.append(*rect);
        }
        if (rects != text->clippingRects())
            text->setClippingRects(rects);
    }
}

void ZVCanvasView::setClippingRectsForEntered(ZVPuttyView* element)
{
    if (element->causesWrap() || m_anyWraps) {
        setClippingRects();
        return;
    }
    // Nothing wraps: only the newcomer may bring rectangles that no longer hold.
    const ZVPuttyViewGroup* current = currentLayoutLayer();
    if (!current || element->contentViewType() != ZVPuttyView::TextContent || element->layoutLayerGroup() != current)
        return;
    if (auto* text = qobject_cast<ZVTextView*>(element->contentView()); text && !text->clippingRects().isEmpty())
        text->setClippingRects({});
}
