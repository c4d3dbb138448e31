// The scene graph of 3D text: nodes placed by a position and an orientation,
// each with children and at most one camera, light or geometry. The camera is
// orthographic; lights are omni (a point) or ambient; a geometry carries its
// materials. Everything is plain data that the renderer reads.
#pragma once

#include <QColor>
#include <QMatrix4x4>
#include <QQuaternion>
#include <QVector3D>
#include <memory>
#include <optional>
#include <vector>

namespace ql::scene3d {

class TextGeometry;

struct Camera {
    // Half the visible height in scene units; the width follows the image's
    // aspect ratio.
    double orthographicScale = 1.0;
    double zNear = 1.0;
    double zFar = 100.0;
    bool usesOrthographicProjection = false;
    bool operator==(const Camera&) const = default;
};

struct Light {
    enum class Type { Omni, Ambient };
    Type type = Type::Omni;
    QColor color = Qt::white;
    bool operator==(const Light&) const = default;
};

class SceneNode {
public:
    SceneNode() = default;
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    QVector3D position() const { return m_position; }
    void setPosition(const QVector3D& position);
    QQuaternion orientation() const { return m_orientation; }
    void setOrientation(const QQuaternion& orientation);
    // A turn about an axis by an angle in radians.
    void setRotation(const QVector3D& axis, double radians);

    // The node's own placement, and its placement in the scene (through its
    // parents).
    QMatrix4x4 transform() const;
    QMatrix4x4 worldTransform() const;

    const std::optional<Camera>& camera() const { return m_camera; }
    void setCamera(std::optional<Camera> camera);
    Camera* mutableCamera() { return m_camera ? &*m_camera : nullptr; }
    const std::optional<Light>& light() const { return m_light; }
    void setLight(std::optional<Light> light);
    const std::shared_ptr<const TextGeometry>& geometry() const { return m_geometry; }
    void setGeometry(std::shared_ptr<const TextGeometry> geometry);

    SceneNode* parent() const { return m_parent; }
    const std::vector<std::unique_ptr<SceneNode>>& children() const { return m_children; }
    SceneNode* addChildNode(std::unique_ptr<SceneNode> child);
    // Takes the node out of its parent; the caller owns it then.
    std::unique_ptr<SceneNode> removeFromParentNode();

    // A copy of the node's own placement, camera, light and geometry,
    // without children.
    std::unique_ptr<SceneNode> cloneWithoutChildren() const;

    // Bumped by every change of this node or any node below it, so that a
    // picture of the scene can be reused while nothing changed.
    quint64 revision() const { return m_revision; }

private:
    void touch();

    QVector3D m_position;
    QQuaternion m_orientation;
    std::optional<Camera> m_camera;
    std::optional<Light> m_light;
    std::shared_ptr<const TextGeometry> m_geometry;
    SceneNode* m_parent = nullptr;
    std::vector<std::unique_ptr<SceneNode>> m_children;
    quint64 m_revision = 0;
};

// A scene is its root node, with an identity of its own that pictures of it
// are remembered by.
class Scene {
public:
    Scene();
    SceneNode& rootNode() { return m_root; }
    const SceneNode& rootNode() const { return m_root; }
    quint64 identity() const { return m_identity; }
    quint64 revision() const { return m_root.revision(); }

private:
    SceneNode m_root;
    quint64 m_identity;
};

} // namespace ql::scene3d
