#include "app/document/DocumentArchive.h"

#include "app/document/Document.h"
#include "app/document/DocumentBudget.h"
#include "canvas/ModelArchive.h"
#include "canvas/TextChains.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVContentView.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/SharedPictureDecoding.h"
#include "platform/runtime/NotificationCenter.h"

#include <QSet>

namespace ql {

namespace {

const QString kPagesKey = QStringLiteral("pages");
const QString kMasterPagesKey = QStringLiteral("masterPages");
const QString kNotesKey = QStringLiteral("notes");
const QString kFormatAsBookletKey = QStringLiteral("formatAsBooklet");

QVariantList pageList(const QList<ZVCanvasView*>& pages)
{
    QVariantList list;
    for (ZVCanvasView* page : pages)
        list.append(QVariant::fromValue(static_cast<QObject*>(page)));
    return list;
}

// The links the archive does not hold: page to document, element to page,
// content to element.
void relink(Document& document, const QList<ZVCanvasView*>& pages)
{
    for (ZVCanvasView* page : pages) {
        page->setDocument(&document);
        for (ZVPuttyView* element : page->puttyViews()) {
            element->setCanvas(page);
            if (ZVContentView* content = element->contentView())
                content->setPuttyView(element);
        }
    }
}

// A file may list a page twice, or as a content page and a master page: the
// first listing counts (content pages first), so that each page is shown
// once and deleting it deletes only it.
QList<ZVCanvasView*> firstListings(const QList<ZVCanvasView*>& pages, QSet<const ZVCanvasView*>& seen)
{
    QList<ZVCanvasView*> kept;
    for (ZVCanvasView* page : pages) {
        if (!seen.contains(page)) {
            seen.insert(page);
            kept.append(page);
        }
    }
    return kept;
}

// Each content page is linked to the master page whose UUID it names; with
// several such masters the last one wins. Page fields are refreshed once,
// when every page is linked.
void linkMasterPages(const QList<ZVCanvasView*>& contentPages, const QList<ZVCanvasView*>& masterPages)
{
    QHash<QString, ZVCanvasView*> masters;
    for (ZVCanvasView* master : masterPages)
        masters.insert(master->uuid(), master);
    for (ZVCanvasView* page : contentPages) {
        const QString wanted = page->masterPageUUID();
        if (ZVCanvasView* master = wanted.isEmpty() ? nullptr : masters.value(wanted))
            page->linkMasterPage(master);
    }
    NotificationCenter::defaultCenter().post(QStringLiteral("AutoUpdateText"));
}

} // namespace

Result<QByteArray> DocumentArchive::write(const Document& document)
{
    KeyedArchiver archiver;
    archiver.encodeObject(kPagesKey, pageList(document.contentPages()));
    archiver.encodeObject(kMasterPagesKey, pageList(document.masterPages()));
    archiver.encodeObject(kNotesKey, QVariant::fromValue(document.notes()));
    archiver.encodeBool(kFormatAsBookletKey, document.formatAsBooklet());
    return archiver.finish();
}

Status DocumentArchive::read(Document& document, const QByteArray& data)
{
    KeyedUnarchiver unarchiver(canvas::pageClassRegistry());
    if (Status opened = unarchiver.open(data); !opened)
        return opened;
    if (Status fits = DocumentBudget::checkElements(unarchiver, QStringLiteral("ZVPuttyView")); !fits)
        return fits;
    if (Status fits = DocumentBudget::checkPages(unarchiver, QStringLiteral("ZVCanvasView")); !fits)
        return fits;
    // Pages that share a picture share its pixels.
    const SharedPictureDecoding sharedPictures;
    QSet<const ZVCanvasView*> seen;
    const QList<ZVCanvasView*> contentPages = firstListings(unarchiver.decodeListOfClass<ZVCanvasView>(kPagesKey), seen);
    const QList<ZVCanvasView*> masterPages =
        firstListings(unarchiver.decodeListOfClass<ZVCanvasView>(kMasterPagesKey), seen);
    const bool booklet = unarchiver.decodeBool(kFormatAsBookletKey);
    const AttributedString notes = unarchiver.decodeValueOfType<AttributedString>(kNotesKey);
    Result<DecodedObjects> decoded = unarchiver.finish();
    if (!decoded)
        return decoded.error();
    // Everything decoded belongs to the document from here on.
    decoded->adoptAll(&document);

    // Pages read before (a revert) stay alive for the undo steps that name them.
    document.deletedPages().append(document.contentPages());
    document.deletedPages().append(document.masterPages());
    document.contentPages() = contentPages;
    document.masterPages() = masterPages;
    document.setFormatAsBooklet(booklet);

    QList<ZVCanvasView*> all = masterPages;
    all.append(contentPages);
    relink(document, all);
    QList<ZVPuttyView*> elements;
    for (const ZVCanvasView* page : std::as_const(all))
        elements.append(page->puttyViews());
    keepTextChainsWithin(elements);
    linkMasterPages(contentPages, masterPages);
    document.setPagesType(0);
    // A file without pages gets its first page when its window is set up.
    document.setCurrentPage(contentPages.isEmpty() ? nullptr : contentPages.first());
    if (ZVCanvasView* current = document.currentPage())
        current->layoutPuttyViews();
    document.setNotes(notes);
    return {};
}

} // namespace ql
