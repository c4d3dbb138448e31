// A ruler along the canvas: ticks and numbers in the measurement unit,
// counted from the client page's origin shifted by the origin offset (the
// bleed, so that zero falls on the trim edge), following zoom and scroll.
// It shows temporary lines where a moving element's edges are, and keeps the
// markers (ruler guides) of its client page.
#pragma once

#include "canvas/RulerHost.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <list>

class ZVCanvasView;

namespace ql {

class ZVScrollView;

class ZVRulerView : public QWidget, public RulerHost {
    Q_OBJECT
public:
    enum class Orientation { Horizontal, Vertical };

    ZVRulerView(ZVScrollView& scrollView, Orientation orientation, QWidget* parent);

    Orientation orientation() const { return m_orientation; }
    bool isHorizontalRuler() const override { return m_orientation == Orientation::Horizontal; }
    // The ruler's thickness across its length, in pixels.
    static constexpr int kThickness = 20;

    // "Inches" (72 points), "Centimeters" (28.35 points) or "Points"; any
    // other name is refused and leaves the unit as it was.
    QString measurementUnits() const override { return m_units; }
    bool setMeasurementUnits(const QString& name) override;
    static double pointsPerUnit(const QString& name);

    double originOffset() const { return m_originOffset; }
    void setOriginOffset(double offset) override;

    // The page the ruler measures; pointing at it (again) empties the markers.
    ZVCanvasView* clientView() const override;
    void setClientView(ZVCanvasView* page) override;

    const QList<RulerMarker>& markers() const override { return m_markers; }
    void setMarkers(const QList<RulerMarker>& markers) override;
    void addMarker(const RulerMarker& marker) override;

    double reservedThicknessForAccessoryView() const { return m_accessoryThickness; }
    void setReservedThicknessForAccessoryView(double thickness) { m_accessoryThickness = thickness; }

    // Temporary lines at page locations: the line at `from` goes, one at `to`
    // appears; -1 stands for none on either side. Every moving element
    // echoes its edges, so a line costs the same however many there are.
    void moveRulerline(double from, double to);
    // The lines in the order they appeared.
    QList<double> rulerlines() const { return QList<double>(m_rulerlines.cbegin(), m_rulerlines.cend()); }

    // Where a page location lies along the ruler, in the ruler's pixels.
    double rulerPosition(double pageLocation) const;

    // A page location along the ruler from a position in the ruler's pixels.
    double pageLocation(double rulerPosition) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // A click makes a guide through the client page; a marker can be dragged
    // along, or off the ruler to remove it.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // `count` + 1 labelled ticks, `spacing` pixels (`step` units) apart, with
    // their subdivisions; the first at index `firstIndex` from the zero at
    // `zero` pixels.
    void paintTicks(QPainter& painter, double zero, double step, double spacing, double firstIndex, qint64 count);
    void paintMarkers(QPainter& painter);
    // The marker drawn under a position along the ruler, or -1.
    qsizetype markerAt(double position) const;
    // Whether a point in the ruler's pixels lies too far across to keep a
    // dragged marker.
    bool isOffRuler(QPointF point) const;

    ZVScrollView& m_scrollView;
    qsizetype m_dragged = -1;
    bool m_draggedOff = false;
    Orientation m_orientation;
    QString m_units = QStringLiteral("Points");
    double m_originOffset = 0.0;
    QPointer<ZVCanvasView> m_clientView;
    QList<RulerMarker> m_markers;
    std::list<double> m_rulerlines;
    // Where each location's lines stand in that list, the earliest first.
    QHash<double, QList<std::list<double>::iterator>> m_rulerlinesAt;
    double m_accessoryThickness = 0.0;
};

} // namespace ql
