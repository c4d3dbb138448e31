#include "panels/controls/Popover.h"

#include "panels/ViewController.h"
#include "panels/controls/ScreenPlacement.h"

#include <QVBoxLayout>

namespace ql {

Popover::Popover(QWidget* parent) : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
}

void Popover::setContentViewController(ViewController* controller)
{
    if (m_controller || !controller)
        return;
    m_controller = controller;
    controller->setParent(this);
    layout()->addWidget(controller->view());
}

void Popover::setContentSize(const QSize& size)
{
    setFixedSize(size);
}

void Popover::showAtRightEdgeOf(const QWidget& control)
{
    const QRect anchor(control.mapToGlobal(QPoint(0, 0)), control.size());
    const QRect available = ScreenPlacement::availableGeometryAt(anchor.center());
    QRect wanted(QPoint(anchor.right() + 1, anchor.center().y() - height() / 2), size());
    // Without room on the right it opens on the left, as a popover turns to
    // the other edge; then the screen's edges hold it.
    if (!available.isEmpty() && wanted.right() > available.right() && anchor.left() - width() >= available.left())
        wanted.moveRight(anchor.left() - 1);
    ScreenPlacement::place(*this, wanted.topLeft(), available);
    show();
    raise();
}

} // namespace ql
