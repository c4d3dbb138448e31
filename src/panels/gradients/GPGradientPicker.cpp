#include "panels/gradients/GPGradientPicker.h"

#include "panels/gradients/ColorPanel.h"
#include "panels/gradients/GPColorWell.h"
#include "panels/gradients/GPGradientPickerLinear.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/runtime/NotificationCenter.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <cmath>

namespace ql {

namespace {

Gradient whiteToBlack()
{
    return Gradient(QList<Gradient::Stop> {{Color::white(), 0.0}, {Color::black(), 1.0}});
}

// Focus that comes and goes with the window (another window in front, a
// popup) is not the user moving into or out of the control.
bool isWindowFocusChange(const QFocusEvent* event)
{
    return event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
}

} // namespace

GPGradientPicker::GPGradientPicker(QWidget* parent) : GPViewControl(parent), m_gradient(whiteToBlack())
{
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("GPColorWellDidActivateNotification"),
                                                    nullptr, [this](const Notification&) {
                                                        handleColorWellActivated();
                                                    });
}

GPGradientPicker::~GPGradientPicker()
{
    ColorPanel::shared().detach(this);
}

void GPGradientPicker::setGradientValue(const Gradient& gradient)
{
    if (gradient.isEmpty()) {
        storeGradient(whiteToBlack());
        update();
        return;
    }
    if (gradient == m_gradient)
        return;
    storeGradient(gradient);
    performAction();
    update();
}

void GPGradientPicker::storeGradient(const Gradient& gradient)
{
    m_gradient = gradient.isEmpty() ? whiteToBlack() : gradient;
    // A stop the new gradient does not have cannot stay active.
    if (m_activeColorStop != kNoStop && m_activeColorStop >= m_gradient.stops().size())
        m_activeColorStop = kNoStop;
}

void GPGradientPicker::setDoDrawTickMarks(bool draw)
{
    m_doDrawTickMarks = draw;
    update();
}

void GPGradientPicker::setNumberOfTickMarks(qint64 count)
{
    m_numberOfTickMarks = count;
    update();
}

void GPGradientPicker::setActiveColorStop(qint64 index)
{
    m_activeColorStop = index >= 0 && index < m_gradient.stops().size() ? index : kNoStop;
    update();
}

bool GPGradientPicker::becomeFirstResponder()
{
    setActiveColorStop(0);
    return isEnabled();
}

bool GPGradientPicker::resignFirstResponder()
{
    setActiveColorStop(kNoStop);
    return true;
}

void GPGradientPicker::changeColor(const Color& color)
{
    if (m_activeColorStop == kNoStop)
        return;
    QList<Gradient::Stop> stops = m_gradient.stops();
    stops[m_activeColorStop].color = color;
    setGradientValue(Gradient(stops));
}

void GPGradientPicker::takeColorPanel()
{
    ColorPanel::shared().attach({this, [this](const Color& color) { changeColor(color); }, {}});
}

void GPGradientPicker::handleColorWellActivated()
{
    setActiveColorStop(kNoStop);
}

void GPGradientPicker::handleColorPanelDidClose()
{
    update();
    disconnect(&ColorPanel::shared(), &ColorPanel::willClose, this, &GPGradientPicker::handleColorPanelDidClose);
}

