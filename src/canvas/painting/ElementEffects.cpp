#include "canvas/painting/ElementEffects.h"

#include "imaging/BlurredLayer.h"
#include "imaging/ImageBitmap.h"
#include "imaging/PathShadows.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ContentLayersPainter.h"
#include "content/ShapeLayer.h"
#include "content/ZVContentView.h"
#include "content/ZVImageView.h"
#include "platform/graphics/Color.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>

namespace ql {

namespace {

// Stored numbers are read as 32-bit floats, as the settings hold them.
double number(const ZVPuttyView& element, QStringView key)
{
    const QVariant value = element.valueForKey(key);
    return value.isValid() ? double(value.toFloat()) : 0.0;
}

bool flag(const ZVPuttyView& element, QStringView key)
{
    return element.valueForKey(key).toBool();
}

QColor colour(const QVariant& stored, double alpha)
{
    QColor result = stored.canConvert<Color>() ? stored.value<Color>().toQColor() : QColor(Qt::black);
    result.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return result;
}

double cornerRadius(const ZVPuttyView& element)
{
    return flag(element, u"borderEnabled") ? std::max(0.0, number(element, u"borderRadius")) : 0.0;
}

// How many device pixels a point is under the painter's transform.
double deviceScale(const QPainter& painter)
{
    const QTransform transform = painter.combinedTransform();
    return std::sqrt(std::abs(transform.determinant()));
}

// A page-direction vector in the element's own (turned) coordinates.
QPointF toLocal(const ZVPuttyView& element, QPointF pageVector)
{
    QTransform turn = element.pageTransform();
    turn.setMatrix(turn.m11(), turn.m12(), 0, turn.m21(), turn.m22(), 0, 0, 0, 1);
    return turn.inverted().map(pageVector);
}

} // namespace

namespace {

const QList<QList<double>>& dashTable()
{
    static const QList<QList<double>> table {
        {}, {6, 2}, {2, 2}, {5, 5}, {5, 10}, {10, 5}, {5, 1}, {1, 5},
        {15, 10, 5}, {15, 10, 5, 10}, {15, 10, 5, 10, 15}, {5, 5, 1, 5},
    };
    return table;
}

} // namespace

bool ElementEffects::hasBorderPattern(int borderType)
{
    return borderType >= 0 && borderType < dashTable().size();
}

QList<double> ElementEffects::borderDashes(int borderType)
{
    return hasBorderPattern(borderType) ? dashTable()[borderType] : QList<double>();
}

QPointF ElementEffects::shadowOffset(double offset, double degrees)
{
    const double radians = degrees * 0.017453292519943295;
    return QPointF(offset * std::sin(radians), -offset * std::cos(radians));
}

QColor ElementEffects::shadowColor(const ZVPuttyView& element, bool inner)
{
    if (inner)
        return colour(element.valueForKey(u"innerShadowColor"), number(element, u"innerShadowOpacity"));
    // A shape's fill casts its shadow at the set opacity; other contents at 0.8 of it.
    const double factor = element.contentViewType() == ZVPuttyView::VectorContent ? 1.0 : 0.8;
    return colour(element.valueForKey(u"shadowColor"), number(element, u"shadowOpacity") * factor);
}

std::optional<ElementEffects::CastShadow> ElementEffects::dropShadow(const ZVPuttyView& element, Target target)
{
    CastShadow cast;
    if (target == Target::Screen) {
        // What the content's own layer was given; a content cut at rounded
        // corners casts nothing.
        const ZVContentView* view = element.contentView();
        if (!view || !element.shadowSupported())
            return std::nullopt;
        const ShapeLayer& layer = *view->layer();
        cast.offset = QPointF(layer.shadowOffset().width(), layer.shadowOffset().height());
        cast.blurRadius = layer.shadowRadius();
        cast.color = layer.shadowColor().toQColor();
        cast.color.setAlphaF(float(std::clamp(cast.color.alphaF() * double(layer.shadowOpacity()), 0.0, 1.0)));
    } else {
        if (!flag(element, u"shadowEnabled"))
            return std::nullopt;
        cast.offset = shadowOffset(number(element, u"shadowOffset"), number(element, u"shadowAngle"));
        // Output turns 3D text's shadow the other way up.
        if (element.contentViewType() == ZVPuttyView::Text3DContent)
            cast.offset.setY(-cast.offset.y());
        cast.blurRadius = number(element, u"shadowBlurRadius");
        cast.color = shadowColor(element, false);
    }
    if (!std::isfinite(cast.offset.x()) || !std::isfinite(cast.offset.y()) || !std::isfinite(cast.blurRadius))
        return std::nullopt;
    cast.blurRadius = std::max(0.0, cast.blurRadius);
    if (cast.color.alpha() == 0)
        return std::nullopt;
    return cast;
}

void ElementEffects::paintReflection(QPainter& painter, const ZVPuttyView& element, const QRectF& content,
                                     double opacity)
{
    if (!element.reflectionEnabled())
        return;
    const double height = number(element, u"reflectionHeight");
    const QRectF below(content.left(), content.bottom(), content.width(), height);
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (below.isEmpty() || !(opacity > 0))
        return;
    const Image& picture = element.reflectionImage();
    if (picture.isNull())
        return;
    drawImagePart(painter, picture, below, QRectF(QPointF(0, 0), picture.size()), QPainter::CompositionMode_SourceOver,
                  opacity);
}

void ElementEffects::clipCorners(QPainter& painter, const ZVPuttyView& element, const QRectF& content)
{
    clipToRadius(painter, content, cornerRadius(element));
}

void ElementEffects::clipToRadius(QPainter& painter, const QRectF& rect, double radius)
{
    if (!(radius > 0) || !std::isfinite(radius))
        return;
    QPainterPath rounded;
    rounded.addRoundedRect(rect, radius, radius);
    painter.setClipPath(rounded, Qt::IntersectClip);
}

void ElementEffects::paintDropShadow(QPainter& painter, const ZVPuttyView& element, Target target, double alpha,
                                     const std::function<void(QPainter&)>& draw)
{
    const std::optional<CastShadow> cast = dropShadow(element, target);
    if (!cast)
        return;
    QColor tint = cast->color;
    tint.setAlphaF(float(tint.alphaF() * std::clamp(alpha, 0.0, 1.0)));
    const double blur = cast->blurRadius * deviceScale(painter);
    if (!BlurredLayer::usableRadius(blur) || tint.alpha() == 0)
        return;
    const QPointF local = toLocal(element, cast->offset);
    const QTransform device = QTransform::fromTranslate(local.x(), local.y()) * painter.combinedTransform();
    const BlurredLayer layer(blur, tint, [&](QPainter& cover, const QRectF&) {
        cover.setTransform(device, true);
        draw(cover);
    });
    const double reach = layer.reach();
    const QRectF area = device.mapRect(element.bounds()).adjusted(-reach, -reach, reach, reach);
    layer.paint(painter, area);
}

void ElementEffects::paintInnerShadow(QPainter& painter, const ZVPuttyView& element, const QRectF& content,
                                      double alpha)
{
    if (!flag(element, u"innerShadowEnabled"))
        return;
    QRectF rect = content;
    if (flag(element, u"borderEnabled")) {
        const double width = number(element, u"borderWidth");
        rect.adjust(width, width, -width, -width);
    }
    if (rect.isEmpty())
        return;
    const double radius = cornerRadius(element);
    QPainterPath rounded;
    rounded.addRoundedRect(rect, radius, radius);
    Shadow shadow;
    shadow.offset = toLocal(element, shadowOffset(number(element, u"innerShadowOffset"),
                                                  number(element, u"innerShadowAngle")));
    shadow.blurRadius = std::max(0.0, number(element, u"innerShadowBlurRadius")) * deviceScale(painter);
    shadow.color = shadowColor(element, true);
    shadow.color.setAlphaF(float(shadow.color.alphaF() * alpha));
    ql::paintInnerShadow(painter, rounded, shadow);
}

void ElementEffects::paintBorder(QPainter& painter, const ZVPuttyView& element, const QRectF& content,
                                 double alpha)
{
    if (!flag(element, u"borderEnabled"))
        return;
    const ZVContentView* view = element.contentView();
    const double width = number(element, u"borderWidth");
    if (!view || !view->border() || view->border()->path().isEmpty() || width <= 0)
        return;
    // Output strokes types without a pattern solid.
    const QPen pen = ContentLayersPainter::borderPen(
        colour(element.valueForKey(u"borderColor"), number(element, u"borderOpacity") * alpha), width,
        borderDashes(element.valueForKey(u"borderType").toInt()));
    painter.save();
    painter.translate(content.topLeft());
    painter.strokePath(view->border()->path().toPainterPath(), pen);
    painter.restore();
}

} // namespace ql
