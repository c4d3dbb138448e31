// What a repaint of the canvas can still change: the window's exposed area,
// which the paint engine keeps in device pixels. Drawing that lies wholly
// outside it is clipped away, so it can be left out before its cost is paid.
#pragma once

#include <QRectF>
#include <QRegion>

class QPainter;

namespace ql {

class ExposedArea {
public:
    // The exposed area in the painter's own device pixels (as with its
    // transform reset); empty when not known, as when drawing into an image.
    static QRegion of(const QPainter& painter);
    // Whether `rect`, in the painter's current coordinates, can show: true
    // where the exposed area is not known.
    static bool reaches(const QPainter& painter, const QRectF& rect);
};

} // namespace ql
