// Undo with the desktop platform's semantics: inverse operations registered
// as closures; everything registered in one turn of the event loop (one user
// action) undoes as one step; steps registered while undoing become redo
// steps and those registered while redoing become undo steps.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

namespace ql {

class UndoManager : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void()>;

    explicit UndoManager(QObject* parent = nullptr);
    ~UndoManager() override;

    // Registers an inverse operation against `target`. The operation is
    // skipped if the target is gone by the time it would run.
    void registerUndo(QObject* target, Action action);

    // Explicit groups nest; the outermost one becomes a single step. Without
    // one, registrations are grouped per event-loop turn. A group begun after
    // something was registered in this turn nests in the turn's step, so the
    // user's action still undoes as one.
    void beginUndoGrouping();
    void endUndoGrouping();
    int groupingLevel() const { return m_groupingLevel; }
    // Closes the step this turn has been building, as the end of the turn
    // would; a save calls it so that its save point follows the change.
    void closeTurnGroup();

    bool canUndo() const;
    bool canRedo() const;
    void undo();
    void redo();
    bool isUndoing() const { return m_state == State::Undoing; }
    bool isRedoing() const { return m_state == State::Redoing; }

    // Nestable; while disabled, registrations are dropped.
    void disableUndoRegistration() { ++m_disabled; }
    void enableUndoRegistration();
    bool isUndoRegistrationEnabled() const { return m_disabled == 0; }

    void removeAllActions();
    void removeAllActionsWithTarget(QObject* target);

    int undoCount() const { return static_cast<int>(m_undoStack.size()); }
    int redoCount() const { return static_cast<int>(m_redoStack.size()); }

    // +1 for every new step, -1 for every undo, +1 for every redo; a document
    // is modified while this differs from the value it had when saved.
    int changeCount() const { return m_changeCount; }

signals:
    // Before an undo or a redo does anything: whatever the user still has
    // open (a drawing) can become a step first, and the one undone.
    void willUndoOrRedo();
    // After any change of the stacks or the change count.
    void changed();
    // When steps that could have been redone were thrown away (a new change
    // after undoing, or removing all actions): the states they led to cannot
    // come back.
    void redoActionsDiscarded();

private:
    enum class State { Normal, Undoing, Redoing };
    struct Entry {
        QPointer<QObject> target;
        bool hadTarget;
        Action action;
    };
    using Group = std::vector<Entry>;

    void openGroupIfNeeded();
    void closeOpenGroup();
    void closeEventGroup();
    // False when a step deleted this manager.
    bool runGroup(Group group, State state);

    std::vector<Group> m_undoStack;
    std::vector<Group> m_redoStack;
    Group m_openGroup;
    bool m_groupOpen = false;
    bool m_eventGroupScheduled = false;
    // The outermost explicit group nests in the turn's step.
    bool m_explicitGroupInTurn = false;
    int m_groupingLevel = 0;
    int m_disabled = 0;
    int m_changeCount = 0;
    State m_state = State::Normal;
};

// Disables registration for a scope, e.g. while a file loads.
class UndoRegistrationBlocker {
public:
    explicit UndoRegistrationBlocker(UndoManager* manager) : m_manager(manager)
    {
        if (m_manager)
            m_manager->disableUndoRegistration();
    }
    ~UndoRegistrationBlocker()
    {
        if (m_manager)
            m_manager->enableUndoRegistration();
    }
    UndoRegistrationBlocker(const UndoRegistrationBlocker&) = delete;
    UndoRegistrationBlocker& operator=(const UndoRegistrationBlocker&) = delete;

private:
    QPointer<UndoManager> m_manager;
};

} // namespace ql
