#include "canvas/guides/TextLinks.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVLinkTextView.h"
#include "canvas/ZVPuttyView.h"

namespace ql {

QPointF linkBadgeCenter(const ZVPuttyView& element)
{
    return ZVLinkTextView::frameFor(element.frame().size()).center();
}

QList<QLineF> textLinkLines(const ZVCanvasView& page, const QList<ZVPuttyView*>& allElements)
{
    QList<const ZVPuttyViewGroup*> chains;
    for (const ZVPuttyView* element : page.puttyViews()) {
        const ZVPuttyViewGroup* chain = element->textGroup();
        if (element->contentViewType() == ZVPuttyView::TextContent && chain && !chains.contains(chain))
            chains.append(chain);
    }
    const QSizeF size = page.frame().size();
    const QList<ZVPuttyView*>& own = page.puttyViews();
    QList<QLineF> lines;
    for (const ZVPuttyViewGroup* chain : std::as_const(chains)) {
        const QList<ZVPuttyView*> members = chain->puttyViewsObjects(allElements);
        for (qsizetype i = 0; i + 1 < members.size(); ++i) {
            const ZVPuttyView* from = members.at(i);
            const ZVPuttyView* to = members.at(i + 1);
            const bool fromHere = own.contains(from);
            const bool toHere = own.contains(to);
            if (!fromHere && !toHere)
                continue;
            const QPointF start = fromHere ? from->mapToPage(linkBadgeCenter(*from))
                                           : QPointF(0, size.height() / 2);
            // The top-left handle's centre is the content's top-left corner.
            const QPointF end = toHere ? to->mapToPage(QPointF(ZVPuttyView::kMargin, ZVPuttyView::kMargin))
                                       : QPointF(size.width(), size.height() / 2);
            lines.append(QLineF(start, end));
        }
    }
    return lines;
}

} // namespace ql
