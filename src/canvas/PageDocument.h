// What a page needs of the document that holds it: the undo manager its
// changes are recorded on, its place in the page lists, and the refreshes
// that follow a change of page geometry. The document class implements it;
// tests use a small stand-in.
#pragma once

#include <QObject>

namespace ql {
class CanvasHost;
class UndoManager;
}
class ZVCanvasView;
class ZVPuttyView;

class PageDocument {
public:
    virtual ~PageDocument() = default;

    // The object whose lifetime bounds the link: a page forgets a document
    // once this object is destroyed.
    virtual QObject* documentObject() = 0;
    virtual ql::UndoManager* undoManager() = 0;

    // Zero-based index among the pages the window shows, or -1.
    virtual int indexOfPage(const ZVCanvasView*) const { return -1; }
    // How many pages the window shows.
    virtual int pageCount() const { return 0; }
    // The shown page at a zero-based index, or null.
    virtual ZVCanvasView* pageAt(int index) const { Q_UNUSED(index); return nullptr; }
    // Zero-based index among the master pages, or -1.
    virtual int indexOfMasterPage(const ZVCanvasView*) const { return -1; }

    // Shows the current page again after a geometry change of `page`, which
    // rebuilds rulers and guides.
    virtual void pageGeometryChanged(ZVCanvasView* page) { Q_UNUSED(page); }
    // Rebuilds the ruler markers of the current page.
    virtual void showCurrentPageMarkers() {}
    // Points the rulers at the current page again and shows its guides,
    // storing what the rulers held first.
    virtual void showRulers() {}
    // Stores the rulers' markers back into the current page.
    virtual void saveCurrentPageMarkers() {}
    // A page changed what the file keeps in a way that records no undo (its
    // ruler guides): the document counts as edited until it is saved.
    virtual void pageChangedWithoutUndo(ZVCanvasView* page) { Q_UNUSED(page); }
    // Every element of every shown page, in page order.
    virtual QList<ZVPuttyView*> allPuttyViews() const { return {}; }
    // The window showing the document's pages, if any.
    virtual ql::CanvasHost* canvasHost() { return nullptr; }
    // The page the window shows; none where no page is shown yet.
    virtual ZVCanvasView* shownPage() const { return nullptr; }
    // Finishes at once every drawing open on the document's pages.
    virtual void finishOpenDrawings() {}
};
