// The page's side of moving many elements as one step: what each element
// reports is gathered while a move batch is open and done once at its end.
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasHost.h"
#include "canvas/MoveBatch.h"
#include "canvas/ZVPuttyView.h"
#include "platform/runtime/Deferred.h"
#include "platform/undo/UndoManager.h"

#include <utility>

void ZVCanvasView::beginMoveBatch()
{
    ++m_moveFollowUp.depth;
}

void ZVCanvasView::endMoveBatch()
{
    if (--m_moveFollowUp.depth > 0)
        return;
    // Taken first: what follows may open a batch again.
    MoveFollowUp done = std::exchange(m_moveFollowUp, {});
    if (!done.undo.isEmpty())
        registerMoveUndo(std::move(done.undo));
    if (done.touched) {
        // As the last of the elements would have left them.
        setFocusedPuttyView(selectedViews().size() == 1 ? done.touched.data() : nullptr);
        if (ql::CanvasHost* host = canvasHost(); host && done.firstResponder)
            host->makeElementFirstResponder(done.firstResponder);
    }
    if (done.guides == MoveFollowUp::Guides::Shown)
        showGuides();
    if (done.moved)
        followChangedElement();
    if (done.rotated) {
        setClippingRects();
        showTextLinks();
    }
    if (done.guides == MoveFollowUp::Guides::Cleared)
        clearGuides();
    if (done.clearGuidesLater)
        clearGuidesLater();
}

void ZVCanvasView::joinMoveUndo(ZVPuttyView* element, std::function<void()> step)
{
    m_moveFollowUp.undo.append({element, std::move(step)});
}

// One step for the whole batch: run, it moves the elements back in a batch of
// its own, whose steps make the one step that redoes it.
void ZVCanvasView::registerMoveUndo(QList<QPair<QPointer<ZVPuttyView>, std::function<void()>>> steps)
{
    ql::UndoManager* manager = undoManager();
    if (!manager)
        return;
    manager->registerUndo(this, [this, steps = std::move(steps)] {
        const ql::MoveBatch batch(*this);
        // In the reverse order of their registration, as the undo manager
        // runs steps of its own.
        for (auto it = steps.crbegin(); it != steps.crend(); ++it) {
            if (it->first)
                it->second();
        }
    });
}

void ZVCanvasView::clearGuidesLater()
{
    if (inMoveBatch()) {
        m_moveFollowUp.clearGuidesLater = true;
        return;
    }
    ql::after(1000, this, [this] { clearGuides(); });
}
