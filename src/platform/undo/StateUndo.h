// The undo of a change that is more than one key path (a picture with its
// frame, where elements stand in their layers, a point of view): a step that
// puts the object back into a state captured before the change. Running it
// first captures the state it replaces and records that as its own inverse,
// so Undo and Redo take turns.
#pragma once

#include "platform/undo/UndoManager.h"

#include <QPointer>
#include <functional>

namespace ql {

template <class Target, class State>
struct StateRestore {
    // The object's state as it is now.
    std::function<State(Target&)> capture;
    // Puts a captured state back. It runs with registration disabled: the
    // step records its inverse itself, and nothing the state's parts record
    // on their own may come between.
    std::function<void(Target&, const State&)> apply;
};

// Records on `manager` a step that gives `target` the state `before`. The
// step is skipped once the target is gone.
template <class Target, class State>
void registerStateRestore(UndoManager* manager, Target& target, State before, StateRestore<Target, State> restore)
{
    if (!manager)
        return;
    const QPointer<Target> object(&target);
    const QPointer<UndoManager> undo(manager);
    manager->registerUndo(&target, [object, undo, before = std::move(before), restore] {
        if (!object)
            return;
        registerStateRestore(undo.data(), *object, restore.capture(*object), restore);
        const UndoRegistrationBlocker quiet(undo.data());
        restore.apply(*object, before);
    });
}

} // namespace ql
