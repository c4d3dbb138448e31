// A page of a document whose window is a fake that remembers what the
// gestures asked of it, events made directly in page coordinates, and the
// router over the page's items, as the canvas drives it.
#pragma once

#include "CanvasTestSupport.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/CanvasEventRouter.h"
#include "canvas/view/ZVPageItem.h"

#include <memory>

struct FakeHost : ql::CanvasHost {
    double magnification() const override { return zoom; }
    void setMagnification(double value, QPointF at) override
    {
        zoom = value;
        zoomedAt = at;
    }
    void magnifyToFitRect(const QRectF& rect) override { fitted = rect; }
    QRectF visibleRect() const override { return visible; }
    void scrollToPoint(QPointF origin) override { visible.moveTopLeft(origin); }
    void setCanvasCursor(const ql::CanvasCursor& shown) override { cursor = shown; }
    void moveRulerline(bool horizontal, double from, double to) override
    {
        QList<double>& lines = horizontal ? horizontalLines : verticalLines;
        if (from != -1)
            lines.removeOne(from);
        if (to != -1)
            lines.append(to);
    }
    void popUpContextMenu(const ql::CanvasMenu& shown, QPointF) override { menus.append(shown.title); }
    void changeInspectorView(int index) override { inspectorTab = index; }
    void updateInspectorView() override { ++inspectorUpdates; }
    void showSelectionInspector() override { ++selectionInspectorShows; }
    void showAlert(const QString& messageText, const QString&) override { alerts.append(messageText); }

    double zoom = 1.0;
    QPointF zoomedAt;
    QRectF fitted;
    QRectF visible {0, 0, 400, 300};
    ql::CanvasCursor cursor;
    QList<double> horizontalLines;
    QList<double> verticalLines;
    QStringList menus;
    int inspectorTab = -1;
    int inspectorUpdates = 0;
    int selectionInspectorShows = 0;
    QStringList alerts;
};

class HostedDocument : public TestDocument {
public:
    ql::CanvasHost* canvasHost() override { return &host; }
    FakeHost host;
};

struct GesturePage {
    HostedDocument document;
    ZVCanvasView* page = document.addPage();
    std::unique_ptr<ql::ZVPageItem> item;
    ql::CanvasEventRouter router;

    GesturePage() { page->setFrame(QRectF(0, 0, 612, 792)); }

    ZVPuttyView* add(const QRectF& frame, std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWithText(),
                     ZVPuttyViewGroup* layer = nullptr)
    {
        ZVPuttyView* element = made.release();
        if (layer)
            element->setLayoutLayerGroup(layer);
        // The sample's elements are there before the test acts: placing them
        // records no undo step of its own.
        const ql::UndoRegistrationBlocker quiet(&document.undo);
        page->addPuttyView(element);
        element->setFrame(frame);
        return element;
    }
    // The router over the page's items, made once the elements are in.
    ql::CanvasEventRouter& routed()
    {
        if (!item) {
            item = std::make_unique<ql::ZVPageItem>(*page, nullptr);
            router.setPageItem(item.get());
        }
        return router;
    }
    static ql::CanvasEvent at(QPointF point, int modifiers = 0, int clickCount = 1)
    {
        ql::CanvasEvent event;
        event.location = point;
        event.modifiers = modifiers;
        event.clickCount = clickCount;
        return event;
    }
    // A press, drags through the points and the release at the last one,
    // each in an event-loop turn of its own as the window delivers them.
    void drag(QList<QPointF> points, int modifiers = 0)
    {
        ql::CanvasEventRouter& events = routed();
        events.mouseDown(at(points.first(), modifiers));
        endTurn();
        for (qsizetype i = 1; i < points.size(); ++i) {
            events.mouseDragged(at(points[i], modifiers));
            endTurn();
        }
        events.mouseUp(at(points.last(), modifiers));
        endTurn();
    }
    void click(QPointF point, int modifiers = 0) { drag({point}, modifiers); }
    void key(int code)
    {
        ql::CanvasEvent event;
        event.keyCode = code;
        page->keyDown(event);
        endTurn();
    }
};
