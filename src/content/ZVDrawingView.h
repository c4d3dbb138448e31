// A page's drawing surface: the drawing view the path, freehand, line and
// point tools work on while the page is in a drawing mode. It decides when a
// drawing is finished (a single click ending a stroke outside the point
// insertion and deletion modes, Return, Enter or Escape, or the notification
// "disableDrawingView") and then sends the page back to selecting, which
// turns what was drawn into elements, with a fresh layer for the next
// drawing. A shape element keeps one as its private drawing view, made with
// a frame; that one hears no notification.
#pragma once

#include "shapes/df/DFDrawingView.h"

#include <QPointer>

class ZVCanvasView;
class ZVObjectDrawingLayer;

class ZVDrawingView : public DFDrawingView {
    Q_OBJECT
public:
    // The surface of `canvas`.
    explicit ZVDrawingView(ZVCanvasView* canvas, QObject* parent = nullptr);
    // A private drawing view.
    explicit ZVDrawingView(const QRectF& frame, QObject* parent = nullptr);
    ~ZVDrawingView() override;

    bool isFlipped() const { return true; }
    ZVCanvasView* canvas() const;
    void setCanvas(ZVCanvasView* canvas);

    // Adds a new empty layer to the drawing, makes it the active one and
    // hides every other; null without a drawing.
    ZVObjectDrawingLayer* addFreshLayer();

    // Finishes the drawing a tenth of a second from now, so that the release
    // that ended it is handled first. Two requests in that time finish twice.
    void createShape();
    // Finishes at once, for whoever needs the drawing's elements now.
    void finishNow();

    // Return, Enter and Escape finish the drawing; every other key is taken
    // and does nothing.
    bool keyDown(const ql::CanvasEvent& event);

protected:
    void mouseDown(const ql::CanvasEvent& event) override;
    void mouseUp(const ql::CanvasEvent& event) override;

private:
    // The page selects again and draws next on a fresh layer.
    void finishingStep();

    QPointer<ZVCanvasView> m_canvas;
    // A double click ended a path: the next click finishes the drawing and
    // starts no path of its own.
    bool m_pathEnded = false;
};
