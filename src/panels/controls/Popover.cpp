#include "panels/controls/Popover.h"

#include "panels/ViewController.h"

#include <QVBoxLayout>

namespace ql {

Popover::Popover(QWidget* parent) : QFrame(parent, Qt::Popup)
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
    const QPoint corner = control.mapToGlobal(QPoint(control.width(), 0));
    move(corner.x(), corner.y() + control.height() / 2 - height() / 2);
    show();
    raise();
}

} // namespace ql
