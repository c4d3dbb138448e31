// One drawing tool of the drawing view: what a press, drag and release do
// while it is chosen, and what it draws as feedback over the drawing.
#pragma once

#include "canvas/CanvasEvent.h"

#include <QPainter>
#include <QString>

class DFDrawingView;

class DFTool {
public:
    virtual ~DFTool() = default;

    // The name the controller chooses it by.
    virtual QString name() const = 0;

    virtual void press(DFDrawingView& view, const ql::CanvasEvent& event) = 0;
    virtual void drag(DFDrawingView& view, const ql::CanvasEvent& event) = 0;
    virtual void release(DFDrawingView& view, const ql::CanvasEvent& event) = 0;
    virtual void move(DFDrawingView&, const ql::CanvasEvent&) {}

    // While true, the tool takes every press, drag and release itself; the
    // view's own mouse handlers see none of them (an open path does this until
    // the double click that ends it).
    virtual bool keepsEvents() const { return false; }
    // Ends what is under way, keeping whatever is worth keeping.
    virtual void finish(DFDrawingView&) {}

    virtual void paintFeedback(QPainter&, const DFDrawingView&) const {}
};
