#include "canvas/painting/ElementEffects.h"

#include "app/categories/BlurredLayer.h"
#include "app/categories/PathShadows.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ImageContentPainter.h"
#include "content/ShapeLayer.h"
#include "content/ZVContentView.h"
#include "content/ZVImageView.h"
#include "platform/graphics/Color.h"

#include <QPainter>
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

QList<double> ElementEffects::borderDashes(int borderType)
{
    static const QList<QList<double>> table {
        {}, {6, 2}, {2, 2}, {5, 5}, {5, 10}, {10, 5}, {5, 1}, {1, 5},
        {15, 10, 5}, {15, 10, 5, 10}, {15, 10, 5, 10, 15}, {5, 5, 1, 5},
    };
    return borderType >= 0 && borderType < table.size() ? table[borderType] : QList<double>();
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

void ElementEffects::paintReflection(QPainter& painter, const ZVPuttyView& element, const QRectF& content,
                                     double alpha, const std::function<void(QPainter&, double)>& draw)
{
    if (!element.reflectionEnabled())
        return;
    const double height = number(element, u"reflectionHeight");
    const double opacity = std::clamp(number(element, u"reflectionOpacity"), 0.0, 1.0) * alpha;
    const QRectF below(content.left(), content.bottom(), content.width(), height);
    if (below.isEmpty() || opacity <= 0)
        return;
    const ZVImageView* reflection = element.reflectionView();
    if (reflection && !reflection->image().isNull()) {
        ImageContentPainter::paintView(painter, *reflection, below, opacity);
        return;
    }
    // No prepared picture: the element mirrored about its bottom edge.
    painter.save();
    painter.setClipRect(below, Qt::IntersectClip);
    painter.translate(0, 2 * content.bottom());
    painter.scale(1, -1);
    draw(painter, opacity);
    painter.restore();
}

void ElementEffects::clipCorners(QPainter& painter, const ZVPuttyView& element, const QRectF& content)
{
    const double radius = cornerRadius(element);
    if (radius <= 0)
        return;
    QPainterPath rounded;
    rounded.addRoundedRect(content, radius, radius);
    painter.setClipPath(rounded, Qt::IntersectClip);
}

void ElementEffects::paintDropShadow(QPainter& painter, const ZVPuttyView& element, double alpha,
                                     const std::function<void(QPainter&)>& draw)
{
    if (!flag(element, u"shadowEnabled"))
        return;
    QPointF offset = shadowOffset(number(element, u"shadowOffset"), number(element, u"shadowAngle"));
    // 3D text casts its shadow the other way up.
    if (element.contentViewType() == ZVPuttyView::Text3DContent)
        offset.setY(-offset.y());
    QColor tint = shadowColor(element, false);
    tint.setAlphaF(float(tint.alphaF() * alpha));
    const double scale = deviceScale(painter);
    const double blur = std::max(0.0, number(element, u"shadowBlurRadius")) * scale;
    if (!BlurredLayer::usableRadius(blur) || tint.alpha() == 0)
        return;
    const QPointF local = toLocal(element, offset);
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
    QPen pen(colour(element.valueForKey(u"borderColor"), number(element, u"borderOpacity") * alpha), width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    const QList<double> dashes = borderDashes(element.valueForKey(u"borderType").toInt());
    if (!dashes.isEmpty()) {
        // The pen counts dashes in line widths.
        QList<qreal> pattern;
        for (const double length : dashes)
            pattern.append(length / width);
        pen.setDashPattern(pattern);
    }
    painter.save();
    painter.translate(content.topLeft());
    painter.strokePath(view->border()->path().toPainterPath(), pen);
    painter.restore();
}

} // namespace ql
