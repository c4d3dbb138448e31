#include "app/output/SheetDocument.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"

#include <QSet>

namespace ql {

SheetDocument::~SheetDocument() = default;

ZVCanvasView* SheetDocument::makeBlankPage(const ZVCanvasView& model)
{
    auto blank = std::make_unique<ZVCanvasView>();
    blank->setPageSize(model.pageSize());
    blank->setPageWidth(model.pageWidth());
    blank->setPageHeight(model.pageHeight());
    blank->setPageOrientation(model.pageOrientation());
    blank->setFrame(model.bounds());
    // The same bleed, so that the spread's trim and crop marks are the same on both sides.
    const ZVCanvasView* geometry = model.templateView();
    for (const QString& key : {QStringLiteral("fullBleed"), QStringLiteral("bleedMargin"),
                              QStringLiteral("showBleedCropMarks")})
        blank->setValueForKey(key, geometry->valueForKey(key));
    m_blankPages.push_back(std::move(blank));
    return m_blankPages.back().get();
}

SheetDocument documentForPages(const QList<ZVCanvasView*>& pages, bool formatAsBooklet)
{
    // What is still being drawn belongs in the output.
    QSet<PageDocument*> owners;
    for (ZVCanvasView* page : pages) {
        page->finishDrawing();
        if (PageDocument* owner = page->document())
            owners.insert(owner);
    }
    for (PageDocument* owner : std::as_const(owners))
        owner->finishOpenDrawings();
    SheetDocument document;
    if (!formatAsBooklet) {
        for (ZVCanvasView* page : pages)
            document.appendSheet({page});
        return document;
    }
    if (pages.isEmpty())
        return document;
    // A booklet folds sheets printed on both sides: four pages a sheet. The
    // missing pages are blank and come last, so the reading order holds.
    const int count = int(pages.size());
    const int padded = (count + 3) / 4 * 4;
    ZVCanvasView* blank = document.makeBlankPage(*pages.first());
    const auto pageAt = [&](int index) { return index < count ? pages[index] : blank; };
    for (int i = 0; i < padded / 2; ++i) {
        const int outer = padded - 1 - i;
        if (i % 2 == 0)
            document.appendSheet({pageAt(outer), pageAt(i)});
        else
            document.appendSheet({pageAt(i), pageAt(outer)});
    }
    return document;
}

} // namespace ql
