// Helpers for the drawing framework's tests: a transparent 72-dpi canvas to
// draw into and read pixels back from, and a pointer-event script.
#pragma once

#include "canvas/CanvasEvent.h"
#include "shapes/df/DFDrawingView.h"

#include <QImage>
#include <QPainter>
#include <QVector>

namespace dftest {

// A transparent picture of w × h points, one pixel per point.
inline QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

inline int alphaAt(const QImage& image, int x, int y)
{
    return qAlpha(image.pixel(x, y));
}

inline QColor colourAt(const QImage& image, int x, int y)
{
    return QColor::fromRgba(image.pixel(x, y));
}

inline ql::CanvasEvent event(QPointF at, int clicks = 1)
{
    ql::CanvasEvent e;
    e.location = at;
    e.clickCount = clicks;
    return e;
}

inline void click(DFDrawingView& view, QPointF at, int clicks = 1)
{
    view.handleMouseDown(event(at, clicks));
    view.handleMouseUp(event(at, clicks));
}

// Press at the first point, drag through the rest, release at the last.
inline void drag(DFDrawingView& view, const QVector<QPointF>& track)
{
    view.handleMouseDown(event(track.first()));
    for (qsizetype i = 1; i < track.size(); ++i)
        view.handleMouseDragged(event(track[i]));
    view.handleMouseUp(event(track.last()));
}

} // namespace dftest
