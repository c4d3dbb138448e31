#include "canvas/view/ZVRulerView.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/view/CanvasImages.h"
#include "canvas/view/ZVScrollView.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <iterator>
#include <utility>

namespace ql {

namespace {

struct Unit {
    const char* name;
    double points;
};

constexpr Unit kUnits[] = {{"Inches", 72.0}, {"Centimeters", 28.35}, {"Points", 1.0}};

// The smallest step of 1, 2 or 5 times a power of ten (in units, at least a
// thousandth) that keeps labelled ticks at least `minimum` pixels apart; 0
// when no step can (a scale too small to measure).
double labelStep(double pixelsPerUnit, double minimum)
{
    const double smallest = minimum / pixelsPerUnit;
    if (!std::isfinite(smallest) || smallest <= 0.0)
        return 0.0;
    if (smallest <= 1.0e-3)
        return 1.0e-3;
    const double power = std::pow(10.0, std::floor(std::log10(smallest)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        if (power * factor >= smallest)
            return power * factor;
    }
    return 10.0 * power;
}

} // namespace

ZVRulerView::ZVRulerView(ZVScrollView& scrollView, Orientation orientation, QWidget* parent)
    : QWidget(parent), m_scrollView(scrollView), m_orientation(orientation)
{
    setObjectName(orientation == Orientation::Horizontal ? QStringLiteral("horizontalRulerView")
                                                         : QStringLiteral("verticalRulerView"));
    setAutoFillBackground(false);
}

double ZVRulerView::pointsPerUnit(const QString& name)
{
    for (const Unit& unit : kUnits) {
        if (name == QLatin1String(unit.name))
            return unit.points;
    }
    return 0.0;
}

bool ZVRulerView::setMeasurementUnits(const QString& name)
{
    if (pointsPerUnit(name) <= 0)
        return false;
    m_units = name;
    update();
    return true;
}

void ZVRulerView::setOriginOffset(double offset)
{
    m_originOffset = offset;
    update();
}

ZVCanvasView* ZVRulerView::clientView() const
{
    return m_clientView.data();
}

void ZVRulerView::setClientView(ZVCanvasView* page)
{
    m_clientView = page;
    m_markers.clear();
    m_rulerlines.clear();
    m_rulerlinesAt.clear();
    update();
}

void ZVRulerView::setMarkers(const QList<RulerMarker>& markers)
{
    m_markers = markers;
    update();
}

void ZVRulerView::addMarker(const RulerMarker& marker)
{
    m_markers.append(marker);
    update();
}

void ZVRulerView::moveRulerline(double from, double to)
{
    if (from >= 0) {
        if (const auto found = m_rulerlinesAt.find(from); found != m_rulerlinesAt.end()) {
            m_rulerlines.erase(found->takeFirst());
            if (found->isEmpty())
                m_rulerlinesAt.erase(found);
        }
    }
    if (to >= 0) {
        m_rulerlines.push_back(to);
        m_rulerlinesAt[to].append(std::prev(m_rulerlines.end()));
    }
    update();
}

double ZVRulerView::rulerPosition(double pageLocation) const
{
    const QPointF point = m_orientation == Orientation::Horizontal ? QPointF(pageLocation, 0)
                                                                   : QPointF(0, pageLocation);
    const QPointF inViewport = m_scrollView.mapFromPage(point);
    // The ruler starts where the viewport starts along its length.
    return m_orientation == Orientation::Horizontal ? inViewport.x() : inViewport.y();
}

void ZVRulerView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool horizontal = m_orientation == Orientation::Horizontal;
    painter.fillRect(rect(), QColor(0xf5, 0xf5, 0xf5));
    painter.setPen(QColor(0xa0, 0xa0, 0xa0));
    if (horizontal)
        painter.drawLine(QPointF(0, height() - 0.5), QPointF(width(), height() - 0.5));
    else
        painter.drawLine(QPointF(width() - 0.5, 0), QPointF(width() - 0.5, height()));
    if (!m_clientView)
        return;

