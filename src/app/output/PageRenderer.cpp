// The sheet drawing of the design helper: what every output (PDF, bitmaps,
// print) draws of a page, and nothing of the editor's own decorations.
#include "app/design/ZVDesignHelper.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVGuideView.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/painting/PagePainter.h"
#include "content/ZVTextView.h"
#include "platform/Uuid.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QPainter>
#include <memory>
#include <vector>

namespace ql {

namespace {

// What one page draws, bottom first. Page-number boxes of the master are
// drawn as copies that show this page's own number; the copies belong to
// nothing and live only as long as the list.
struct DrawList {
    QList<const ZVPuttyView*> elements;
    std::vector<std::unique_ptr<ZVPuttyView>> copies;
};

bool isPageNumberBox(const ZVPuttyView& element)
{
    const auto* text = qobject_cast<const ZVTextView*>(element.contentView());
    return element.contentViewType() == ZVPuttyView::TextContent && text && text->isPageNumber();
}

DrawList drawListForPage(ZVCanvasView& page)
{
    DrawList list;
    if (const ZVCanvasView* master = page.masterPage()) {
        // Master layers, like the page's own, are chosen by whether they print.
        for (ZVPuttyView* element : PagePainter::ownElements(*master, PagePainter::Layers::Printable)) {
            if (!isPageNumberBox(*element)) {
                list.elements.append(element);
                continue;
            }
            std::unique_ptr<ZVPuttyView> copy = element->copy();
            if (!copy) {
                list.elements.append(element);
                continue;
            }
            copy->setCanvas(&page);
            copy->setUuid(newUuidString());
            if (auto* text = qobject_cast<ZVTextView*>(copy->contentView()))
                text->updateTextFromType();
            list.elements.append(copy.get());
            list.copies.push_back(std::move(copy));
        }
    }
    for (const ZVPuttyView* element : PagePainter::ownElements(page, PagePainter::Layers::Printable))
        list.elements.append(element);
    return list;
}

} // namespace

void ZVDesignHelper::drawCanvasesInContext(QPainter& painter, const QList<ZVCanvasView*>& pages)
{
    // Output waits for every picture's conversion, on the document's time.
    PageDocument* document = pages.isEmpty() || !pages.first() ? nullptr : pages.first()->document();
    const PictureConversionScope scope(document ? document->documentObject() : nullptr, nullptr);
    double left = 0.0;
    for (ZVCanvasView* page : pages) {
        if (!page)
            continue;
        setCanvas(page);
        painter.save();
        painter.translate(left, 0.0);
        left += page->bounds().width();
        painter.setClipRect(page->bounds(), Qt::IntersectClip);
        PagePainter::paintGround(painter, *page);
        // The overlay draws only its crop marks for output.
        if (ZVGuideView* guides = page->guideView()) {
            guides->setOnlyRenderCropMarks(true);
            guides->drawRect(painter);
            guides->setOnlyRenderCropMarks(false);
        }
        const DrawList list = drawListForPage(*page);
        for (const ZVPuttyView* element : list.elements) {
            if (!element->hideFromPrinting())
                ElementPainter::paint(painter, *element);
        }
        painter.restore();
    }
}

} // namespace ql
