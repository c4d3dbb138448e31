// Draws one element from its model, the same way on the canvas, into
// thumbnails and into output: turned about its stored frame origin, with its
// opacity: reflection, background, drop shadow and content by kind, inner
// shadow and border. The canvas shows the effects as the element's effect
// operations set its parts up; output draws them from the settings (see
// ElementEffects). The painter is in page coordinates (points, y down) when
// it is called and is left as it was. Once drawn, the content's drawing
// caches (a text's lines) are the budget's to keep or let go, as for a
// drawing soon made again: a page of many thousand boxes drawn on screen or
// into thumbnails is not held laid out in full.
#pragma once

#include "canvas/painting/ElementEffects.h"
#include "platform/graphics/Image.h"

#include <QRectF>
#include <QtGlobal>

class QPainter;
class ZVPuttyView;

namespace ql {

class ElementPainter {
public:
    using Target = ElementEffects::Target;

    static void paint(QPainter& painter, const ZVPuttyView& element, Target target = Target::Output);
    // The same with the painter already in the element's own coordinates
    // (origin at the frame origin, turned), as canvas items are.
    static void paintLocal(QPainter& painter, const ZVPuttyView& element, Target target = Target::Screen);

    // The element's opacity (its layer opacity; 1 when unset).
    static double opacity(const ZVPuttyView& element);
    // The content rectangle in the element's own coordinates.
    static QRectF contentRect(const ZVPuttyView& element);
    // What drawing the element on the canvas may cover, in its own
    // coordinates: its frame, the reflection and the drop shadow's reach.
    static QRectF paintedRect(const ZVPuttyView& element);
    // How many path segments drawing the element takes, roughly: what makes
    // a paint slow.
    static qsizetype complexity(const ZVPuttyView& element);

    // The steps of paint(), in the element's own coordinates (unturned,
    // origin at the frame origin), for painters that add to them.
    static void paintBackground(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
    static void paintContent(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);

    // The element's reflection picture, `size` points large: the content
    // (with its border and inner shadow) over the background, each mirrored
    // top to bottom, squeezed into the size and fading from opaque at the
    // top to clear at the bottom. Null when either size is empty.
    static Image reflectionPicture(const ZVPuttyView& element, QSizeF size);
};

} // namespace ql
