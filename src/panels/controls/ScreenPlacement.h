// Places the program's own windows and panels: each opens wholly on the
// screen that holds its document window, inside the part of it the desktop
// leaves free, with the window manager's frame (title bar and borders)
// counted in.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

namespace ql {

class ScreenPlacement {
public:
    // The available geometry of the screen holding the global point
    // `anchor`, else of the primary screen; empty without any screen.
    static QRect availableGeometryAt(const QPoint& anchor);
    // The available geometry of the screen that holds `window` (its frame's
    // centre); the primary screen's without a window.
    static QRect availableGeometryOf(const QWidget* window);
    // `wanted` moved, not resized, to lie within `available`; one larger
    // than `available` keeps its top-left corner inside. An empty
    // `available` leaves it where it is.
    static QRect fitted(const QRect& wanted, const QRect& available);
    // The client rectangle of a window whose frame, `frame` around the
    // client, is `wantedFrame` fitted to `available`.
    static QRect clientGeometry(const QRect& wantedFrame, const QMargins& frame, const QRect& available);

    // The frame around `window`'s client area. Measured once the window is
    // shown and framed (and remembered for windows of its kind); before
    // that, what was last measured on a window of its kind or of any kind;
    // else an estimate from the style's title bar. None for frameless
    // windows and popups.
    static QMargins frameMargins(const QWidget& window);
    // `window`'s size with its frame.
    static QSize frameSize(const QWidget& window);

    // Moves the top-level `window`, its size kept, so that its frame's
    // top-left corner is at `frameTopLeft`, fitted to `available`.
    static void place(QWidget& window, const QPoint& frameTopLeft, const QRect& available);
    // Moves `window` so that its frame is centred over `over`, fitted to
    // `available`.
    static void centre(QWidget& window, const QRect& over, const QRect& available);
    // Gives `window` the frame `frame`, fitted to `available`: its client
    // area is what the frame leaves.
    static void setFrameGeometry(QWidget& window, const QRect& frame, const QRect& available);
};

} // namespace ql
