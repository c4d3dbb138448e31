#include "platform/undo/KeyPathUndo.h"

#include <QPointer>
#include <QtDebug>

namespace ql {

void registerKeyPathUndo(UndoManager* manager, KVObject* target, const QString& keyPath, const QVariant& oldValue)
{
    if (!manager || !target)
        return;
    // An object value is held weakly: the step must not bring back a pointer
    // to an object that has been destroyed meanwhile.
    const bool holdsObject = oldValue.isValid() && (oldValue.metaType().flags() & QMetaType::PointerToQObject);
    const QPointer<QObject> oldObject = holdsObject ? objectFromVariant(oldValue) : nullptr;
    const QVariant oldPlainValue = holdsObject ? QVariant() : oldValue;
    manager->registerUndo(target, [target, keyPath, holdsObject, oldObject, oldPlainValue] {
        if (holdsObject && !oldObject)
            return;
        const QVariant oldValue = holdsObject ? QVariant::fromValue(oldObject.data()) : oldPlainValue;
        if (!oldValue.isValid())
            return;
        const Status status = target->setValueForKeyPath(keyPath, oldValue);
        if (!status)
            qWarning().noquote() << "undo of" << keyPath << "failed:" << status.error().describe();
    });
}

KeyPathUndoRecorder::KeyPathUndoRecorder(KVObject* target, const QStringList& keyPaths, ManagerProvider manager)
    : QObject(target), m_manager(std::move(manager))
{
    for (const QString& keyPath : keyPaths) {
        target->addObserver(keyPath, this, [this, target](const KeyValueChange& change) {
            registerKeyPathUndo(m_manager ? m_manager() : nullptr, target, change.keyPath, change.oldValue);
        });
    }
}

} // namespace ql
