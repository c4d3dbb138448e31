// Draws an object's outline with a line of a width, colour and dash, with
// caps and joins numbered as the platform numbers them (cap 0 butt, 1
// round, 2 square; join 0 miter, 1 round, 2 bevel).
#pragma once

#include "platform/graphics/Color.h"
#include "shapes/df/DFRasterizer.h"
#include "shapes/df/DFStrokeDash.h"

#include <QPen>

class DFStroke : public DFRasterizer {
    Q_OBJECT
public:
    enum LineCap { ButtCap = 0, RoundCap = 1, SquareCap = 2 };
    enum LineJoin { MiterJoin = 0, RoundJoin = 1, BevelJoin = 2 };

    DFStroke();
    ~DFStroke() override;

    double width() const { return m_width; }
    // Negative or non-finite widths are ignored, and widths beyond 32,767
    // points held there; 0 draws the thinnest line.
    void setWidth(double width);
    const ql::Color& colour() const { return m_colour; }
    void setColour(const ql::Color& colour) { m_colour = colour; }
    const DFStrokeDash& dash() const { return m_dash; }
    // A solid dash (the default) draws an unbroken line.
    void setDash(const DFStrokeDash& dash) { m_dash = dash; }
    int lineCapStyle() const { return m_cap; }
    // Codes outside 0-2 leave the cap as it is.
    void setLineCapStyle(int cap);
    int lineJoinStyle() const { return m_join; }
    void setLineJoinStyle(int join);
    double miterLimit() const { return m_miterLimit; }
    void setMiterLimit(double limit);

    // The pen that draws this stroke.
    QPen pen() const;
    // How far the line reaches beyond the outline.
    double outset() const;

    void render(const DFRenderable& object, QPainter& painter) const override;
    bool isValid() const override { return m_colour.alpha() > 0.0; }
    QStringList observableKeyPaths() const override;
    QHash<QString, QString> actionNames() const override;
    QString kindName() const override { return QStringLiteral("Stroke"); }
    std::unique_ptr<DFRasterizer> copy() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFStroke(const DFStroke& other);
    // Strokes a path in drawing coordinates with this stroke's pen.
    void strokePath(QPainter& painter, const QPainterPath& path) const;

private:
    double m_width = 1.0;
    ql::Color m_colour = ql::Color::black();
    DFStrokeDash m_dash;
    int m_cap = ButtCap;
    int m_join = MiterJoin;
    double m_miterLimit = 10.0;
};
