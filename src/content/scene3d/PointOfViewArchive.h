// How a 3D text keeps its point of view in documents: an "SCNNode" record
// with its position ("positionX/Y/Z") and orientation quaternion
// ("orientationX/Y/Z/W"), all reals, and its camera as an "SCNCamera" record
// ("orthographicScale", "zFar" reals, "usesOrthographicProjection" bool).
#pragma once

#include "content/scene3d/SceneNode.h"

#include <QMetaType>
#include <memory>

namespace ql {
class ClassRegistry;
class KeyedArchiver;
class KeyedUnarchiver;
} // namespace ql

namespace ql::scene3d {

// The stored form of a point of view, as the archive reads it.
struct ArchivedPointOfView {
    QVector3D position;
    QQuaternion orientation;
    std::optional<Camera> camera;
};

void encodePointOfView(KeyedArchiver& coder, const QString& key, const SceneNode& node);
// A new node from the record under the key; null when it is missing or
// unusable (not finite, no camera).
std::unique_ptr<SceneNode> decodePointOfView(KeyedUnarchiver& coder, const QString& key);

// Lets an archive hold "SCNNode" and "SCNCamera" records.
void registerSceneClasses(ClassRegistry& registry);

} // namespace ql::scene3d

Q_DECLARE_METATYPE(ql::scene3d::ArchivedPointOfView)
Q_DECLARE_METATYPE(ql::scene3d::Camera)
