// Paints an object's area: a colour, a gradient spread over the object's
// bounds, or a picture tiled from the object's top-left corner (in that
// order of precedence when several are set), optionally casting a shadow.
#pragma once

#include "platform/graphics/Image.h"
#include "shapes/df/DFGradient.h"
#include "shapes/df/DFRasterizer.h"
#include "shapes/df/DFShadow.h"

#include <optional>

class DFFill : public DFRasterizer {
    Q_OBJECT
public:
    DFFill();
    ~DFFill() override;

    static std::unique_ptr<DFFill> fillWithColour(const ql::Color& colour);
    static std::unique_ptr<DFFill> fillWithGradient(const DFGradient& gradient);
    // Tiled at the picture's size in points.
    static std::unique_ptr<DFFill> fillWithPatternImage(const ql::Image& image);

    const ql::Color& colour() const { return m_colour; }
    void setColour(const ql::Color& colour) { m_colour = colour; }
    // Empty when the fill has no gradient.
    const DFGradient& gradient() const { return m_gradient; }
    void setGradient(const DFGradient& gradient) { m_gradient = gradient; }
    const ql::Image& patternImage() const { return m_patternImage; }
    void setPatternImage(const ql::Image& image) { m_patternImage = image; }

    const std::optional<DFShadow>& shadow() const { return m_shadow; }
    void setShadow(const std::optional<DFShadow>& shadow) { m_shadow = shadow; }

    // How far the shadow reaches beyond the outline.
    double outset() const;

    void render(const DFRenderable& object, QPainter& painter) const override;
    bool isValid() const override;
    bool isFill() const override { return true; }
    QStringList observableKeyPaths() const override;
    QHash<QString, QString> actionNames() const override;
    QString kindName() const override { return QStringLiteral("Fill"); }
    std::unique_ptr<DFRasterizer> copy() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    DFFill(const DFFill& other);

private:
    QBrush brushFor(const QRectF& bounds) const;
    void drawShadow(QPainter& painter, const ql::BezierPath& outline) const;

    ql::Color m_colour = ql::Color::clear();
    DFGradient m_gradient;
    ql::Image m_patternImage;
    std::optional<DFShadow> m_shadow;
};
