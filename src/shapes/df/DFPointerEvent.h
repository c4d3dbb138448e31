// A pointer event as the drawing view takes it, already in drawing
// coordinates. The canvas maps its own events onto this; a double click
// arrives as a press with a click count of 2.
#pragma once

#include <QPointF>
#include <Qt>

struct DFPointerEvent {
    enum class Type { Press, Drag, Release, Move };

    Type type = Type::Press;
    QPointF position;
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    int clickCount = 1;
};
