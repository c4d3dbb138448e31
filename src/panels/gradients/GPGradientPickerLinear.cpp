#include "panels/gradients/GPGradientPickerLinear.h"

#include "panels/controls/DisappearingItemCursor.h"
#include "panels/gradients/ColorPanel.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

QColor whiteLevel(double level, double alpha)
{
    return QColor::fromRgbF(float(level), float(level), float(level), float(alpha));
}

} // namespace

GPGradientPickerLinear::GPGradientPickerLinear(QWidget* parent) : GPGradientPicker(parent)
{
    setDoDrawTickMarks(true);
    setNumberOfTickMarks(5);
}

QStringList GPGradientPickerLinear::archiveClassChain() const
{
    QStringList chain = GPGradientPicker::archiveClassChain();
    chain.prepend(QStringLiteral("GPGradientPickerLinear"));
    return chain;
}

QRectF GPGradientPickerLinear::gradientRect() const
{
    const QRectF b = boundsRect();
    const double w = std::max(15.0, b.width() - 69.0);
    return QRectF(b.x() + b.width() - 28.5 - w, b.y() + 21.5, w, b.height() - 35.0);
}

QRectF GPGradientPickerLinear::rectForStopAtLocation(double location) const
{
    const QRectF g = gradientRect();
    return QRectF(g.x() - 16.0, g.y() + g.height() * location - 6.0, 12.0, 12.0);
}

double GPGradientPickerLinear::locationForPoint(const QPointF& point) const
{
    const QRectF g = gradientRect();
    return (point.y() - 0.5 - g.y()) / g.height();
}

bool GPGradientPickerLinear::isEndStop(qint64 index) const
{
    return index < 1 || index >= gradientValue().stops().size() - 1;
}

