// A pointer or key event as pages and elements see it: neutral of the
// toolkit, in page coordinates (points, origin top left, unrounded). The
// canvas view makes them from the toolkit's events; tests make them directly.
#pragma once

#include <QPointF>
#include <QString>

namespace ql {

struct CanvasEvent {
    enum class Button { None, Left, Right };
    enum Modifier { NoModifier = 0, Shift = 1, Control = 2, Option = 4, Command = 8 };

    QPointF location;             // page coordinates
    Button button = Button::Left;
    int modifiers = NoModifier;   // Modifier flags
    int clickCount = 1;
    // Keys: the text typed and the toolkit's key code (0 for pointer events).
    QString characters;
    int keyCode = 0;

    bool has(Modifier modifier) const { return (modifiers & modifier) != 0; }
};

} // namespace ql
