// How a drawable looks: a group of renderers drawn in the order added,
// usually fills and strokes. The convenience accessors read and change the
// first fill and the first stroke of the style (nested groups included).
#pragma once

#include "platform/graphics/Color.h"
#include "shapes/df/DFRendererGroup.h"

class DFFill;
class DFStroke;

class DFStyle : public DFRendererGroup {
    Q_OBJECT
public:
    DFStyle();
    ~DFStyle() override;

    // A fill of the colour, then a stroke of the colour and width.
    static std::unique_ptr<DFStyle> styleWithFillColour(const ql::Color& fill, const ql::Color& stroke, double strokeWidth = 1.0);
    // What new objects and outlines read from older files get: no fill and a
    // black stroke of 1 point.
    static std::unique_ptr<DFStyle> defaultStyle();

    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    DFFill* fill() const;
    DFStroke* stroke() const;

    // The first fill's colour (clear without a fill); setting it gives a
    // style without a fill one in front of its other renderers.
    ql::Color fillColour() const;
    void setFillColour(const ql::Color& colour);
    // The first stroke's colour and width (clear and 0 without a stroke).
    ql::Color strokeColour() const;
    double strokeWidth() const;

    // How far the style draws beyond an object's outline (half the widest
    // stroke, and the fill's shadow), for sizing images of the object.
    double extraOutset() const;

    QString kindName() const override { return QStringLiteral("Style"); }
    std::unique_ptr<DFRasterizer> copy() const override;
    std::unique_ptr<DFStyle> copyStyle() const;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFStyle(const DFStyle& other);

private:
    QString m_name;
};
