#pragma once
// Reports when a widget has drawn: what a user waits for after a step ends
// is the repaint that shows it.
#include <QEvent>
#include <QObject>

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};
