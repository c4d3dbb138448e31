// Elements selected or deselected together, as Select All or a click on the
// empty page does: each element takes its new state at once, and the page
// and the window (focused element, inspectors, first active element) follow
// once, when the outermost batch ends, rather than after every element.
#pragma once

#include "canvas/ZVCanvasView.h"

namespace ql {

class SelectionBatch {
public:
    explicit SelectionBatch(ZVCanvasView& page) : m_page(page) { m_page.beginSelectionBatch(); }
    ~SelectionBatch() { m_page.endSelectionBatch(); }
    SelectionBatch(const SelectionBatch&) = delete;
    SelectionBatch& operator=(const SelectionBatch&) = delete;

private:
    ZVCanvasView& m_page;
};

} // namespace ql
