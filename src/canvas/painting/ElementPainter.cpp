#include "canvas/painting/ElementPainter.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/BackgroundPainter.h"
#include "canvas/painting/ContentPainters.h"
#include "canvas/painting/ElementEffects.h"
#include "content/ZVBackgroundView.h"

#include <QPainter>

namespace ql {

double ElementPainter::opacity(const ZVPuttyView& element)
{
    const QVariant value = element.valueForKey(u"layerOpacity");
    return value.isValid() ? std::clamp(double(value.toFloat()), 0.0, 1.0) : 1.0;
}

QRectF ElementPainter::contentRect(const ZVPuttyView& element)
{
    return element.contentFrame().translated(-element.frame().topLeft());
}

qsizetype ElementPainter::complexity(const ZVPuttyView& element)
{
    return element.contentViewType() == ZVPuttyView::VectorContent ? VectorContentPainter::complexity(element) : 0;
}

void ElementPainter::paint(QPainter& painter, const ZVPuttyView& element)
{
    painter.save();
    painter.setTransform(element.pageTransform(), true);
    paintLocal(painter, element);
    painter.restore();
}

void ElementPainter::paintLocal(QPainter& painter, const ZVPuttyView& element)
{
    const QRectF content = contentRect(element);
    if (content.width() <= 0 || content.height() <= 0)
        return;
    // Opacity is applied once, by each step with `alpha`.
    const double alpha = opacity(element);
    ElementEffects::paintReflection(painter, element, content, alpha, [&](QPainter& mirror, double opacity) {
        paintBackground(mirror, element, content, opacity);
        paintContent(mirror, element, content, opacity);
    });
    painter.save();
    ElementEffects::clipCorners(painter, element, content);
    paintBackground(painter, element, content, alpha);
    ElementEffects::paintDropShadow(painter, element, alpha, [&](QPainter& layer) {
        paintContent(layer, element, content, 1.0);
    });
    paintContent(painter, element, content, alpha);
    ElementEffects::paintInnerShadow(painter, element, content, alpha);
    ElementEffects::paintBorder(painter, element, content, alpha);
    painter.restore();
}

void ElementPainter::paintBackground(QPainter& painter, const ZVPuttyView& element, const QRectF& content,
                                     double alpha)
{
    if (const ZVBackgroundView* background = element.backgroundView())
        BackgroundPainter::paint(painter, *background, content, alpha);
}

void ElementPainter::paintContent(QPainter& painter, const ZVPuttyView& element, const QRectF& content,
                                  double alpha)
{
    switch (element.contentViewType()) {
    case ZVPuttyView::ImageContent:
        ImageContentPainter::paint(painter, element, content, alpha);
        break;
    case ZVPuttyView::TextContent:
        TextContentPainter::paint(painter, element, content, alpha);
        break;
    case ZVPuttyView::VectorContent:
        VectorContentPainter::paint(painter, element, content, alpha);
        break;
    case ZVPuttyView::Text3DContent:
        Text3DContentPainter::paint(painter, element, content, alpha);
        break;
    default:
        break;
    }
}

} // namespace ql
