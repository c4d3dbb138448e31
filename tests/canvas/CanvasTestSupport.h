// A document stand-in for page tests: it owns an undo manager and lists its
// pages, as the real document will.
#pragma once

#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "platform/undo/UndoManager.h"

#include <QCoreApplication>
#include <QList>

class TestDocument : public QObject, public PageDocument {
public:
    QObject* documentObject() override { return this; }
    ql::UndoManager* undoManager() override { return &undo; }
    int indexOfPage(const ZVCanvasView* page) const override { return int(pages.indexOf(page)); }
    int pageCount() const override { return int(pages.size()); }
    ZVCanvasView* pageAt(int index) const override { return const_cast<ZVCanvasView*>(pages.value(index)); }
    int indexOfMasterPage(const ZVCanvasView* page) const override { return int(masters.indexOf(page)); }
    void pageGeometryChanged(ZVCanvasView*) override { ++geometryChanges; }
    void showCurrentPageMarkers() override { ++markerRebuilds; }

    // A new page of this document.
    ZVCanvasView* addPage(QList<const ZVCanvasView*>& list)
    {
        auto* page = new ZVCanvasView(this);
        page->setDocument(this);
        list.append(page);
        return page;
    }
    ZVCanvasView* addPage() { return addPage(pages); }
    ZVCanvasView* addMaster() { return addPage(masters); }

    ql::UndoManager undo;
    QList<const ZVCanvasView*> pages;
    QList<const ZVCanvasView*> masters;
    int geometryChanges = 0;
    int markerRebuilds = 0;
};

// Ends the current event-loop turn, which closes the undo step being built.
inline void endTurn()
{
    QCoreApplication::processEvents();
}
