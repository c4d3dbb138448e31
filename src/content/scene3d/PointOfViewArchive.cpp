#include "content/scene3d/PointOfViewArchive.h"

#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <cmath>

namespace ql::scene3d {

namespace {

const QStringList& nodeChain()
{
    static const QStringList chain {QStringLiteral("SCNNode"), QStringLiteral("NSObject")};
    return chain;
}

const QStringList& cameraChain()
{
    static const QStringList chain {QStringLiteral("SCNCamera"), QStringLiteral("NSObject")};
    return chain;
}

// A real stored in place; null when missing, of another kind or not finite.
std::optional<double> readReal(KeyedUnarchiver& coder, const QString& key)
{
    if (coder.holdsObjectReference(key))
        return std::nullopt;
    const QVariant value = coder.decodePrimitive(key);
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::LongLong:
    case QMetaType::Int: {
        const double real = value.toDouble();
        return std::isfinite(real) ? std::optional<double>(real) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

QVariant decodeCamera(KeyedUnarchiver& coder)
{
    const std::optional<double> scale = readReal(coder, QStringLiteral("orthographicScale"));
    const std::optional<double> zFar = readReal(coder, QStringLiteral("zFar"));
    const QString flag = QStringLiteral("usesOrthographicProjection");
    const QVariant orthographic = coder.holdsObjectReference(flag) ? QVariant() : coder.decodePrimitive(flag);
    if (!scale || !zFar || orthographic.metaType() != QMetaType::fromType<bool>())
        return QVariant();
    Camera camera;
    camera.orthographicScale = *scale;
    camera.zFar = *zFar;
    camera.usesOrthographicProjection = orthographic.toBool();
    return QVariant::fromValue(camera);
}

QVariant decodeNode(KeyedUnarchiver& coder)
{
    static const char* const keys[] = {"positionX",    "positionY",    "positionZ",   "orientationX",
                                       "orientationY", "orientationZ", "orientationW"};
    double values[7];
    for (int i = 0; i < 7; ++i) {
        const std::optional<double> value = readReal(coder, QString::fromLatin1(keys[i]));
        if (!value)
            return QVariant();
        values[i] = *value;
    }
    ArchivedPointOfView node;
    node.position = QVector3D(float(values[0]), float(values[1]), float(values[2]));
    // Stored as x, y, z, w; Qt's constructor takes the scalar first.
    node.orientation = QQuaternion(float(values[6]), float(values[3]), float(values[4]), float(values[5]));
    const QVariant camera = coder.decodeObject(QStringLiteral("camera"));
    if (camera.metaType() == QMetaType::fromType<Camera>())
        node.camera = camera.value<Camera>();
    return QVariant::fromValue(node);
}

} // namespace

void encodePointOfView(KeyedArchiver& coder, const QString& key, const SceneNode& node)
{
    const PlistValue record = coder.encodeRecord(nodeChain(), [&node](KeyedArchiver& n) {
        const QVector3D position = node.position();
        const QQuaternion orientation = node.orientation();
        n.encodeDouble(QStringLiteral("positionX"), position.x());
        n.encodeDouble(QStringLiteral("positionY"), position.y());
        n.encodeDouble(QStringLiteral("positionZ"), position.z());
        n.encodeDouble(QStringLiteral("orientationX"), orientation.x());
        n.encodeDouble(QStringLiteral("orientationY"), orientation.y());
        n.encodeDouble(QStringLiteral("orientationZ"), orientation.z());
        n.encodeDouble(QStringLiteral("orientationW"), orientation.scalar());
        if (const auto& camera = node.camera()) {
            n.encodeReference(QStringLiteral("camera"), n.encodeRecord(cameraChain(), [&camera](KeyedArchiver& c) {
                c.encodeDouble(QStringLiteral("orthographicScale"), camera->orthographicScale);
                c.encodeDouble(QStringLiteral("zFar"), camera->zFar);
                c.encodeBool(QStringLiteral("usesOrthographicProjection"), camera->usesOrthographicProjection);
            }));
        }
    });
    coder.encodeReference(key, record);
}

std::unique_ptr<SceneNode> decodePointOfView(KeyedUnarchiver& coder, const QString& key)
{
    const QVariant value = coder.decodeObject(key);
    if (value.metaType() != QMetaType::fromType<ArchivedPointOfView>())
        return nullptr;
    const ArchivedPointOfView stored = value.value<ArchivedPointOfView>();
    if (!stored.camera || stored.orientation.length() < 1e-6f)
        return nullptr;
    auto node = std::make_unique<SceneNode>();
    node->setPosition(stored.position);
    node->setOrientation(stored.orientation);
    node->setCamera(stored.camera);
    return node;
}

void registerSceneClasses(ClassRegistry& registry)
{
    registry.registerValueClass(QStringLiteral("SCNNode"), decodeNode);
    registry.registerValueClass(QStringLiteral("SCNCamera"), decodeCamera);
}

} // namespace ql::scene3d
