#include "canvas/painting/PagePainter.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/BackgroundPainter.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/painting/PageDrawList.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QPainter>

namespace ql {

namespace {

QList<ZVPuttyView*> layerElements(const ZVCanvasView& page, bool (*chosen)(const ZVPuttyViewGroup&))
{
    QList<ZVPuttyView*> result;
    for (const QPointer<ZVPuttyViewGroup>& layer : page.layoutLayers()) {
        if (layer && chosen(*layer))
            result.append(layer->puttyViewsObjects(page.puttyViews()));
    }
    return result;
}

bool isVisible(const ZVPuttyViewGroup& layer)
{
    return layer.visible();
}

bool isPrintable(const ZVPuttyViewGroup& layer)
{
    return layer.printable();
}

} // namespace

QList<ZVPuttyView*> PagePainter::masterElements(const ZVCanvasView& page)
{
    const ZVCanvasView* master = page.masterPage();
    return master ? layerElements(*master, isVisible) : QList<ZVPuttyView*>();
}

QList<ZVPuttyView*> PagePainter::ownElements(const ZVCanvasView& page, Layers layers)
{
    return layerElements(page, layers == Layers::Visible ? isVisible : isPrintable);
}

QList<ZVPuttyView*> PagePainter::drawList(const ZVCanvasView& page, Layers layers)
{
    return masterElements(page) + ownElements(page, layers);
}

QRectF PagePainter::masterBackgroundFrame(const ZVCanvasView& page)
{
    const ZVCanvasView* master = page.masterPage();
    if (!master)
        return {};
    const QSizeF size = page.frame().size();
    if (!master->clipToMargins())
        return QRectF(QPointF(0, 0), size);
    const double bleed = page.effectiveBleedMargin();
    return QRectF(master->leftMargin() + bleed, master->topMargin() + bleed,
                  size.width() - master->leftMargin() - master->rightMargin() - 2 * bleed,
                  size.height() - master->topMargin() - master->bottomMargin() - 2 * bleed);
}

void PagePainter::paintGround(QPainter& painter, const ZVCanvasView& page)
{
    painter.fillRect(page.bounds(), Qt::white);
    if (const ZVCanvasView* master = page.masterPage(); master && master->backgroundView())
        BackgroundPainter::paint(painter, *master->backgroundView(), masterBackgroundFrame(page));
    if (const ZVBackgroundView* background = page.backgroundView())
        BackgroundPainter::paint(painter, *background, background->frame());
}

void PagePainter::paint(QPainter& painter, ZVCanvasView& page, Layers layers)
{
    painter.save();
    painter.setClipRect(page.bounds(), Qt::IntersectClip);
    paintGround(painter, page);
    const PageDrawList list(page, layers);
    for (const ZVPuttyView* element : list.elements())
        ElementPainter::paint(painter, *element);
    painter.restore();
}

QImage PagePainter::image(ZVCanvasView& page, double scale, Layers layers, Conversions conversions)
{
    const QSize pixels = (page.frame().size() * scale).toSize();
    if (pixels.isEmpty())
        return {};
    QImage result(pixels, QImage::Format_ARGB32_Premultiplied);
    // Converting pictures takes the time of the page's own document.
    PageDocument* document = page.document();
    const PictureConversionScope scope(document ? document->documentObject() : nullptr,
                                       conversions == Conversions::ShowPlaceholders ? &result : nullptr);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    paint(painter, page, layers);
    return result;
}

} // namespace ql
