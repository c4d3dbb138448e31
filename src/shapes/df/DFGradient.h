// A framework gradient: colour stops, linear (type 0) or radial (type 1),
// and, for linear ones, an angle in radians counter-clockwise from the
// x axis as seen on the page. It spans whatever rectangle it is drawn in.
#pragma once

#include "shapes/df/DFColorStop.h"

#include <QBrush>
#include <QList>
#include <QMetaType>
#include <QRectF>

class DFGradient {
public:
    enum Type { Linear = 0, Radial = 1 };

    DFGradient() = default;
    DFGradient(QList<DFColorStop> stops, int type = Linear, double angle = 0.0);

    const QList<DFColorStop>& colorStops() const { return m_stops; }
    void setColorStops(QList<DFColorStop> stops) { m_stops = std::move(stops); }
    void addColorStop(const DFColorStop& stop) { m_stops.append(stop); }
    int gradientType() const { return m_type; }
    // Any type but radial draws linear.
    void setGradientType(int type) { m_type = type; }
    double angle() const { return m_angle; }
    void setAngle(double radians) { m_angle = radians; }

    bool isEmpty() const { return m_stops.isEmpty(); }

    // A copy whose stops have their alpha multiplied by `alpha` (0 to 1).
    DFGradient gradientWithAlpha(double alpha) const;

    // A brush that spreads the gradient over `rect`: a linear one from edge
    // to edge along its angle, a radial one from the centre to the corners.
    QBrush brushForRect(const QRectF& rect) const;

    bool operator==(const DFGradient&) const = default;

private:
    QList<DFColorStop> m_stops;
    int m_type = Linear;
    double m_angle = 0.0;
};

Q_DECLARE_METATYPE(DFGradient)
