// Keeps small windows (popovers, floating panels) on the screen that holds
// what they belong to, inside the part of it the desktop leaves free.
#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

namespace ql {

class ScreenPlacement {
public:
    // The available geometry of the screen holding the global point
    // `anchor`, else of the primary screen; empty without any screen.
    static QRect availableGeometryAt(const QPoint& anchor);
    // `wanted` moved, not resized, to lie within `available`; one larger
    // than `available` keeps its top-left corner inside. An empty
    // `available` leaves it where it is.
    static QRect fitted(const QRect& wanted, const QRect& available);
    // Moves the top-level `window` to `wanted`'s place, fitted to the screen
    // holding `anchor`.
    static void place(QWidget& window, const QRect& wanted, const QPoint& anchor);
};

} // namespace ql
