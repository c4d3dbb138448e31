// Draws a 3D text element's content. On screens and bitmaps its scene is
// rendered at the target's own pixels, once for each size (the view keeps
// them); a window that finds no picture of its size yet shows the nearest
// one scaled and gets the right one a moment later (Text3DRenderQueue). On
// PDF and print pages, whose pixels have no fixed size, the picture is
// rendered for the element's size at the output's resolution (at least
// kOutputResolution), never wider than the snapshot's 4000 pixels.
#pragma once

#include <QRectF>
#include <QSize>

class QPainter;
class ZVPuttyView;

namespace ql {

class Text3DContentPainter {
public:
    // Pixels per inch of 3D text on PDF pages, whose own resolution is
    // meant for blurred shadows only.
    static constexpr double kOutputResolution = 300.0;

    // `content` is in the element's own coordinates; `alpha` its opacity.
    static void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
    // The pixels the content covers on the painter's device, within the
    // largest picture drawn.
    static QSizeF devicePixels(const QPainter& painter, const QRectF& content);
    // The picture's size in pixels for the content on a PDF or print page.
    static QSize outputPixels(const QPainter& painter, const QRectF& content);
};

} // namespace ql
