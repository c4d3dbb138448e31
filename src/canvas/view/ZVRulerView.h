// A ruler along the canvas: ticks and numbers in the measurement unit,
// counted from the client page's origin shifted by the origin offset (the
// bleed, so that zero falls on the trim edge), following zoom and scroll.
// It shows temporary lines where a moving element's edges are, and keeps the
// markers (ruler guides) of its client page.
#pragma once

#include "platform/graphics/RulerMarker.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class ZVCanvasView;

namespace ql {

class ZVScrollView;

class ZVRulerView : public QWidget {
    Q_OBJECT
public:
    enum class Orientation { Horizontal, Vertical };

    ZVRulerView(ZVScrollView& scrollView, Orientation orientation, QWidget* parent);

    Orientation orientation() const { return m_orientation; }
    // The ruler's thickness across its length, in pixels.
    static constexpr int kThickness = 20;

    // "Inches" (72 points), "Centimeters" (28.35 points) or "Points"; any
    // other name is refused and leaves the unit as it was.
    QString measurementUnits() const { return m_units; }
    bool setMeasurementUnits(const QString& name);
    static double pointsPerUnit(const QString& name);

    double originOffset() const { return m_originOffset; }
    void setOriginOffset(double offset);

    // The page the ruler measures; pointing at it (again) empties the markers.
    ZVCanvasView* clientView() const;
    void setClientView(ZVCanvasView* page);

    const QList<RulerMarker>& markers() const { return m_markers; }
    void setMarkers(const QList<RulerMarker>& markers);
    void addMarker(const RulerMarker& marker);

    double reservedThicknessForAccessoryView() const { return m_accessoryThickness; }
    void setReservedThicknessForAccessoryView(double thickness) { m_accessoryThickness = thickness; }

    // Temporary lines at page locations: the line at `from` goes, one at `to`
    // appears; -1 stands for none on either side.
    void moveRulerline(double from, double to);
    const QList<double>& rulerlines() const { return m_rulerlines; }

    // Where a page location lies along the ruler, in the ruler's pixels.
    double rulerPosition(double pageLocation) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ZVScrollView& m_scrollView;
    Orientation m_orientation;
    QString m_units = QStringLiteral("Points");
    double m_originOffset = 0.0;
    QPointer<ZVCanvasView> m_clientView;
    QList<RulerMarker> m_markers;
    QList<double> m_rulerlines;
    double m_accessoryThickness = 0.0;
};

} // namespace ql