void GPGradientPickerLinear::drawInContext(QPainter& painter)
{
    const double a = isEnabled() ? 1.0 : 0.4;
    const QRectF g = gradientRect();

    drawCheckerboardInContext(painter);
    // Location 0 at the bottom of the bar.
    QLinearGradient fill(QPointF(g.x(), g.y()), QPointF(g.x(), g.y() + g.height()));
    fill.setStops(gradientValue().qtStops());
    painter.fillRect(g, fill);

    painter.setPen(QPen(whiteLevel(0.6, a), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(g);

    const QList<Gradient::Stop>& stops = gradientValue().stops();
    for (qint64 i = 0; i < stops.size(); ++i) {
        const double t = stops[i].location;
        const QRectF r = rectForStopAtLocation(t);
        const bool active = i == activeColorStop();
        const QColor outline = active ? whiteLevel(0.0, a) : whiteLevel(0.5, a);
        if (active && ColorPanel::shared().isVisible())
            painter.fillRect(integralRect(r), whiteLevel(0.45, a));
        painter.fillRect(r.adjusted(2, 2, -2, -2), stops[i].color.withAlpha(a).toQColor());
        painter.setPen(QPen(outline, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r);
        painter.drawRect(r.adjusted(2, 2, -2, -2));
        const double midY = r.center().y();
        painter.drawLine(QPointF(r.right(), midY), QPointF(r.right() + g.width() + 10.0, midY));
        painter.fillRect(integralRect(QRectF(g.right(), g.y() + g.height() * t - 2.5, 5, 5)), outline);
    }

    if (doDrawTickMarks())
        drawTickMarksInRect(painter, g);
}

void GPGradientPickerLinear::drawTickMarksInRect(QPainter& painter, const QRectF& rect)
{
    const qint64 n = numberOfTickMarks();
    if (n < 2)
        return;
    painter.save();
    QPen pen(whiteLevel(0.5, 0.5), 1.0);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    for (qint64 i = 0; i < n; ++i) {
        const double y = std::floor(double(i) * rect.height() / double(n - 1) + rect.y());
        painter.drawLine(QPointF(std::floor(rect.x() - 19.0), y + 0.5), QPointF(std::floor(rect.x() - 7.0), y + 0.5));
    }
    painter.restore();
}

void GPGradientPickerLinear::mouseDown(const QPointF& point, int clickCount)
{
    if (!isEnabled())
        return;
    if (pointInRect(point, gradientRect())) {
        makeNewStopAtLocation(locationForPoint(point));
        return;
    }
    const QList<Gradient::Stop>& stops = gradientValue().stops();
    qint64 hit = kNoStop;
    for (qint64 i = 0; i < stops.size(); ++i) {
        if (pointInRect(point, rectForStopAtLocation(stops[i].location))) {
            hit = i;
            break;
        }
    }
    setActiveColorStop(hit);
    if (hit != kNoStop) {
        recursiveDeactivateColorWellsInViews({window()});
        if (clickCount == 1) {
            ColorPanel& panel = ColorPanel::shared();
            panel.setColor(stops[hit].color);
            panel.orderFront();
            connect(&panel, &ColorPanel::willClose, this, &GPGradientPicker::handleColorPanelDidClose,
                    Qt::UniqueConnection);
            deactivateOtherWells(this);
        }
    }
    update();
}

void GPGradientPickerLinear::mouseDragged(const QPointF& point)
{
    const qint64 active = activeColorStop();
    if (active == kNoStop || isEndStop(active))
        return;
    if (mouseDragState() == 0) {
        if (pointInRect(point, rectForStopAtLocation(gradientValue().stops().at(active).location)))
            setMouseDragState(1);
        return;
    }
    moveStopAtIndex(active, locationForPoint(point));
}

void GPGradientPickerLinear::mouseUp(const QPointF&)
{
    if (mouseDragState() == 1 && removeActiveColorStop()) {
        removeStopAtIndex(activeColorStop());
        setCursor(Qt::ArrowCursor);
    }
    // A later drag that never moves must not remove its stop on this flag.
    setRemoveActiveColorStop(false);
    setMouseDragState(0);
    update();
}

void GPGradientPickerLinear::moveStopAtIndex(qint64 index, double location)
{
    if (isEndStop(index))
        return;
    QList<Gradient::Stop> stops = gradientValue().stops();
    const double before = stops[index - 1].location;
    const double after = stops[index + 1].location;
    if (location > before && location < after) {
        setRemoveActiveColorStop(false);
        setCursor(Qt::ArrowCursor);
        stops[index].location = location;
        setGradientValue(Gradient(stops));
    } else {
        setRemoveActiveColorStop(true);
        setCursor(disappearingItemCursor());
    }
}

void GPGradientPickerLinear::makeNewStopAtLocation(double location)
{
    // A click on the bar's lowest half point would stand for a location below
    // 0, making a first stop that can never be moved or removed.
    location = std::clamp(location, 0.0, 1.0);
    QList<Gradient::Stop> stops = gradientValue().stops();
    for (qint64 i = 0; i < stops.size(); ++i) {
        if (stops[i].location > location) {
            stops.insert(i, {Color::white(), location});
            // Active before the action reaches the target.
            setActiveColorStop(i);
            break;
        }
    }
    setGradientValue(Gradient(stops));
}

void GPGradientPickerLinear::removeStopAtIndex(qint64 index)
{
    if (isEndStop(index))
        return;
    QList<Gradient::Stop> stops = gradientValue().stops();
    stops.removeAt(index);
    setGradientValue(Gradient(stops));
}

void GPGradientPickerLinear::keyDown(int character)
{
    const qint64 count = gradientValue().stops().size();
    const qint64 active = activeColorStop();
    if (character == 9) {
        if (active == kNoStop) {
            setActiveColorStop(0);
        } else if (active < count - 1) {
            setActiveColorStop(active + 1);
        } else {
            update();
            focusNextPrevChild(true);
        }
    } else if (character == 25) {
        if (active == kNoStop) {
            setActiveColorStop(count - 1);
        } else if (active > 0) {
            setActiveColorStop(active - 1);
        } else {
            update();
            focusNextPrevChild(false);
        }
    }
}

} // namespace ql
