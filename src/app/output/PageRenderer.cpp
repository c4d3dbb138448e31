// The sheet drawing of the design helper: what every output (PDF, bitmaps,
// print) draws of a page, and nothing of the editor's own decorations.
#include "design/ZVDesignHelper.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVGuideView.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/painting/PageDrawList.h"
#include "canvas/painting/PagePainter.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/text/PatternWaits.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QPainter>

namespace ql {

QList<ZVDesignHelper::UndecodablePicture> ZVDesignHelper::undecodablePictures(const QList<ZVCanvasView*>& pages)
{
    const auto groundIsUndecodable = [](const ZVCanvasView* page) {
        return page && page->backgroundView() && page->backgroundView()->hasUndecodablePicture();
    };
    QList<UndecodablePicture> found;
    for (const ZVCanvasView* page : pages) {
        if (!page)
            continue;
        const ZVCanvasView* master = page->masterPage();
        if (groundIsUndecodable(master) || groundIsUndecodable(page))
            found.append({page, nullptr});
        // The master's elements themselves, not the copies output draws of its page-number boxes.
        QList<ZVPuttyView*> elements;
        if (master)
            elements = PagePainter::ownElements(*master, PagePainter::Layers::Printable);
        elements += PagePainter::ownElements(*page, PagePainter::Layers::Printable);
        for (const ZVPuttyView* element : std::as_const(elements)) {
            if (!element->hideFromPrinting() && element->hasUndecodablePicture())
                found.append({page, element});
        }
    }
    return found;
}

void ZVDesignHelper::drawCanvasesInContext(QPainter& painter, const QList<ZVCanvasView*>& pages)
{
    // Output waits for every picture's conversion, on the document's time.
    PageDocument* document = pages.isEmpty() || !pages.first() ? nullptr : pages.first()->document();
    const PictureConversionScope scope(document ? document->documentObject() : nullptr, nullptr);
    // And for the hyphenation patterns of its texts.
    const text::WaitForPatterns waitForPatterns;
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
            if (element->hideFromPrinting())
                continue;
            if (auto* image = qobject_cast<ZVImageView*>(element->contentView()))
                image->finishPendingLevels();
            ElementPainter::paint(painter, *element);
            if (ZVContentView* content = element->contentView())
                content->releaseDrawingCaches(ZVContentView::DrawnFor::Output);
        }
        painter.restore();
    }
}

} // namespace ql
