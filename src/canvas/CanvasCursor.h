// A cursor as pages and elements ask for it: a standard shape, or one of our
// own pictures by name, turned by an angle, with its hot spot. The window
// draws and sets it.
#pragma once

#include <QPoint>
#include <QString>

namespace ql {

struct CanvasCursor {
    enum class Shape { Arrow, OpenHand, ClosedHand, Forbidden, PointingHand, Picture };

    Shape shape = Shape::Arrow;
    // For pictures: "nwse", "ns", "swne", "ew", "rotatenw" ... "rotatese",
    // "zoomin", "zoomout".
    QString picture;
    double degrees = 0.0;
    QPoint hotSpot;

    static CanvasCursor standard(Shape shape) { return {shape, {}, 0.0, {}}; }
    static CanvasCursor named(const QString& picture, double degrees, QPoint hotSpot)
    {
        return {Shape::Picture, picture, degrees, hotSpot};
    }
    bool operator==(const CanvasCursor&) const = default;
};

} // namespace ql
