// Helpers of the panel tests: an action target that counts its calls, mouse
// events with fractional positions (as high-density screens deliver them),
// and a document with a page and undo for the pickers to edit.
#pragma once

#include "app/document/Document.h"

#include <QApplication>
#include <QMouseEvent>
#include <QObject>
#include <QWidget>

namespace ql::test {

class ActionTarget : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void pickerChanged(QObject* sender)
    {
        ++calls;
        last = sender;
    }
    int calls = 0;
    QObject* last = nullptr;
};

// One mouse event at a widget point; `buttons` is what is held after it.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPointF point, Qt::MouseButtons buttons = Qt::LeftButton)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, point, widget->mapTo(widget->window(), point), widget->mapToGlobal(point), button,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

inline void press(QWidget* widget, QPointF point) { sendMouse(widget, QEvent::MouseButtonPress, point); }
inline void drag(QWidget* widget, QPointF point) { sendMouse(widget, QEvent::MouseMove, point); }
inline void release(QWidget* widget, QPointF point)
{
    sendMouse(widget, QEvent::MouseButtonRelease, point, Qt::NoButton);
}

// Ends the event-loop turn, which closes the undo step being built.
inline void endTurn()
{
    QCoreApplication::processEvents();
}

} // namespace ql::test
