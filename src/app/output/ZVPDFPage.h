// One sheet of output: a page, or two pages side by side (a booklet's
// spread), drawn on demand by the design helper's sheet drawing.
#pragma once

#include <QList>
#include <QPointer>
#include <QRectF>

class QPainter;
class ZVCanvasView;

namespace ql {

class ZVDesignHelper;

class ZVPDFPage {
public:
    explicit ZVPDFPage(QList<ZVCanvasView*> canvases);

    // The pages of the sheet, left to right; a page deleted since is left out.
    QList<ZVCanvasView*> canvases() const;
    // The sheet's rectangle: its media, crop and bleed boxes.
    QRectF boundsForBox() const;
    // What is left of the sheet once trimmed: its pages without their bleed,
    // in the sheet's coordinates from its top-left corner.
    QRectF trimBox() const;
    // Draws the sheet from its pages' present state, in points from its
    // top-left corner.
    void drawWithBox(QPainter& painter, ZVDesignHelper& helper) const;

private:
    QList<QPointer<ZVCanvasView>> m_canvases;
};

// Pages held by weak links, and those of them still there.
QList<QPointer<ZVCanvasView>> guardedPages(const QList<ZVCanvasView*>& pages);
QList<ZVCanvasView*> livePages(const QList<QPointer<ZVCanvasView>>& pages);

// The sheet of these pages: one page's bounds; two pages side by side (as
// wide as both frames, as tall as the taller); nothing for no page.
QRectF boundsForCanvases(const QList<ZVCanvasView*>& canvases);
// The trim of these pages placed as on their sheet: each page's bounds less
// its bleed, together.
QRectF trimForCanvases(const QList<ZVCanvasView*>& canvases);

} // namespace ql
