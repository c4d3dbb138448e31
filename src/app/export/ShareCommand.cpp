#include "app/export/ShareCommand.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/export/SharingService.h"
#include "app/output/SheetBitmap.h"
#include "app/output/SheetDocument.h"

#include <QPointer>

namespace ql {

void ShareCommand::shareFromService(SharingService& service)
{
    continueAfterPanel(tr("Rendering..."), [this, &service] { share(service); });
}

void ShareCommand::share(SharingService& service)
{
    const SheetDocument sheets = documentForPages(m_document.pages(), m_document.formatAsBooklet());
    const Result<QList<SheetBitmap>> bitmaps = imagesForPDF(sheets, ZVDesignHelper::sharedInstance(), 72);
    if (!bitmaps) {
        reportFailure(tr("The pages could not be shared."), bitmaps.error().message);
        finish();
        return;
    }
    SharingItems items;
    items.name = m_document.displayName();
    for (const SheetBitmap& bitmap : *bitmaps)
        items.images.append(bitmap.pixels);
    // The rendering is done; a mail program may take a moment to say
    // whether it took the pictures, and the panel need not wait for it.
    closeProgress();
    const QPointer<ShareCommand> self = this;
    service.performWithItems(items, [self](const Status& shared) {
        if (!self)
            return;
        if (!shared)
            self->reportFailure(tr("The pages could not be shared."), shared.error().message);
        self->finish();
    });
}

} // namespace ql
