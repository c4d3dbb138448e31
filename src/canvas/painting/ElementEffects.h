// The effects an element draws around its content: reflection below it,
// rounded corner clip, drop shadow cast by the content, inner shadow and
// border above it. Offsets and angles are the element's settings: a shadow
// of offset o at angle a falls (o·sin a) across and (o·cos a) up the page,
// whatever the element's turn, so the defaults (5 at 240°) put it 4.33
// points left and 2.5 points down. Blurs are raster layers at the device's
// resolution.
#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <functional>

class QPainter;
class ZVPuttyView;

namespace ql {

class ElementEffects {
public:
    // In the element's own coordinates, `content` its content rectangle.
    // `draw` paints the element's background and content at an opacity; a
    // reflection without a prepared picture mirrors what it paints.
    static void paintReflection(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha,
                                const std::function<void(QPainter&, double)>& draw);
    // Clips to the content's rounded corners when the border is on with a radius.
    static void clipCorners(QPainter& painter, const ZVPuttyView& element, const QRectF& content);
    // Draws the shadow that what `draw` paints (at full opacity) casts.
    static void paintDropShadow(QPainter& painter, const ZVPuttyView& element, double alpha,
                                const std::function<void(QPainter&)>& draw);
    static void paintInnerShadow(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
    static void paintBorder(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);

    // The dash lengths (points) of a border type; empty for solid.
    static QList<double> borderDashes(int borderType);
    // A page-direction offset of `offset` at `degrees` (y down the page).
    static QPointF shadowOffset(double offset, double degrees);
    // The shadow colour of the element, its alpha from the settings.
    static QColor shadowColor(const ZVPuttyView& element, bool inner);
};

} // namespace ql
