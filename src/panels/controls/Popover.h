// A small transient window beside a control: it shows one view
// controller's view at a fixed content size and closes when the user clicks
// anywhere outside it. Closing destroys it with its controller.
#pragma once

#include <QFrame>
#include <QPointer>

namespace ql {

class ViewController;

class Popover : public QFrame {
    Q_OBJECT
public:
    explicit Popover(QWidget* parent);

    ViewController* contentViewController() const { return m_controller.data(); }
    // Takes the controller and shows its view; set once.
    void setContentViewController(ViewController* controller);
    void setContentSize(const QSize& size);
    // Opens on the right of `control`, centred on it along its height; on
    // its left when the screen has no room on the right, and always within
    // the available part of the screen that holds the control.
    void showAtRightEdgeOf(const QWidget& control);

private:
    QPointer<ViewController> m_controller;
};

} // namespace ql
