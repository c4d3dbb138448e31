#include "app/export/ShareCommand.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/export/SharingService.h"
#include "app/output/SheetBitmap.h"
#include "app/output/SheetDocument.h"

namespace ql {

void ShareCommand::shareFromService(SharingService& service)
{
    continueAfterPanel(tr("Rendering..."), [this, &service] { share(service); });
}

void ShareCommand::share(SharingService& service)
{
    const SheetDocument sheets = documentForPages(m_document.pages(), m_document.formatAsBooklet());
    const Result<QList<SheetBitmap>> bitmaps = imagesForPDF(sheets, ZVDesignHelper::sharedInstance(), 72);
    SharingItems items;
    items.name = m_document.displayName();
    if (bitmaps) {
        for (const SheetBitmap& bitmap : *bitmaps)
            items.images.append(bitmap.pixels);
    }
    Status shared = bitmaps ? Status() : Status(bitmaps.error());
    if (shared)
        shared = service.performWithItems(items);
    if (!shared)
        reportFailure(tr("The pages could not be shared."), shared.error().message);
    finish();
}

} // namespace ql