    const double unit = pointsPerUnit(m_units);
    const double pixelsPerPoint = m_scrollView.magnification();
    const double pixelsPerUnit = unit * pixelsPerPoint;
    if (pixelsPerUnit <= 0)
        return;
    const double step = labelStep(pixelsPerUnit, 50.0);
    const double spacing = step * pixelsPerUnit;
    const double length = horizontal ? width() : height();
    // Where the ruler's zero lies, in the ruler's pixels.
    const double zero = rulerPosition(m_originOffset);
    // Only the labelled ticks in view, counted by their index from the zero,
    // so that however far the zero lies their number stays the ruler's length
    // over the spacing.
    const double firstIndex = std::floor(-zero / spacing);
    const double lastIndex = std::floor((length - zero) / spacing);
    if (step > 0.0 && spacing > 0.0 && std::isfinite(firstIndex) && std::isfinite(lastIndex)) {
        const double count = std::min(lastIndex - firstIndex, length / spacing + 2);
        paintTicks(painter, zero, step, spacing, firstIndex, qint64(count));
    }
    paintMarkers(painter);
    // Temporary lines echo a moving element's edges.
    painter.setPen(QPen(QColor(0x1d, 0x62, 0xf0), 1.0));
    // Elements in a row echo the same locations: each is drawn once.
    for (auto it = m_rulerlinesAt.keyBegin(); it != m_rulerlinesAt.keyEnd(); ++it) {
        const double location = *it;
        const double position = rulerPosition(location);
        if (horizontal)
            painter.drawLine(QPointF(position, 0), QPointF(position, height()));
        else
            painter.drawLine(QPointF(0, position), QPointF(width(), position));
    }
}

void ZVRulerView::paintTicks(QPainter& painter, double zero, double step, double spacing, double firstIndex,
                             qint64 count)
{
    const bool horizontal = m_orientation == Orientation::Horizontal;
    const double length = horizontal ? width() : height();
    const int subdivisions = spacing >= 80 ? 10 : 5;
    QFont font = painter.font();
    font.setPixelSize(9);
    painter.setFont(font);
    painter.setPen(QColor(0x55, 0x55, 0x55));
    for (qint64 k = 0; k <= count; ++k) {
        const double index = firstIndex + double(k);
        const double start = zero + index * spacing;
        for (int sub = 0; sub < subdivisions; ++sub) {
            const double position = start + spacing * sub / subdivisions;
            if (position < 0 || position > length)
                continue;
            const double tick = sub == 0 ? kThickness : (sub == subdivisions / 2 ? kThickness / 2.5 : kThickness / 4.0);
            if (horizontal)
                painter.drawLine(QPointF(position + 0.5, height() - tick), QPointF(position + 0.5, height()));
            else
                painter.drawLine(QPointF(width() - tick, position + 0.5), QPointF(width(), position + 0.5));
        }
        const QString label = QString::number(std::round(index * step * 1000) / 1000);
        if (horizontal) {
            painter.drawText(QPointF(start + 3, 10), label);
        } else {
            painter.save();
            painter.translate(12, start - 3);
            painter.rotate(-90);
            painter.drawText(QPointF(0, 0), label);
            painter.restore();
        }
    }
}

double ZVRulerView::pageLocation(double position) const
{
    const bool horizontal = m_orientation == Orientation::Horizontal;
    const QPointF page = m_scrollView.mapToPage(horizontal ? QPointF(position, 0) : QPointF(0, position));
    return horizontal ? page.x() : page.y();
}

void ZVRulerView::paintMarkers(QPainter& painter)
{
    const bool horizontal = m_orientation == Orientation::Horizontal;
    for (qsizetype i = 0; i < m_markers.size(); ++i) {
        if (i == m_dragged && m_draggedOff)
            continue;
        const RulerMarker& marker = m_markers.at(i);
        const QImage image = canvasImage(marker.imageName.isEmpty() ? (horizontal ? kEdgeMarkerTop : kEdgeMarkerLeft)
                                                                    : marker.imageName);
        const double position = rulerPosition(marker.location);
        // The image's origin sits on the marker's location, at the ruler's
        // page-side edge.
        const QPointF at = horizontal ? QPointF(position - image.width() / 2.0, height() - image.height())
                                      : QPointF(width() - image.width(), position - image.height() / 2.0);
        painter.drawImage(at, image);
    }
}

qsizetype ZVRulerView::markerAt(double position) const
{
    for (qsizetype i = m_markers.size() - 1; i >= 0; --i) {
        if (std::abs(rulerPosition(m_markers.at(i).location) - position) <= 4.0)
            return i;
    }
    return -1;
}

bool ZVRulerView::isOffRuler(QPointF point) const
{
    const double across = m_orientation == Orientation::Horizontal ? point.y() : point.x();
    return across < -kThickness || across > 2 * kThickness;
}

void ZVRulerView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_clientView)
        return;
    const bool horizontal = m_orientation == Orientation::Horizontal;
    const double position = horizontal ? event->position().x() : event->position().y();
    m_draggedOff = false;
    m_dragged = markerAt(position);
    if (m_dragged >= 0)
        return;
    const double location = pageLocation(position);
    const qsizetype before = m_markers.size();
    m_clientView->rulerViewHandleMouseDown(*this, horizontal ? QPointF(location, 0) : QPointF(0, location));
    // The new guide follows the pointer until the release.
    if (m_markers.size() > before)
        m_dragged = m_markers.size() - 1;
}

void ZVRulerView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragged < 0 || m_dragged >= m_markers.size())
        return;
    const bool horizontal = m_orientation == Orientation::Horizontal;
    RulerMarker& marker = m_markers[m_dragged];
    m_draggedOff = marker.removable && isOffRuler(event->position());
    if (marker.movable)
        marker.location = pageLocation(horizontal ? event->position().x() : event->position().y());
    update();
}

void ZVRulerView::mouseReleaseEvent(QMouseEvent* event)
{
    mouseMoveEvent(event);
    const qsizetype dragged = std::exchange(m_dragged, -1);
    const bool off = std::exchange(m_draggedOff, false);
    if (dragged < 0 || dragged >= m_markers.size() || !m_clientView)
        return;
    if (off && m_clientView->rulerViewShouldRemoveMarker(*this, m_markers.at(dragged)))
        m_markers.removeAt(dragged);
    update();
    m_clientView->rulerViewDidChangeMarkers(*this);
}

} // namespace ql
