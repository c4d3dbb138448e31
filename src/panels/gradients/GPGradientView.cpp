#include "panels/gradients/GPGradientView.h"

#include "panels/gradients/GPGradients.h"

#include <QPainter>

namespace ql {

GPGradientView::GPGradientView(QWidget* parent)
    : QWidget(parent), m_gradient(GPGradients::inverseGlossyGradient())
{
}

void GPGradientView::setGradient(const Gradient& gradient)
{
    m_gradient = gradient;
    update();
}

void GPGradientView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient fill(0, 0, 0, height());
    fill.setStops(m_gradient.qtStops());
    painter.fillRect(rect(), fill);
}

} // namespace ql
