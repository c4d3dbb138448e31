#include "platform/undo/UndoManager.h"

#include <QMetaObject>
#include <QtDebug>
#include <utility>

namespace ql {

UndoManager::UndoManager(QObject* parent) : QObject(parent) {}

UndoManager::~UndoManager() = default;

void UndoManager::registerUndo(QObject* target, Action action)
{
    if (!isUndoRegistrationEnabled() || !action)
        return;
    if (m_state == State::Normal && !m_redoStack.empty()) {
        // A new change makes the undone future unreachable.
        m_redoStack.clear();
        emit redoActionsDiscarded();
    }
    openGroupIfNeeded();
    m_openGroup.push_back({QPointer<QObject>(target), target != nullptr, std::move(action)});
}

void UndoManager::openGroupIfNeeded()
{
    if (m_groupOpen)
        return;
    m_groupOpen = true;
    m_openGroup.clear();
    if (m_state == State::Normal && m_groupingLevel == 0 && !m_eventGroupScheduled) {
        // No explicit group: this event-loop turn is the step. The queued
        // call runs once control returns to the event loop.
        m_eventGroupScheduled = true;
        QMetaObject::invokeMethod(this, &UndoManager::closeEventGroup, Qt::QueuedConnection);
    }
}

void UndoManager::closeEventGroup()
{
    m_eventGroupScheduled = false;
    if (m_groupingLevel == 0 && m_state == State::Normal)
        closeOpenGroup();
}

void UndoManager::closeOpenGroup()
{
    if (!m_groupOpen)
        return;
    m_groupOpen = false;
    Group group = std::move(m_openGroup);
    m_openGroup.clear();
    if (group.empty())
        return;
    switch (m_state) {
    case State::Normal:
        m_undoStack.push_back(std::move(group));
        ++m_changeCount;
        break;
    case State::Undoing:
        m_redoStack.push_back(std::move(group));
        break;
    case State::Redoing:
        m_undoStack.push_back(std::move(group));
        break;
    }
    emit changed();
}

void UndoManager::beginUndoGrouping()
{
    if (m_groupingLevel == 0 && m_state == State::Normal) {
        if (m_groupOpen && !m_openGroup.empty()) {
            // This turn already registered part of the action: the group
            // becomes part of the same step.
            m_explicitGroupInTurn = true;
        } else {
            // An explicit group starts a step of its own.
            closeOpenGroup();
            m_groupOpen = true;
            m_openGroup.clear();
        }
    }
    ++m_groupingLevel;
}

void UndoManager::endUndoGrouping()
{
    if (m_groupingLevel == 0) {
        qWarning("UndoManager: endUndoGrouping without a matching begin");
        return;
    }
    if (--m_groupingLevel > 0 || m_state != State::Normal)
        return;
    const bool inTurn = std::exchange(m_explicitGroupInTurn, false);
    // A group nested in the turn's step leaves it to the end of the turn,
    // unless that end has already passed while the group was open.
    if (!inTurn || !m_eventGroupScheduled)
        closeOpenGroup();
}

void UndoManager::closeTurnGroup()
{
    if (m_groupingLevel == 0 && m_state == State::Normal)
        closeOpenGroup();
}

void UndoManager::enableUndoRegistration()
{
    if (m_disabled == 0) {
        qWarning("UndoManager: enableUndoRegistration without a matching disable");
        return;
    }
    --m_disabled;
}

bool UndoManager::canUndo() const
{
    return !m_undoStack.empty() || (m_groupOpen && !m_openGroup.empty() && m_state == State::Normal);
}

bool UndoManager::canRedo() const
{
    return !m_redoStack.empty();
}

bool UndoManager::runGroup(Group group, State state)
{
    m_state = state;
    m_groupOpen = true;
    m_openGroup.clear();
    // A step may close what owns this manager; nothing after that touches it.
    const QPointer<UndoManager> alive(this);
    // Inverses run in the reverse order of their registration.
    for (auto it = group.rbegin(); it != group.rend(); ++it) {
        if (it->hadTarget && !it->target)
            continue;
        it->action();
        if (!alive)
            return false;
    }
    closeOpenGroup();
    m_state = State::Normal;
    return true;
}

void UndoManager::undo()
{
    if (m_state != State::Normal) {
        qWarning("UndoManager: undo while undoing or redoing is ignored");
        return;
    }
    if (m_groupingLevel > 0) {
        qWarning("UndoManager: undo inside an open group is ignored");
        return;
    }
    emit willUndoOrRedo();
    // The step being built in this turn is the one to undo.
    closeOpenGroup();
    if (m_undoStack.empty())
        return;
    Group group = std::move(m_undoStack.back());
    m_undoStack.pop_back();
    if (!runGroup(std::move(group), State::Undoing))
        return;
    --m_changeCount;
    emit changed();
}

void UndoManager::redo()
{
    if (m_state != State::Normal || m_groupingLevel > 0) {
        qWarning("UndoManager: redo while undoing, redoing or inside a group is ignored");
        return;
    }
    emit willUndoOrRedo();
    closeOpenGroup();
    if (m_redoStack.empty())
        return;
    Group group = std::move(m_redoStack.back());
    m_redoStack.pop_back();
    // Redo steps keep the remaining redo stack: registering while redoing
    // must not clear it.
    if (!runGroup(std::move(group), State::Redoing))
        return;
    ++m_changeCount;
    emit changed();
}

void UndoManager::removeAllActions()
{
    const bool hadRedo = !m_redoStack.empty();
    m_undoStack.clear();
    m_redoStack.clear();
    m_openGroup.clear();
    if (hadRedo)
        emit redoActionsDiscarded();
    emit changed();
}

void UndoManager::removeAllActionsWithTarget(QObject* target)
{
    auto prune = [target](std::vector<Group>& stack) {
        for (Group& group : stack)
            std::erase_if(group, [target](const Entry& entry) { return entry.target == target; });
        std::erase_if(stack, [](const Group& group) { return group.empty(); });
    };
    prune(m_undoStack);
    prune(m_redoStack);
    std::erase_if(m_openGroup, [target](const Entry& entry) { return entry.target == target; });
    emit changed();
}

} // namespace ql
