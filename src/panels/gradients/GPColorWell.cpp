#include "panels/gradients/GPColorWell.h"

#include "panels/gradients/ColorPanel.h"
#include "panels/gradients/GradientDrawing.h"
#include "platform/runtime/NotificationCenter.h"

#include <QPainter>

namespace ql {

GPColorWell::GPColorWell(QWidget* parent) : GPWell(parent) {}

GPColorWell::~GPColorWell()
{
    ColorPanel::shared().detach(this);
}

void GPColorWell::setColor(const Color& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void GPColorWell::takePanel()
{
    ColorPanel& panel = ColorPanel::shared();
    panel.attach({this,
                  [this](const Color& color) {
                      setColor(color);
                      emit action();
                  },
                  [this] { setActive(false); }});
    panel.setColor(m_color);
    panel.orderFront();
    NotificationCenter::defaultCenter().post(QStringLiteral("GPColorWellDidActivateNotification"), this);
}

void GPColorWell::releasePanel()
{
    ColorPanel::shared().detach(this);
}

void GPColorWell::drawSwatch(QPainter& painter, const QRectF& rect)
{
    fillCheckerboard(painter, rect, 4);
    painter.fillRect(rect, m_color.toQColor());
}

} // namespace ql
