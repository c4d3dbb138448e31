// The sheet drawing of the design helper: what every output (PDF, bitmaps,
// print) draws of a page, and nothing of the editor's own decorations.
#include "app/design/ZVDesignHelper.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVGuideView.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/painting/PageDrawList.h"
#include "canvas/painting/PagePainter.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QPainter>

namespace ql {

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
        // Master layers, like the page's own, are chosen by whether they print.
        const PageDrawList list(*page, PagePainter::Layers::Printable);
        for (const ZVPuttyView* element : list.elements()) {
            if (!element->hideFromPrinting())
                ElementPainter::paint(painter, *element);
        }
        painter.restore();
    }
}

} // namespace ql
