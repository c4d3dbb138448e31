// The drawing view: hosts a drawing, takes the canvas's neutral pointer
// events in drawing coordinates and hands them to the chosen tool, and
// paints the paper, the visible layers, the selection knobs and the tool's
// feedback. It is a model: the canvas shows it. Subclasses react to presses,
// drags and releases by overriding the mouse handlers (calling the base,
// which runs the tool).
#pragma once

#include "canvas/CanvasEvent.h"

#include <QImage>
#include <QObject>
#include <QPainter>
#include <QRectF>
#include <memory>

class DFDrawable;
class DFDrawablePath;
class DFDrawing;
class DFObjectDrawingLayer;
class DFToolController;

class DFDrawingView : public QObject {
    Q_OBJECT
public:
    explicit DFDrawingView(QObject* parent = nullptr);
    explicit DFDrawingView(const QRectF& frame, QObject* parent = nullptr);
    ~DFDrawingView() override;

    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF& frame);
    QRectF bounds() const { return QRectF(QPointF(0, 0), m_frame.size()); }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);

    // Gives the view a drawing of its own size with one active layer.
    void createAutomaticDrawing();
    DFDrawing* drawing() const { return m_drawing.get(); }
    void setDrawing(std::unique_ptr<DFDrawing> drawing);
    // The view keeps no rulers, so there are no markers to remove.
    void removeRulerMarkers() {}

    DFToolController* controller() const { return m_controller.get(); }
    // The active layer of the drawing, if any.
    DFObjectDrawingLayer* activeLayer() const;

    // Where pointer events come in, in drawing coordinates. While the tool
    // keeps the events (an open path) they go to it directly; otherwise to
    // the mouse handlers below.
    void handleMouseDown(const ql::CanvasEvent& event);
    void handleMouseDragged(const ql::CanvasEvent& event);
    void handleMouseUp(const ql::CanvasEvent& event);
    void handleMouseMoved(const ql::CanvasEvent& event);
    // Ends a gesture the tool has open (an unfinished path is kept when it
    // has two points or more).
    void endOpenGesture();

    // Puts a newly drawn object on the active layer with a black stroke of
    // 1 point; returns it, or null without an active layer.
    DFDrawable* addNewObject(std::unique_ptr<DFDrawable> object);
    // Path objects the point tools may edit: the active layer's selected
    // ones first, then the others, topmost first.
    QList<DFDrawablePath*> editablePaths() const;

    void paint(QPainter& painter) const;
    // The drawing as shown (paper and visible layers, no knobs) at `scale`
    // pixels per point, transparent where nothing is drawn.
    QImage imageRepresentation(double scale = 1.0) const;

    // How near, in points, a press must come to a point or segment.
    static constexpr double pointTolerance = 4.0;
    // Half the side of a knob, in points.
    static constexpr double knobSize = 3.0;

signals:
    // Something shown changed.
    void needsDisplay();

protected:
    virtual void mouseDown(const ql::CanvasEvent& event);
    virtual void mouseDragged(const ql::CanvasEvent& event);
    virtual void mouseUp(const ql::CanvasEvent& event);
    virtual void mouseMoved(const ql::CanvasEvent& event);

private:
    void paintKnobs(QPainter& painter) const;

    QRectF m_frame;
    bool m_hidden = false;
    std::unique_ptr<DFDrawing> m_drawing;
    std::unique_ptr<DFToolController> m_controller;
};
