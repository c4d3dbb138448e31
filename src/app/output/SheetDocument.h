// The sheets of an output, in order: one per page, or a booklet's spreads.
// It owns the blank pages a booklet needs.
#pragma once

#include "app/output/ZVPDFPage.h"

#include <memory>
#include <vector>

namespace ql {

class SheetDocument {
public:
    SheetDocument() = default;
    SheetDocument(SheetDocument&&) = default;
    SheetDocument& operator=(SheetDocument&&) = default;
    ~SheetDocument();

    int pageCount() const { return int(m_sheets.size()); }
    const ZVPDFPage& page(int index) const { return m_sheets.at(size_t(index)); }

    void appendSheet(QList<ZVCanvasView*> canvases) { m_sheets.emplace_back(std::move(canvases)); }
    // A page with nothing on it, sized like `model`, that lives as long as
    // the document.
    ZVCanvasView* makeBlankPage(const ZVCanvasView& model);

private:
    std::vector<ZVPDFPage> m_sheets;
    std::vector<std::unique_ptr<ZVCanvasView>> m_blankPages;
};

// Sheets of the pages in order, or, as a booklet, spreads that read in order
// once printed on both sides and folded: the page count is brought to a
// multiple of four with blank pages at the end.
SheetDocument documentForPages(const QList<ZVCanvasView*>& pages, bool formatAsBooklet = false);

} // namespace ql
