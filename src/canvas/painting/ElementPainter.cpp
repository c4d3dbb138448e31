#include "canvas/painting/ElementPainter.h"

#include "imaging/ImageBitmap.h"
#include "imaging/ViewExtensions.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/BackgroundPainter.h"
#include "canvas/painting/ContentLayersPainter.h"
#include "canvas/painting/ContentPainters.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"

#include <QPainter>
#include <cmath>

namespace ql {

namespace {

// Reflections are drawn at twice the points' resolution, which a zoomed
// canvas and print still show smoothly.
constexpr double kReflectionScale = 2.0;

double number(const ZVPuttyView& element, QStringView key)
{
    const QVariant value = element.valueForKey(key);
    return value.isValid() ? double(value.toFloat()) : 0.0;
}

// The content with its border and inner-shadow layers, cut at its rounded
// corners, as the canvas shows the content's own layer.
void paintContentLayer(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    painter.save();
    if (const ZVContentView* view = element.contentView())
        ElementEffects::clipToRadius(painter, content, view->layerCornerRadius());
    ElementPainter::paintContent(painter, element, content, alpha);
    if (const ZVContentView* view = element.contentView())
        ContentLayersPainter::paint(painter, *view, content, alpha);
    painter.restore();
}

void paintBackgroundLayer(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    painter.save();
    if (const ZVBackgroundView* background = element.backgroundView())
        ElementEffects::clipToRadius(painter, content, background->layerCornerRadius());
    ElementPainter::paintBackground(painter, element, content, alpha);
    painter.restore();
}

void paintScreen(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    // The reflection view is a part of its own, at its own opacity.
    if (const ZVImageView* reflection = element.reflectionView(); reflection && !reflection->isHidden())
        ElementEffects::paintReflection(painter, element, content, reflection->alphaValue());
    paintBackgroundLayer(painter, element, content, alpha);
    ElementEffects::paintDropShadow(painter, element, ElementEffects::Target::Screen, alpha,
                                    [&](QPainter& layer) { paintContentLayer(layer, element, content, 1.0); });
    paintContentLayer(painter, element, content, alpha);
}

void paintOutput(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    ElementEffects::paintReflection(painter, element, content, number(element, u"reflectionOpacity") * alpha);
    painter.save();
    ElementEffects::clipCorners(painter, element, content);
    ElementPainter::paintBackground(painter, element, content, alpha);
    ElementEffects::paintDropShadow(painter, element, ElementEffects::Target::Output, alpha,
                                    [&](QPainter& layer) { ElementPainter::paintContent(layer, element, content, 1.0); });
    ElementPainter::paintContent(painter, element, content, alpha);
    ElementEffects::paintInnerShadow(painter, element, content, alpha);
    ElementEffects::paintBorder(painter, element, content, alpha);
    painter.restore();
}

} // namespace

double ElementPainter::opacity(const ZVPuttyView& element)
{
    const QVariant value = element.valueForKey(u"layerOpacity");
    return value.isValid() ? std::clamp(double(value.toFloat()), 0.0, 1.0) : 1.0;
}

QRectF ElementPainter::contentRect(const ZVPuttyView& element)
{
    return element.contentFrame().translated(-element.frame().topLeft());
}

QRectF ElementPainter::paintedRect(const ZVPuttyView& element)
{
    QRectF painted = element.bounds();
    const QRectF content = contentRect(element);
    if (element.reflectionEnabled()) {
        const double height = number(element, u"reflectionHeight");
        if (std::isfinite(height) && height > 0)
            painted |= QRectF(content.left(), content.bottom(), content.width(), height);
    }
    if (const auto shadow = ElementEffects::dropShadow(element, Target::Screen)) {
        // The shadow's direction is the page's; in the element's turned
        // coordinates it reaches as far in any direction.
        const double reach = std::hypot(shadow->offset.x(), shadow->offset.y()) + 3 * shadow->blurRadius + 1;
        if (std::isfinite(reach))
            painted |= content.adjusted(-reach, -reach, reach, reach);
    }
    return painted;
}

qsizetype ElementPainter::complexity(const ZVPuttyView& element)
{
    return element.contentViewType() == ZVPuttyView::VectorContent ? VectorContentPainter::complexity(element) : 0;
}

void ElementPainter::paint(QPainter& painter, const ZVPuttyView& element, Target target)
{
    painter.save();
    painter.setTransform(element.pageTransform(), true);
    paintLocal(painter, element, target);
    painter.restore();
}

void ElementPainter::paintLocal(QPainter& painter, const ZVPuttyView& element, Target target)
{
    const QRectF content = contentRect(element);
    if (content.width() <= 0 || content.height() <= 0)
        return;
    // Opacity is applied once, by each step with `alpha`.
    const double alpha = opacity(element);
    if (target == Target::Screen)
        paintScreen(painter, element, content, alpha);
    else
        paintOutput(painter, element, content, alpha);
    if (ZVContentView* view = element.contentView())
        view->releaseDrawingCaches(ZVContentView::DrawnFor::Screen);
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

Image ElementPainter::reflectionPicture(const ZVPuttyView& element, QSizeF size)
{
    const QRectF content(QPointF(0, 0), contentRect(element).size());
    if (content.isEmpty() || size.isEmpty())
        return {};
    const auto snapshot = [&](const std::function<void(QPainter&)>& draw) {
        QImage bitmap = blankBitmap(content.size(), kReflectionScale);
        if (!bitmap.isNull()) {
            QPainter painter(&bitmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.scale(kReflectionScale, kReflectionScale);
            draw(painter);
        }
        return reflectedImage(bitmap, size * kReflectionScale).bitmap();
    };
    QImage picture = snapshot([&](QPainter& painter) { paintBackgroundLayer(painter, element, content, 1.0); });
    const QImage front = snapshot([&](QPainter& painter) { paintContentLayer(painter, element, content, 1.0); });
    if (picture.isNull() || front.isNull())
        return {};
    {
        QPainter painter(&picture);
        painter.drawImage(0, 0, front);
    }
    return imageFromBitmap(picture, size);
}

} // namespace ql
