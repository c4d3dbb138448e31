// A colour gradient: colours at locations between 0 and 1. How it is laid
// out (angle, linear or radial) belongs to whoever draws it.
#pragma once

#include "platform/graphics/Color.h"

#include <QGradientStops>
#include <QList>
#include <QMetaType>

namespace ql {

class Gradient {
public:
    struct Stop {
        Color color;
        double location = 0.0;
        bool operator==(const Stop&) const = default;
    };

    Gradient() = default;
    // Colours spread evenly from 0 to 1.
    explicit Gradient(const QList<Color>& colors);
    explicit Gradient(QList<Stop> stops) : m_stops(std::move(stops)) {}

    bool isEmpty() const { return m_stops.isEmpty(); }
    const QList<Stop>& stops() const { return m_stops; }
    QList<Color> colors() const;
    QList<double> locations() const;

    // Stops for a QGradient, sorted by location as Qt requires.
    QGradientStops qtStops() const;

    bool operator==(const Gradient&) const = default;

private:
    QList<Stop> m_stops;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::Gradient)
