// The gradient picker of the gradient panel: a vertical bar showing the
// gradient over a checkerboard, a square handle left of the bar for each
// stop, tick marks beside it. A click in the bar adds a stop; a handle is
// dragged along the bar, dragged past a neighbour to remove its stop, or
// clicked to recolour it in the colour panel; Tab and back-tab step
// through the stops.
#pragma once

#include "panels/gradients/GPGradientPicker.h"

namespace ql {

class GPGradientPickerLinear : public GPGradientPicker {
    Q_OBJECT
public:
    explicit GPGradientPickerLinear(QWidget* parent = nullptr);

    QRectF gradientRect() const override;
    QRectF rectForStopAtLocation(double location) const override;
    // The stop location a height in the bar stands for.
    double locationForPoint(const QPointF& point) const;

    void moveStopAtIndex(qint64 index, double location) override;
    void makeNewStopAtLocation(double location) override;
    void removeStopAtIndex(qint64 index) override;

    QStringList archiveClassChain() const override;
    QSize sizeHint() const override { return QSize(200, 135); }

protected:
    void drawInContext(QPainter& painter) override;
    void drawTickMarksInRect(QPainter& painter, const QRectF& rect) override;
    void mouseDown(const QPointF& point, int clickCount) override;
    void mouseDragged(const QPointF& point) override;
    void mouseUp(const QPointF& point) override;
    void keyDown(int character) override;

private:
    bool isEndStop(qint64 index) const;
};

} // namespace ql
