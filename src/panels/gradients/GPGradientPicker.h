// A control that edits the colour stops of a gradient. This base holds the
// gradient, the active stop, the archive, the colour-panel handling and the
// checkerboard; a subclass lays out, draws and handles the mouse and keys.
// Its geometry is y-up (location 0 at the bottom): Qt's points are flipped
// once, on the way in, and drawing happens in a flipped painter.
#pragma once

#include "panels/gradients/GPViewControl.h"
#include "platform/archive/Codable.h"
#include "platform/graphics/Gradient.h"

#include <QRectF>
#include <limits>

namespace ql {

class ClassRegistry;

class GPGradientPicker : public GPViewControl, public Codable {
    Q_OBJECT
public:
    static constexpr qint64 kNoStop = std::numeric_limits<qint64>::max();

    explicit GPGradientPicker(QWidget* parent = nullptr);
    ~GPGradientPicker() override;

    const Gradient& gradientValue() const { return m_gradient; }
    // The gradient already held (an equal one) changes nothing; otherwise it
    // is stored, the action fires and the control redraws. An empty gradient
    // stands for none: white to black is stored, without the action.
    void setGradientValue(const Gradient& gradient);

    bool doDrawTickMarks() const { return m_doDrawTickMarks; }
    void setDoDrawTickMarks(bool draw);
    qint64 numberOfTickMarks() const { return m_numberOfTickMarks; }
    void setNumberOfTickMarks(qint64 count);

    // kNoStop when none is active.
    qint64 activeColorStop() const { return m_activeColorStop; }
    void setActiveColorStop(qint64 index);
    bool removeActiveColorStop() const { return m_removeActiveColorStop; }
    int mouseDragState() const { return m_mouseDragState; }

    // Focus in and out, as the responder chain names them.
    bool becomeFirstResponder();
    bool resignFirstResponder();

    // A colour from the shared colour panel: the active stop takes it.
    void changeColor(const Color& color);
    // Makes this control the colour panel's client.
    void takeColorPanel();
    void handleColorWellActivated();
    void handleColorPanelDidClose();
    // Depth first, children before the view itself.
    static void recursiveDeactivateColorWellsInViews(const QList<QWidget*>& views);
    // Passed on to the target when it has it; otherwise the control takes
    // the colour panel itself.
    void deactivateOtherWells(QObject* sender);

    // Geometry in the control's y-up coordinates.
    QRectF boundsRect() const { return QRectF(0, 0, width(), height()); }
    virtual QRectF gradientRect() const { return boundsRect(); }
    virtual QRectF rectForStopAtLocation(double location) const;
    // A Qt (y-down) point in the control's coordinates, and back.
    QPointF toControl(const QPointF& qtPoint) const { return QPointF(qtPoint.x(), height() - qtPoint.y()); }

    virtual void moveStopAtIndex(qint64 index, double location) { (void)index, (void)location; }
    virtual void makeNewStopAtLocation(double location) { (void)location; }
    virtual void removeStopAtIndex(qint64 index) { (void)index; }

    QStringList archiveClassChain() const override;
    void encodeWithCoder(KeyedArchiver& coder) const override;
    void initWithCoder(KeyedUnarchiver& coder) override;
    // The classes gradient-control archives may hold.
    static const ClassRegistry& archiveRegistry();

    // Point-in-rectangle as the controls' geometry counts it: the lower and
    // left edges inside, the upper and right ones outside.
    static bool pointInRect(const QPointF& point, const QRectF& rect);
    // The smallest rectangle of whole points around `rect`.
    static QRectF integralRect(const QRectF& rect);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

    // Points in y-up coordinates.
    virtual void mouseDown(const QPointF& point, int clickCount) { (void)point, (void)clickCount; }
    virtual void mouseDragged(const QPointF& point) { (void)point; }
    virtual void mouseUp(const QPointF& point) { (void)point; }
    // 9 Tab, 25 back-tab, else the key's first character.
    virtual void keyDown(int character) { (void)character; }
    virtual void drawTickMarksInRect(QPainter& painter, const QRectF& rect) { (void)painter, (void)rect; }

    void drawCheckerboardInContext(QPainter& painter) const;
    void setMouseDragState(int state) { m_mouseDragState = state; }
    void setRemoveActiveColorStop(bool remove) { m_removeActiveColorStop = remove; }
    // Stores the gradient without any of the setter's effects (archive reads).
    void storeGradient(const Gradient& gradient);

private:
    Gradient m_gradient;
    bool m_doDrawTickMarks = false;
    qint64 m_numberOfTickMarks = 5;
    qint64 m_activeColorStop = kNoStop;
    bool m_removeActiveColorStop = false;
    int m_mouseDragState = 0;
};

} // namespace ql
