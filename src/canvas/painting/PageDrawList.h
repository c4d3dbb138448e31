// What one page draws, bottom first: its master's elements under its own.
// A page-number box of the master is drawn as a copy placed on this page, so
// that it shows this page's own number; the list owns those copies, which
// belong to no page's element list and live only as long as the list.
#pragma once

#include "canvas/painting/PagePainter.h"

#include <QList>
#include <memory>
#include <vector>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class PageDrawList {
public:
    // `layers` chooses the layers of the master and of the page alike.
    PageDrawList(ZVCanvasView& page, PagePainter::Layers layers);
    ~PageDrawList();
    PageDrawList(const PageDrawList&) = delete;
    PageDrawList& operator=(const PageDrawList&) = delete;

    const QList<const ZVPuttyView*>& elements() const { return m_elements; }

    // A text element that is (or once was) a page-number field.
    static bool isPageNumberBox(const ZVPuttyView& element);
    // A copy of a master's page-number box placed on `page`, with a new
    // UUID, neither active nor highlighted, showing that page's number and
    // count; null when the box cannot be copied.
    static std::unique_ptr<ZVPuttyView> pageNumberCopy(const ZVPuttyView& box, ZVCanvasView& page);

private:
    QList<const ZVPuttyView*> m_elements;
    std::vector<std::unique_ptr<ZVPuttyView>> m_copies;
};

} // namespace ql
