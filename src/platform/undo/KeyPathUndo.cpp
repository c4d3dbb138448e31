#include "platform/undo/KeyPathUndo.h"

#include <QtDebug>

namespace ql {

void registerKeyPathUndo(UndoManager* manager, KVObject* target, const QString& keyPath, const QVariant& oldValue)
{
    if (!manager || !target)
        return;
    manager->registerUndo(target, [target, keyPath, oldValue] {
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
