// Draws one element from its model, the same way on the canvas, into
// thumbnails and into output: turned about its stored frame origin, with its
// opacity: reflection, background, drop shadow and content by kind, inner
// shadow and border. The painter is in page
// coordinates (points, y down) when it is called and is left as it was.
#pragma once

#include <QRectF>
#include <QtGlobal>

class QPainter;
class ZVPuttyView;

namespace ql {

class ElementPainter {
public:
    static void paint(QPainter& painter, const ZVPuttyView& element);
    // The same with the painter already in the element's own coordinates
    // (origin at the frame origin, turned), as canvas items are.
    static void paintLocal(QPainter& painter, const ZVPuttyView& element);

    // The element's opacity (its layer opacity; 1 when unset).
    static double opacity(const ZVPuttyView& element);
    // The content rectangle in the element's own coordinates.
    static QRectF contentRect(const ZVPuttyView& element);
    // How many path segments drawing the element takes, roughly: what makes
    // a paint slow.
    static qsizetype complexity(const ZVPuttyView& element);

    // The steps of paint(), in the element's own coordinates (unturned,
    // origin at the frame origin), for painters that add to them.
    static void paintBackground(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
    static void paintContent(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
};

} // namespace ql
