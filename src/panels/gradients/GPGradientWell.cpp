#include "panels/gradients/GPGradientWell.h"

#include "panels/gradients/GPGradientPanel.h"
#include "panels/gradients/GPGradients.h"
#include "panels/gradients/GradientDrawing.h"

namespace ql {

GPGradientWell::GPGradientWell(QWidget* parent) : GPWell(parent), m_gradient(GPGradients::clearGradient()) {}

GPGradientWell::~GPGradientWell()
{
    if (isActive())
        gradientPanel()->deactivateWell(this);
}

GPGradientPanel* GPGradientWell::gradientPanel() const
{
    return m_panel ? m_panel.data() : &GPGradientPanel::shared();
}

void GPGradientWell::setGradientPanel(GPGradientPanel* panel)
{
    m_panel = panel;
}

void GPGradientWell::setGradient(const Gradient& gradient)
{
    if (gradient.isEmpty() || gradient == m_gradient)
        return;
    m_gradient = gradient;
    update();
}

void GPGradientWell::takeGradientFromPanel(const Gradient& gradient)
{
    if (gradient.isEmpty() || gradient == m_gradient)
        return;
    setGradient(gradient);
    emit action();
}

void GPGradientWell::takePanel()
{
    gradientPanel()->activateWell(this);
}

void GPGradientWell::releasePanel()
{
    gradientPanel()->deactivateWell(this);
}

void GPGradientWell::drawSwatch(QPainter& painter, const QRectF& rect)
{
    drawGradientSwatch(painter, m_gradient, rect);
}

} // namespace ql
