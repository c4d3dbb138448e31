// How the panels drag things onto the page: the page's freehand drawing
// surface is told to step aside first ("disableDrawingView"), so that the
// drop reaches the canvas; then the drag runs, as a copy, through one seam
// that tests replace to see what would have been dragged.
#pragma once

#include <QImage>
#include <QPoint>
#include <functional>
#include <optional>

class QDrag;
class QMimeData;
class QMouseEvent;
class QObject;

namespace ql {

class DragSource {
public:
    using Starter = std::function<void(QDrag&)>;
    // Runs a drag to its end; by default QDrag::exec with a copy.
    static Starter& starter();

    // Posts "disableDrawingView", then drags `data` (taken) with `picture`
    // under the pointer at `hotSpot` (from the picture's top left). The drag
    // belongs to `owner`, which must outlive it.
    static void start(QObject* owner, QMimeData* data, const QImage& picture, QPoint hotSpot);
};

// When a press of a widget becomes a drag: once the pointer has moved the
// platform's start distance with the left button held, once per press.
class DragGesture {
public:
    void press(const QMouseEvent& event);
    // The press point when this move starts the drag.
    std::optional<QPoint> move(const QMouseEvent& event);
    void release() { m_pressed = false; }

private:
    QPoint m_pressPoint;
    bool m_pressed = false;
};

} // namespace ql
