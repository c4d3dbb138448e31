#include "canvas/gestures/GeometrySnapshot.h"

#include "canvas/MoveBatch.h"
#include "canvas/ZVPuttyView.h"

#include <optional>

namespace ql {

GeometrySnapshot::GeometrySnapshot(const QList<ZVPuttyView*>& elements)
{
    for (ZVPuttyView* element : elements)
        add(element);
}

void GeometrySnapshot::add(ZVPuttyView* element)
{
    if (!element || m_taken.contains(element))
        return;
    m_taken.insert(element);
    m_entries.append({element, element->frame(), element->frameCenterRotation()});
}

int GeometrySnapshot::recordUndo() const
{
    // The elements that changed undo as one, with one follow-up of the page.
    std::optional<MoveBatch> batch;
    for (const Entry& entry : m_entries) {
        if (ZVCanvasView* page = entry.element ? entry.element->canvas() : nullptr) {
            batch.emplace(*page);
            break;
        }
    }
    int changed = 0;
    for (const Entry& entry : m_entries) {
        ZVPuttyView* element = entry.element.data();
        if (!element)
            continue;
        const QRectF frame = element->frame();
        if (element->frameCenterRotation() != entry.rotation) {
            // A turn moves the origin only; its undo puts both back.
            element->registerRotateUndo(entry.rotation, entry.frame.topLeft());
            if (frame.size() != entry.frame.size())
                element->registerResizeUndo(entry.frame);
        } else if (frame.size() != entry.frame.size()) {
            element->registerResizeUndo(entry.frame);
        } else if (frame.topLeft() != entry.frame.topLeft()) {
            element->registerMoveUndo(entry.frame.topLeft());
        } else {
            continue;
        }
        ++changed;
    }
    return changed;
}

} // namespace ql
