#include "panels/gradients/GPWell.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace ql {

GPWell::GPWell(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void GPWell::activate()
{
    if (m_active || !isEnabled())
        return;
    setActive(true);
    takePanel();
}

void GPWell::deactivate()
{
    if (!m_active)
        return;
    setActive(false);
    releasePanel();
}

void GPWell::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    update();
    emit activeChanged(active);
}

void GPWell::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    if (m_active)
        deactivate();
    else
        activate();
}

void GPWell::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        deactivate();
    QWidget::changeEvent(event);
}

void GPWell::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.fillRect(rect(), m_active ? palette().highlight() : palette().button());
    const QRectF swatch = frame.adjusted(3.5, 3.5, -3.5, -3.5);
    if (!isEnabled())
        painter.setOpacity(0.4);
    drawSwatch(painter, swatch);
    painter.setOpacity(1.0);
    painter.setPen(palette().mid().color());
    painter.drawRect(frame);
    painter.drawRect(swatch);
}

} // namespace ql
