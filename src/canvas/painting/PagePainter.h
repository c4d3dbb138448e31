// Draws a whole page from its model: the white sheet, the master's background
// and the page's own, then the elements in stacking order (the master's under
// the page's own), clipped to the page. The canvas builds its items from the
// same lists; thumbnails and output draw with paint().
#pragma once

#include <QImage>
#include <QList>
#include <QRectF>

class QPainter;
class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class PagePainter {
public:
    // Which of a page's own layers are drawn: those shown on the canvas, or
    // those meant for print.
    enum class Layers { Visible, Printable };

    // The master's elements (its visible layers, bottom first), none without a master.
    static QList<ZVPuttyView*> masterElements(const ZVCanvasView& page);
    // The page's own elements of the chosen layers, bottom first.
    static QList<ZVPuttyView*> ownElements(const ZVCanvasView& page, Layers layers = Layers::Visible);
    // Everything drawn, bottom first: master elements, then the page's own.
    static QList<ZVPuttyView*> drawList(const ZVCanvasView& page, Layers layers = Layers::Visible);

    // Where the master's background lies on a page linked to a master: its
    // margin box (with the page's bleed) when the master clips to margins,
    // else the whole page; empty without a master.
    static QRectF masterBackgroundFrame(const ZVCanvasView& page);

    // The sheet and its backgrounds, in page coordinates.
    static void paintGround(QPainter& painter, const ZVCanvasView& page);
    // The whole page in page coordinates, clipped to its bounds; the
    // master's page-number boxes show this page's number (PageDrawList).
    static void paint(QPainter& painter, ZVCanvasView& page, Layers layers = Layers::Visible);
    // Pictures still being converted: waited for, or drawn as placeholders.
    enum class Conversions { Wait, ShowPlaceholders };
    // The page drawn into a new image, `scale` pixels a point.
    static QImage image(ZVCanvasView& page, double scale = 1.0, Layers layers = Layers::Visible,
                        Conversions conversions = Conversions::Wait);
};

} // namespace ql
