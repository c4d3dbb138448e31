// Settings the model keeps without an undo step of its own (an element's
// print flag, a text's outline colour and overlay kind): the inspector sets
// them and records the step that sets them back, which records its own
// inverse, so Undo and Redo take turns.
#pragma once

#include <QString>
#include <QVariant>
#include <functional>

namespace ql {

class KVObject;
class UndoManager;

// Sets the key path of `target`; `then` runs after each setting (the first
// and every undo and redo), to redraw what the setting alone does not.
void setValueRecordingUndo(KVObject& target, const QString& keyPath, const QVariant& value, UndoManager* manager,
                           std::function<void(KVObject&)> then = {});

} // namespace ql
