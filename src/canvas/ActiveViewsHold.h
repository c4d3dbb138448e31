// A stretch in which nothing changes the selection, as a menu validation
// that asks the page about it once for every item: the page works out its
// active elements (the selected ones and their groups' members) once, at the
// first question, and answers every later one with that list until the
// outermost hold ends.
#pragma once

#include "canvas/ZVCanvasView.h"

#include <QPointer>

namespace ql {

class ActiveViewsHold {
public:
    explicit ActiveViewsHold(ZVCanvasView* page) : m_page(page)
    {
        if (m_page)
            m_page->holdActiveViews();
    }
    ~ActiveViewsHold()
    {
        if (m_page)
            m_page->releaseActiveViews();
    }
    ActiveViewsHold(const ActiveViewsHold&) = delete;
    ActiveViewsHold& operator=(const ActiveViewsHold&) = delete;

private:
    QPointer<ZVCanvasView> m_page;
};

} // namespace ql
