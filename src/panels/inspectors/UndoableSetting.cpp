#include "panels/inspectors/UndoableSetting.h"

#include "platform/object/KVObject.h"
#include "platform/undo/UndoManager.h"

#include <QPointer>

namespace ql {

void setValueRecordingUndo(KVObject& target, const QString& keyPath, const QVariant& value, UndoManager* manager,
                           std::function<void(KVObject&)> then)
{
    if (manager) {
        const QVariant old = target.valueForKeyPath(keyPath);
        const QPointer<KVObject> object = &target;
        const QPointer<UndoManager> undo = manager;
        manager->registerUndo(&target, [object, keyPath, old, undo, then] {
            if (object)
                setValueRecordingUndo(*object, keyPath, old, undo.data(), then);
        });
    }
    target.setValueForKeyPath(keyPath, value);
    if (then)
        then(target);
}

} // namespace ql
