// What pages and elements ask of the window that shows them: redraws,
// keyboard focus, the inspector tab, the magnification. The document window
// implements it; without a window (tests, tools) nothing happens.
#pragma once

#include "canvas/CanvasCursor.h"

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class QAction;

class ZVPuttyView;

namespace ql {

class RulerHost;

// A context menu as a page or an element describes it: a title and items,
// each enabled or not. An item with a `perform` of its own is handed the
// chosen entry, whose data is the item's; else it sends its action (a
// selector name) to the window's menus. An item with a submenu sends nothing
// itself. Separators have no title.
struct CanvasMenu {
    struct Item {
        QString title;
        QString action;
        bool enabled = true;
        std::function<void(const QAction* chosen)> perform;
        std::shared_ptr<const CanvasMenu> submenu;
        QVariant data;
        bool isSeparator() const { return title.isEmpty() && action.isEmpty() && !submenu; }
        static Item separator() { return {}; }
    };
    QString title;
    QList<Item> items;
};

class CanvasHost {
public:
    virtual ~CanvasHost() = default;

    // The canvas repaints what it shows of the current page.
    virtual void setNeedsDisplay() {}
    // Keyboard focus goes to the page's canvas, or (false) to nothing.
    virtual void makePageFirstResponder(bool page) { (void)page; }
    // The inspector pane shows tab `index` again; the content inspector
    // follows the selection.
    virtual void changeInspectorView(int index) { (void)index; }
    virtual void updateInspectorView() {}
    // One element became the selection: the inspector pane shows an
    // inspector of that element.
    virtual void showSelectionInspector() {}
    // The canvas's zoom factor (1 at 100 %).
    virtual double magnification() const { return 1.0; }
    // The image editing panel comes forward on the element's original picture.
    virtual void editImage(ZVPuttyView* element) { (void)element; }
    // The canvas's rulers (none without a window) and whether they show.
    virtual RulerHost* horizontalRuler() { return nullptr; }
    virtual RulerHost* verticalRuler() { return nullptr; }
    virtual void setRulersVisible(bool visible) { (void)visible; }
    // Zooms keeping a page point in place, or to fit a page rectangle.
    virtual void setMagnification(double magnification, QPointF centeredAtPagePoint)
    {
        (void)magnification;
        (void)centeredAtPagePoint;
    }
    virtual void magnifyToFitRect(const QRectF& pageRect) { (void)pageRect; }
    // The part of the page the canvas shows, and scrolling it to a new origin.
    virtual QRectF visibleRect() const { return {}; }
    virtual void scrollToPoint(QPointF pageOrigin) { (void)pageOrigin; }
    // The pointer's cursor over the canvas.
    virtual void setCanvasCursor(const CanvasCursor& cursor) { (void)cursor; }
    // Cursor changes on entering handles are suspended during a rotation.
    virtual void setCursorRectsEnabled(bool enabled) { (void)enabled; }
    // A temporary line on the horizontal (or vertical) ruler moves from one
    // page location to another; -1 stands for none.
    virtual void moveRulerline(bool horizontal, double from, double to)
    {
        (void)horizontal;
        (void)from;
        (void)to;
    }
    // The element takes the keyboard (it receives keys before the page).
    virtual void makeElementFirstResponder(ZVPuttyView* element) { (void)element; }
    // While the page is drawn on, the canvas takes no drops, so that
    // nothing lands under the drawing surface.
    virtual void setDropViewHidden(bool hidden) { (void)hidden; }
    // The holding area keeps copies of the shown page's selection.
    virtual void addToPasteboard() {}
    // A dropped link is being fetched (true) or one fetch has ended (false):
    // the downloading panel shows while any fetch runs.
    virtual void setDownloading(bool downloading) { (void)downloading; }
    // An alert, once the event under way is handled, says why something the
    // user did on the canvas came to nothing.
    virtual void showAlert(const QString& messageText, const QString& informativeText)
    {
        (void)messageText;
        (void)informativeText;
    }
    // Runs `work` (told how to report how much of it is done, from 0 to 1,
    // which says false once it is no longer wanted), then `done`. A window
    // runs the work off its own thread, showing `title` and the progress in
    // its progress panel and taking no input meanwhile, so that it keeps
    // painting while nothing changes the document under the work; `done`
    // follows on the window's thread, unless the window closed first.
    // Without a window both run here and now.
    using LongWork = std::function<void(const std::function<bool(double done)>& progress)>;
    virtual void runLongWork(const QString& title, const LongWork& work, const std::function<void()>& done)
    {
        (void)title;
        work([](double) { return true; });
        done();
    }
    // Shows a context menu at a page point.
    virtual void popUpContextMenu(const CanvasMenu& menu, QPointF pagePoint)
    {
        (void)menu;
        (void)pagePoint;
    }
};

} // namespace ql
