// What a page gathers once when a drag of its elements starts and keeps
// until the release: the elements being dragged, the guide targets of those
// that stay put, and whether anything wraps text or chains boxes. Each step
// then costs what the dragged elements and the lines shown cost, whatever
// the number of elements on the page. Anything that changes the selection
// or the page's elements lets it go.
#pragma once

#include "canvas/guides/GuideTargets.h"

#include <QList>

class ZVPuttyView;

namespace ql {

struct DragContext {
    QList<ZVPuttyView*> active;
    GuideTargets targets;
    // Some element wraps text: every step lays the wrapped boxes out again.
    bool wraps = false;
    // Some box is chained: every step redraws the links.
    bool chained = false;
};

} // namespace ql
