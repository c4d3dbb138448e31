// Elements moved together as one step, as an arrow key, a press or release
// on a selection, or the undo of their move does: each element moves at
// once, and the page follows once, when the outermost batch ends, rather
// than after every element: one guide pass, one focus, one delayed clearing
// of the guides, and one undo step that moves them all back together.
#pragma once

#include "canvas/ZVCanvasView.h"

namespace ql {

class MoveBatch {
public:
    explicit MoveBatch(ZVCanvasView& page) : m_page(page) { m_page.beginMoveBatch(); }
    ~MoveBatch() { m_page.endMoveBatch(); }
    MoveBatch(const MoveBatch&) = delete;
    MoveBatch& operator=(const MoveBatch&) = delete;

private:
    ZVCanvasView& m_page;
};

} // namespace ql
