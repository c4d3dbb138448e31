// One colour of a framework gradient at a position between 0 and 1.
#pragma once

#include "platform/graphics/Color.h"

class DFColorStop {
public:
    DFColorStop() = default;
    DFColorStop(const ql::Color& color, double position) : m_color(color), m_position(position) {}

    const ql::Color& color() const { return m_color; }
    void setColor(const ql::Color& color) { m_color = color; }
    double position() const { return m_position; }
    void setPosition(double position) { m_position = position; }

    bool operator==(const DFColorStop&) const = default;

private:
    ql::Color m_color;
    double m_position = 0.0;
};
