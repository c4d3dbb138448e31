// The program's colour well: shows a colour; a click makes it the colour
// panel's client (the panel shows its colour) and announces
// "GPColorWellDidActivateNotification". Colours chosen in the panel become
// the well's and fire its action. A second click, another client taking the
// panel, or deactivate() lets go.
#pragma once

#include "panels/gradients/GPWell.h"
#include "platform/graphics/Color.h"

namespace ql {

class GPColorWell : public GPWell {
    Q_OBJECT
public:
    explicit GPColorWell(QWidget* parent = nullptr);
    ~GPColorWell() override;

    const Color& color() const { return m_color; }
    // Shows a colour; fires nothing.
    void setColor(const Color& color);

    QSize sizeHint() const override { return QSize(44, 23); }

protected:
    void takePanel() override;
    void releasePanel() override;
    void drawSwatch(QPainter& painter, const QRectF& rect) override;

private:
    Color m_color = Color::white();
};

} // namespace ql
