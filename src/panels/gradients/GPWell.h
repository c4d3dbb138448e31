// Base of the colour and gradient wells: a framed swatch that a click makes
// active (the well then owns its panel) and a second click lets go. What
// the panel edits becomes the well's and fires its action.
#pragma once

#include <QWidget>

namespace ql {

class GPWell : public QWidget {
    Q_OBJECT
public:
    bool isActive() const { return m_active; }
    void activate();
    void deactivate();

signals:
    // The user changed the well's value through its panel.
    void action();
    void activeChanged(bool active);

protected:
    explicit GPWell(QWidget* parent);

    // The well has become active: it takes its panel.
    virtual void takePanel() = 0;
    // The well lets go of its panel.
    virtual void releasePanel() = 0;
    virtual void drawSwatch(QPainter& painter, const QRectF& rect) = 0;
    // Marks the well as (in)active without touching the panel, for a panel
    // that has let go already.
    void setActive(bool active);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool m_active = false;
};

} // namespace ql
