#include "canvas/painting/SelectionPainter.h"

#include "canvas/ZVHandleView.h"
#include "canvas/ZVLinkTextView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ExposedArea.h"
#include "content/ZVTextView.h"
#include "content/text/TextStorage.h"

#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace ql {

namespace {

constexpr double kKnobDiameter = 10.0;

// The knob as drawn around its centre, in units of its own diameter's scale.
void drawKnob(QPainter& painter)
{
    const QRectF circle(-kKnobDiameter / 2, -kKnobDiameter / 2, kKnobDiameter, kKnobDiameter);
    // A soft shadow down and to the right.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 90));
    painter.drawEllipse(circle.translated(0.5, 0.5).adjusted(-0.5, -0.5, 0.5, 0.5));
    QLinearGradient fill(circle.topLeft(), circle.bottomLeft());
    fill.setColorAt(0, QColor::fromRgbF(0.4f, 0.8f, 1.0f, 1.0f));
    fill.setColorAt(1, QColor::fromRgbF(0.0f, 0.0f, 1.0f, 1.0f));
    painter.setBrush(fill);
    painter.drawEllipse(circle);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1.0));
    painter.drawEllipse(circle.adjusted(1, 1, -1, -1));
}

// Every element under a repainted strip draws its eight knobs; a picture made
// once per pixel density keeps that to one image copy a knob.
constexpr double kKnobExtent = kKnobDiameter / 2 + 1.5; // the shadow reaches past the circle
const QImage& knobPicture(double density)
{
    static QHash<int, QImage> pictures;
    const int key = qMax(1, qRound(density * 4));
    auto found = pictures.find(key);
    if (found != pictures.end())
        return *found;
    const double pixelsPerUnit = key / 4.0;
    const int side = qCeil(2 * kKnobExtent * pixelsPerUnit);
    QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / (2 * kKnobExtent), side / (2 * kKnobExtent));
    painter.translate(kKnobExtent, kKnobExtent);
    drawKnob(painter);
    painter.end();
    return *pictures.insert(key, picture);
}

// Draws the knobs of visible handles, each at its alpha, `scale` times the
// picture's size; the painter's state is as it was afterwards. One state for
// all knobs: saving and restoring a painter's state per knob cost more than
// copying the knob.
void paintKnobs(QPainter& painter, const QList<QRectF>& handles, const QList<double>& alphas, double scale)
{
    if (handles.isEmpty())
        return;
    const QTransform world = painter.worldTransform();
    const double opacity = painter.opacity();
    // The same scale for every knob: the knobs share one picture.
    QTransform sized = world;
    sized.scale(scale, scale);
    const double density = std::hypot(sized.m11(), sized.m12()) * (painter.device() ? painter.device()->devicePixelRatioF() : 1.0);
    const QImage& picture = knobPicture(density);
    const QRectF area(-kKnobExtent, -kKnobExtent, 2 * kKnobExtent, 2 * kKnobExtent);
    for (qsizetype i = 0; i < handles.size(); ++i) {
        QTransform at = world;
        at.translate(handles[i].center().x(), handles[i].center().y());
        at.scale(scale, scale);
        painter.setWorldTransform(at);
        painter.setOpacity(alphas[i]);
        painter.drawImage(area, picture);
    }
    painter.setWorldTransform(world);
    painter.setOpacity(opacity);
}

void strokeOutline(QPainter& painter, const QRectF& rect, const QColor& colour, double opacity, double scale)
{
    painter.save();
    painter.setOpacity(opacity);
    painter.setBrush(Qt::NoBrush);
    // One screen pixel wide, inside the content's edge.
    const double width = 1.0 * scale;
    painter.setPen(QPen(colour, width));
    painter.drawRect(rect.adjusted(width / 2, width / 2, -width / 2, -width / 2));
    painter.restore();
}

} // namespace

bool SelectionPainter::textOverflows(const ZVPuttyView& element)
{
    const auto* text = qobject_cast<const ZVTextView*>(element.contentView());
    const text::TextStorage* storage = text ? text->textStorage() : nullptr;
    if (!storage)
        return false;
    const int index = text->textContainerIndex();
    return index >= 0 && index == storage->textContainerCount() - 1 && storage->hasOverflow();
}

QColor SelectionPainter::textOutlineColor(const ZVPuttyView& element)
{
    return textOverflows(element) ? QColor(Qt::red) : QColor(Qt::blue);
}

void SelectionPainter::paint(QPainter& painter, const ZVPuttyView& element, double magnification,
                             const QRectF& exposed)
{
    const double scale = magnification > 0 ? 1.0 / magnification : 1.0;
    const QRectF content = element.contentFrame().translated(-element.frame().topLeft());
    const auto shows = [&](const QRectF& area) {
        return (exposed.isNull() || area.intersects(exposed)) && ExposedArea::reaches(painter, area);
    };
    // The outline is a band a pixel wide inside the content's edge; a pixel
    // more either side keeps its antialiasing in.
    const QRectF inside = content.adjusted(2 * scale, 2 * scale, -2 * scale, -2 * scale);
    const bool outlineShows =
        shows(content.adjusted(-scale, -scale, scale, scale)) && (exposed.isNull() || !inside.contains(exposed))
        && (!ExposedArea::reaches(painter, inside) || [&] {
               const QRectF bands[] = {QRectF(content.topLeft(), QPointF(content.right(), inside.top())),
                                       QRectF(QPointF(content.left(), inside.bottom()), content.bottomRight()),
                                       QRectF(content.topLeft(), QPointF(inside.left(), content.bottom())),
                                       QRectF(QPointF(inside.right(), content.top()), content.bottomRight())};
               return std::any_of(std::begin(bands), std::end(bands), shows);
           }());
    if (element.isHighlighted() && outlineShows) {
        if (element.contentViewType() == ZVPuttyView::TextContent)
            strokeOutline(painter, content, textOutlineColor(element), 0.5, scale);
        strokeOutline(painter, content, QColor(Qt::lightGray), 0.3, scale);
    }
    const double knobReach = (kKnobExtent + 1) * scale;
    QList<QRectF> knobs;
    QList<double> alphas;
    for (const ZVHandleView* handle : element.showsHandles() ? element.handles() : QList<ZVHandleView*>()) {
        if (handle->isHidden() || handle->alphaValue() <= 0)
            continue;
        const QPointF centre = handle->frame().center();
        if (shows(QRectF(centre.x() - knobReach, centre.y() - knobReach, 2 * knobReach, 2 * knobReach))) {
            knobs.append(handle->frame());
            alphas.append(handle->alphaValue());
        }
    }
    paintKnobs(painter, knobs, alphas, scale);
    ZVLinkTextView* badge = element.linkTextView();
    if (!badge->isHidden() && badge->alphaValue() > 0) {
        badge->updateFromChain();
        painter.save();
        painter.setOpacity(badge->alphaValue());
        badge->drawRect(painter, badge->frame());
        painter.restore();
    }
}

} // namespace ql
