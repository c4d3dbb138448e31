// A colour as the platform keeps it: components in a named colour space plus
// alpha, so that a file's CMYK or grey value comes back exactly as stored.
#pragma once

#include <QColor>
#include <QMetaType>
#include <array>

namespace ql {

class Color {
public:
    enum class Space {
        CalibratedRGB,
        DeviceRGB,
        CalibratedWhite,
        DeviceWhite,
        DeviceCMYK,
    };

    // Opaque black in calibrated white.
    Color() = default;

    static Color calibratedRgb(double red, double green, double blue, double alpha = 1.0);
    static Color deviceRgb(double red, double green, double blue, double alpha = 1.0);
    static Color calibratedWhite(double white, double alpha = 1.0);
    static Color deviceWhite(double white, double alpha = 1.0);
    static Color deviceCmyk(double cyan, double magenta, double yellow, double black, double alpha = 1.0);
    // sRGB colours from Qt land in calibrated RGB.
    static Color fromQColor(const QColor& color);

    static Color black() { return calibratedWhite(0.0); }
    static Color white() { return calibratedWhite(1.0); }
    static Color clear() { return calibratedWhite(0.0, 0.0); }

    Space space() const { return m_space; }
    bool isRgb() const { return m_space == Space::CalibratedRGB || m_space == Space::DeviceRGB; }
    bool isWhite() const { return m_space == Space::CalibratedWhite || m_space == Space::DeviceWhite; }
    bool isCmyk() const { return m_space == Space::DeviceCMYK; }

    // Components of the colour's own space, without alpha: 3 for RGB, 1 for
    // white, 4 for CMYK.
    int componentCount() const;
    double component(int index) const { return m_components.at(index); }
    double alpha() const { return m_alpha; }
    Color withAlpha(double alpha) const;

    // RGB view of any colour (naive CMYK and grey conversion, as for display).
    double redComponent() const { return rgbComponent(0); }
    double greenComponent() const { return rgbComponent(1); }
    double blueComponent() const { return rgbComponent(2); }

    QColor toQColor() const;

    bool operator==(const Color&) const = default;

private:
    Color(Space space, std::array<double, 4> components, double alpha);
    double rgbComponent(int index) const;

    Space m_space = Space::CalibratedWhite;
    std::array<double, 4> m_components {};
    double m_alpha = 1.0;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::Color)
