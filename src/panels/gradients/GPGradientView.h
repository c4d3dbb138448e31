// A view that fills itself with a gradient from top to bottom (the inverse
// glossy gradient unless given another): the backdrop of the gradient
// panel's button bar.
#pragma once

#include "platform/graphics/Gradient.h"

#include <QWidget>

namespace ql {

class GPGradientView : public QWidget {
    Q_OBJECT
public:
    explicit GPGradientView(QWidget* parent = nullptr);

    const Gradient& gradient() const { return m_gradient; }
    void setGradient(const Gradient& gradient);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Gradient m_gradient;
};

} // namespace ql
