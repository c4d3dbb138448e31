#include "content/scene3d/CameraOrbit.h"

#include "content/scene3d/SceneNode.h"

#include <QtMath>
#include <cmath>

namespace ql::scene3d {

CameraOrbit::CameraOrbit(SceneNode& pointOfView, const QVector3D& pivot, double width, QPointF start)
    : m_node(pointOfView), m_pivot(pivot), m_width(std::isfinite(width) && width > 0.0 ? width : 1.0), m_last(start)
{
}

void CameraOrbit::dragTo(QPointF location)
{
    const QPointF delta = location - m_last;
    m_last = location;
    if (!std::isfinite(delta.x()) || !std::isfinite(delta.y()) || delta.isNull())
        return;
    // Dragging right moves the camera left round the pivot, so the scene
    // seems to follow the pointer; dragging down moves it up.
    const double degreesPerUnit = 180.0 / m_width;
    const QQuaternion yaw = QQuaternion::fromAxisAndAngle(QVector3D(0, 1, 0), float(-delta.x() * degreesPerUnit));
    const QVector3D right = m_node.orientation().rotatedVector(QVector3D(1, 0, 0));
    const QQuaternion pitch = QQuaternion::fromAxisAndAngle(right, float(-delta.y() * degreesPerUnit));
    const QQuaternion turn = yaw * pitch;
    m_node.setPosition(m_pivot + turn.rotatedVector(m_node.position() - m_pivot));
    m_node.setOrientation(turn * m_node.orientation());
}

} // namespace ql::scene3d
