// The generic property undo: a step that sets a key path back to its old
// value. Models observe their own key paths and record one such step per
// change; because the step's own set is observed again, running it records
// exactly one inverse (on the redo stack while undoing, and back).
#pragma once

#include "platform/object/KVObject.h"
#include "platform/undo/UndoManager.h"

#include <QStringList>
#include <functional>

namespace ql {

// Records on `manager` a step that sets `keyPath` of `target` back to
// `oldValue`. A null old value makes a step that does nothing, so such a
// change cannot be undone; so does an object value destroyed before the step
// runs (objects are held weakly).
void registerKeyPathUndo(UndoManager* manager, KVObject* target, const QString& keyPath, const QVariant& oldValue);

// Observes key paths of one object and records the generic undo of every
// change on the undo manager that `manager()` names at that moment (none:
// nothing is recorded). Lives as long as the object it watches.
class KeyPathUndoRecorder : public QObject {
    Q_OBJECT
public:
    using ManagerProvider = std::function<UndoManager*()>;

    KeyPathUndoRecorder(KVObject* target, const QStringList& keyPaths, ManagerProvider manager);

private:
    ManagerProvider m_manager;
};

} // namespace ql
