// A well that shows a gradient; a click makes it the gradient panel's
// active well, so the panel edits its gradient. Gradients edited in the
// panel become the well's and fire its action. Wells start from the clear
// gradient.
#pragma once

#include "panels/gradients/GPWell.h"
#include "platform/graphics/Gradient.h"

#include <QPointer>

namespace ql {

class GPGradientPanel;

class GPGradientWell : public GPWell {
    Q_OBJECT
public:
    explicit GPGradientWell(QWidget* parent = nullptr);
    ~GPGradientWell() override;

    const Gradient& gradient() const { return m_gradient; }
    // Shows a gradient; fires nothing. An empty one changes nothing.
    void setGradient(const Gradient& gradient);

    // The panel that edits the well (the shared one unless set).
    GPGradientPanel* gradientPanel() const;
    void setGradientPanel(GPGradientPanel* panel);

    // From the panel: the user edited the gradient.
    void takeGradientFromPanel(const Gradient& gradient);
    // From the panel: another well took it, or it closed.
    void panelLetGo() { setActive(false); }

    QSize sizeHint() const override { return QSize(120, 23); }

protected:
    void takePanel() override;
    void releasePanel() override;
    void drawSwatch(QPainter& painter, const QRectF& rect) override;

private:
    Gradient m_gradient;
    QPointer<GPGradientPanel> m_panel;
};

} // namespace ql
