#include "canvas/ModelArchive.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "content/ZV3DTextView.h"
#include "content/ZVBackgroundImageView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextLayoutGroup.h"
#include "content/ZVTextView.h"
#include "content/scene3d/PointOfViewArchive.h"
#include "content/text/TextStorage.h"
#include "platform/archive/ArchiveError.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "shapes/ShapeClasses.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFArchiving.h"

namespace ql::canvas {

void registerPageClasses(ClassRegistry& registry)
{
    registry.registerClass<ZVCanvasView>(QStringLiteral("ZVCanvasView"));
    registerElementClasses(registry);
}

void registerElementClasses(ClassRegistry& registry)
{
    registry.registerClass<ZVPuttyView>(QStringLiteral("ZVPuttyView"),
                                        [] { return static_cast<QObject*>(ZVPuttyView::forReading()); });
    registry.registerClass<ZVPuttyViewGroup>(QStringLiteral("ZVPuttyViewGroup"));
    registry.registerClass<ZVImageView>(QStringLiteral("ZVImageView"));
    registry.registerClass<ZVTextView>(QStringLiteral("ZVTextView"),
                                       [] { return static_cast<QObject*>(ZVTextView::forReading()); });
    registry.registerClass<ql::text::TextStorage>(QStringLiteral("NSTextStorage"));
    registry.registerClass<ZVTextLayoutGroup>(QStringLiteral("ZVTextLayoutGroup"));
    registry.registerClass<ZV3DTextView>(QStringLiteral("ZV3DTextView"),
                                         [] { return static_cast<QObject*>(ZV3DTextView::forReading()); });
    ql::scene3d::registerSceneClasses(registry);
    registry.registerClass<ZVBackgroundView>(QStringLiteral("ZVBackgroundView"));
    registry.registerClass<ZVBackgroundImageView>(QStringLiteral("ZVBackgroundImageView"));
    registry.registerClass<ZVVectorView>(QStringLiteral("ZVVectorView"),
                                         [] { return static_cast<QObject*>(ZVVectorView::forReading()); });
    ql::df::registerDrawingClasses(registry);
    ql::shapes::registerShapeClasses(registry);
}

namespace {

ClassRegistry registryWith(void (*registerClasses)(ClassRegistry&))
{
    ClassRegistry classes = ClassRegistry::withPlatformValues();
    registerClasses(classes);
    return classes;
}

} // namespace

const ClassRegistry& pageClassRegistry()
{
    static const ClassRegistry registry = registryWith(registerPageClasses);
    return registry;
}

const ClassRegistry& elementClassRegistry()
{
    static const ClassRegistry registry = registryWith(registerElementClasses);
    return registry;
}

Result<QByteArray> archiveRootObject(const QObject* root)
{
    KeyedArchiver archiver;
    archiver.encodeObject(QStringLiteral("root"), root);
    return archiver.finish();
}

Result<QObject*> unarchiveRootObject(QByteArrayView data, const QMetaObject& expected, const ClassRegistry& registry)
{
    KeyedUnarchiver unarchiver(registry);
    if (Status opened = unarchiver.open(data); !opened)
        return opened.error();
    QObject* root = objectFromVariant(unarchiver.decodeRootObject());
    Result<DecodedObjects> decoded = unarchiver.finish();
    if (!decoded)
        return decoded.error();
    if (!root || !expected.cast(root)) {
        return archiveError(ArchiveErrorCode::WrongType,
                            QStringLiteral("The archive holds no %1.").arg(QString::fromLatin1(expected.className())));
    }
    // Whatever the root did not take in goes with this holder.
    QObject leftovers;
    root->setParent(&leftovers);
    decoded->adoptAll(&leftovers);
    root->setParent(nullptr);
    return root;
}

} // namespace ql::canvas
