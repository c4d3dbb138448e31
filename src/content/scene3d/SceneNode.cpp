#include "content/scene3d/SceneNode.h"

#include "content/scene3d/TextGeometry.h"

#include <QtMath>
#include <atomic>

namespace ql::scene3d {

Scene::Scene()
{
    static std::atomic<quint64> made {0};
    m_identity = ++made;
}

void SceneNode::touch()
{
    for (SceneNode* node = this; node; node = node->m_parent)
        ++node->m_revision;
}

void SceneNode::setPosition(const QVector3D& position)
{
    m_position = position;
    touch();
}

void SceneNode::setOrientation(const QQuaternion& orientation)
{
    m_orientation = orientation.normalized();
    touch();
}

void SceneNode::setRotation(const QVector3D& axis, double radians)
{
    // Qt takes the angle in degrees.
    setOrientation(QQuaternion::fromAxisAndAngle(axis.normalized(), float(qRadiansToDegrees(radians))));
}

QMatrix4x4 SceneNode::transform() const
{
    QMatrix4x4 matrix;
    matrix.translate(m_position);
    matrix.rotate(m_orientation);
    return matrix;
}

QMatrix4x4 SceneNode::worldTransform() const
{
    return m_parent ? m_parent->worldTransform() * transform() : transform();
}

void SceneNode::setCamera(std::optional<Camera> camera)
{
    m_camera = camera;
    touch();
}

void SceneNode::setLight(std::optional<Light> light)
{
    m_light = light;
    touch();
}

void SceneNode::setGeometry(std::shared_ptr<const TextGeometry> geometry)
{
    m_geometry = std::move(geometry);
    touch();
}

SceneNode* SceneNode::addChildNode(std::unique_ptr<SceneNode> child)
{
    if (!child)
        return nullptr;
    if (child->m_parent)
        return nullptr;
    child->m_parent = this;
    m_children.push_back(std::move(child));
    touch();
    return m_children.back().get();
}

std::unique_ptr<SceneNode> SceneNode::removeFromParentNode()
{
    if (!m_parent)
        return nullptr;
    SceneNode* parent = m_parent;
    auto& siblings = parent->m_children;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (it->get() == this) {
            std::unique_ptr<SceneNode> self = std::move(*it);
            siblings.erase(it);
            m_parent = nullptr;
            parent->touch();
            return self;
        }
    }
    return nullptr;
}

std::unique_ptr<SceneNode> SceneNode::cloneWithoutChildren() const
{
    auto copy = std::make_unique<SceneNode>();
    copy->m_position = m_position;
    copy->m_orientation = m_orientation;
    copy->m_camera = m_camera;
    copy->m_light = m_light;
    copy->m_geometry = m_geometry;
    return copy;
}

} // namespace ql::scene3d