void GPGradientPicker::recursiveDeactivateColorWellsInViews(const QList<QWidget*>& views)
{
    for (QWidget* view : views) {
        recursiveDeactivateColorWellsInViews(view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
        if (auto* well = qobject_cast<GPColorWell*>(view))
            well->deactivate();
    }
}

void GPGradientPicker::deactivateOtherWells(QObject* sender)
{
    if (!sendToTarget(target(), "deactivateOtherWells", sender))
        takeColorPanel();
}

QRectF GPGradientPicker::rectForStopAtLocation(double) const
{
    return QRectF();
}

bool GPGradientPicker::pointInRect(const QPointF& point, const QRectF& rect)
{
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() &&
           point.y() < rect.bottom();
}

QRectF GPGradientPicker::integralRect(const QRectF& rect)
{
    if (rect.isEmpty())
        return QRectF();
    const double left = std::floor(rect.left());
    const double top = std::floor(rect.top());
    return QRectF(left, top, std::ceil(rect.right()) - left, std::ceil(rect.bottom()) - top);
}

void GPGradientPicker::drawCheckerboardInContext(QPainter& painter) const
{
    const QRectF g = gradientRect();
    constexpr double side = 13.0;
    painter.save();
    painter.setClipRect(g, Qt::IntersectClip);
    painter.fillRect(g, Qt::white);
    const QColor light = QColor::fromRgbF(1, 1, 1, 0.5);
    const QColor grey = QColor::fromRgbF(2.0 / 3.0, 2.0 / 3.0, 2.0 / 3.0, 0.5);
    // Squares cover the whole bar, wherever it lies in the control.
    long filled = 0;
    int column = 0;
    for (double x = std::trunc(g.x()); x < g.right(); x += side, ++column) {
        for (double y = std::trunc(g.y()); y < g.bottom(); y += side) {
            painter.fillRect(QRectF(x, y, side, side), (filled + column) % 2 ? light : grey);
            ++filled;
        }
    }
    painter.restore();
}

bool GPGradientPicker::event(QEvent* event)
{
    // Tab and back-tab step through the stops before Qt's focus chain sees them.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            keyDown(9);
            return true;
        }
        if (key->key() == Qt::Key_Backtab) {
            keyDown(25);
            return true;
        }
    }
    return GPViewControl::event(event);
}

void GPGradientPicker::keyPressEvent(QKeyEvent* event)
{
    if (!event->text().isEmpty())
        keyDown(event->text().at(0).unicode());
    GPViewControl::keyPressEvent(event);
}

void GPGradientPicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // One flip: everything below draws in the control's y-up coordinates.
    painter.translate(0, height());
    painter.scale(1, -1);
    drawInContext(painter);
}

void GPGradientPicker::focusInEvent(QFocusEvent* event)
{
    GPViewControl::focusInEvent(event);
    if (!isWindowFocusChange(event))
        becomeFirstResponder();
}

void GPGradientPicker::focusOutEvent(QFocusEvent* event)
{
    GPViewControl::focusOutEvent(event);
    if (!isWindowFocusChange(event))
        resignFirstResponder();
}

void GPGradientPicker::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouseDown(toControl(event->position()), 1);
}

void GPGradientPicker::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouseDown(toControl(event->position()), 2);
}

void GPGradientPicker::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        mouseDragged(toControl(event->position()));
}

void GPGradientPicker::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouseUp(toControl(event->position()));
}

QStringList GPGradientPicker::archiveClassChain() const
{
    return {QStringLiteral("GPGradientPicker"), QStringLiteral("GPViewControl"), QStringLiteral("NSView"),
            QStringLiteral("NSResponder"), QStringLiteral("NSObject")};
}

void GPGradientPicker::encodeWithCoder(KeyedArchiver& coder) const
{
    coder.encodeObject(QStringLiteral("gradientValue"), QVariant::fromValue(m_gradient));
    coder.encodeBool(QStringLiteral("doDrawTickMarks"), m_doDrawTickMarks);
    coder.encodeInteger(QStringLiteral("numberOfTickMarks"), m_numberOfTickMarks);
}

void GPGradientPicker::initWithCoder(KeyedUnarchiver& coder)
{
    storeGradient(coder.decodeValueOfType<Gradient>(QStringLiteral("gradientValue")));
    m_doDrawTickMarks = coder.decodeBool(QStringLiteral("doDrawTickMarks"));
    m_numberOfTickMarks = coder.decodeInteger(QStringLiteral("numberOfTickMarks"));
    m_activeColorStop = kNoStop;
    setIsEnabled(true);
}

const ClassRegistry& GPGradientPicker::archiveRegistry()
{
    static const ClassRegistry registry = [] {
        ClassRegistry r = ClassRegistry::withPlatformValues();
        r.registerClass<GPGradientPicker>(QStringLiteral("GPGradientPicker"));
        r.registerClass<GPGradientPickerLinear>(QStringLiteral("GPGradientPickerLinear"));
        return r;
    }();
    return registry;
}

} // namespace ql
