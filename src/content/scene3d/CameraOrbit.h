// Turning a point of view by dragging: horizontal drags orbit about the
// world's up axis, vertical ones about the camera's own right axis, both
// through a pivot (the middle of what is shown); a drag across the whole
// width turns by half a circle. The node keeps looking the same way relative
// to the pivot, so what it shows turns in place.
#pragma once

#include <QPointF>
#include <QVector3D>

namespace ql::scene3d {

class SceneNode;

class CameraOrbit {
public:
    // `width` is the width of the area dragged in, in the drag's units.
    CameraOrbit(SceneNode& pointOfView, const QVector3D& pivot, double width, QPointF start);

    // Turns by the movement since the last call (y grows downwards).
    void dragTo(QPointF location);

private:
    SceneNode& m_node;
    QVector3D m_pivot;
    double m_width;
    QPointF m_last;
};

} // namespace ql::scene3d
