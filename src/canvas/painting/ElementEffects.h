// The effects an element draws around its content: reflection below it,
// rounded corner clip, drop shadow cast by the content, inner shadow and
// border above it. The canvas shows them as the element's effect operations
// left them on its parts (the content's own layer, its border and
// inner-shadow layers, the background's corners, the reflection picture);
// output draws them from the element's settings, with output's own numbers.
// Either way a drop shadow of offset o at angle a falls (o·sin a) across and
// (o·cos a) up the page, whatever the element's turn, so the defaults (5 at
// 240°) put it 4.33 points left and 2.5 points down; only output turns a 3D
// text's shadow upward. Blurs are raster layers at the device's resolution.
#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <functional>
#include <optional>

class QPainter;
class ZVPuttyView;

namespace ql {

class ElementEffects {
public:
    // Where a drawing goes: the canvas, or output (PDF, print, bitmaps and
    // thumbnails).
    enum class Target { Screen, Output };

    // A drop shadow as it is cast: its offset on the page (y down), blur
    // radius (points) and colour, its alpha included.
    struct CastShadow {
        QPointF offset;
        double blurRadius = 0.0;
        QColor color;
    };
    // The drop shadow the element casts on a target; none when it casts none.
    static std::optional<CastShadow> dropShadow(const ZVPuttyView& element, Target target);

    // In the element's own coordinates, `content` its content rectangle.
    // The reflection picture below the content at `opacity`.
    static void paintReflection(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double opacity);
    // Output clips everything to the content's rounded corners when the
    // border is on with a radius.
    static void clipCorners(QPainter& painter, const ZVPuttyView& element, const QRectF& content);
    // Clips to a rounded rectangle when the radius is above 0.
    static void clipToRadius(QPainter& painter, const QRectF& rect, double radius);
    // Draws the shadow that what `draw` paints (at full opacity) casts.
    static void paintDropShadow(QPainter& painter, const ZVPuttyView& element, Target target, double alpha,
                                const std::function<void(QPainter&)>& draw);
    // Output's inner shadow and border, from the element's settings.
    static void paintInnerShadow(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
    static void paintBorder(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);

    // The dash lengths (points) of a border type; empty for solid and for
    // types no pattern is known for.
    static QList<double> borderDashes(int borderType);
    static bool hasBorderPattern(int borderType);
    // A page-direction offset of `offset` at `degrees` (y down the page).
    static QPointF shadowOffset(double offset, double degrees);
    // Output's shadow colour of the element, its alpha from the settings.
    static QColor shadowColor(const ZVPuttyView& element, bool inner);
};

} // namespace ql
