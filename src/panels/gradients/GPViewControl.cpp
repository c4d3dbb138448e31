#include "panels/gradients/GPViewControl.h"

#include <QEvent>
#include <QMetaMethod>
#include <QPainter>

namespace ql {

GPViewControl::GPViewControl(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void GPViewControl::setIsEnabled(bool enabled)
{
    if (!enabled && hasFocus())
        clearFocus();
    setEnabled(enabled);
}

void GPViewControl::changeEvent(QEvent* event)
{
    // Only an enabled control takes keyboard focus.
    if (event->type() == QEvent::EnabledChange)
        setFocusPolicy(isEnabled() ? Qt::StrongFocus : Qt::NoFocus);
    QWidget::changeEvent(event);
}

void GPViewControl::performAction()
{
    sendToTarget(m_target, m_action, this);
}

bool GPViewControl::sendToTarget(QObject* target, const QByteArray& name, QObject* sender)
{
    if (!target || name.isEmpty())
        return false;
    const QMetaObject* meta = target->metaObject();
    const int withSender = meta->indexOfMethod(QMetaObject::normalizedSignature(name + "(QObject*)"));
    if (withSender >= 0)
        return meta->method(withSender).invoke(target, Qt::DirectConnection, Q_ARG(QObject*, sender));
    const int plain = meta->indexOfMethod(QMetaObject::normalizedSignature(name + "()"));
    if (plain >= 0)
        return meta->method(plain).invoke(target, Qt::DirectConnection);
    return false;
}

void GPViewControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawInContext(painter);
}

} // namespace ql
