// A shape layer of a content: a path stroked and filled with the settings
// that the element writes by key path ("border.lineWidth",
// "innerShadow.shadowOpacity", ...), a shadow, an optional mask path and a
// hidden flag. Every image, text and 3D text content owns two of them, its
// `border` and its `innerShadow`; the content lays out their paths and the
// painters draw them above the content, border first. Paths are in the
// content's own coordinates (points, origin top left).
#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/object/KVObject.h"

#include <QRectF>
#include <QSizeF>
#include <QVariant>

class ShapeLayer : public ql::KVObject {
    Q_OBJECT
public:
    explicit ShapeLayer(QObject* parent = nullptr);
    const ql::PropertyTable& properties() const override;

    // The outline; its winding rule is the layer's fill rule.
    const ql::BezierPath& path() const { return m_path; }
    void setPath(const ql::BezierPath& path);
    // Only the part inside this path shows; an empty path masks nothing.
    const ql::BezierPath& maskPath() const { return m_maskPath; }
    void setMaskPath(const ql::BezierPath& path);
    // 0 non-zero, 1 even-odd.
    int fillRule() const { return m_path.windingRule() == ql::BezierPath::WindingRule::EvenOdd ? 1 : 0; }
    void setFillRule(int rule);

    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF& frame);
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);
    double zPosition() const { return m_zPosition; }
    void setZPosition(double z);

    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    // Whether what the layer holds is cut at its (rounded) bounds; such a
    // layer casts no shadow.
    bool masksToBounds() const { return m_masksToBounds; }
    void setMasksToBounds(bool masks);
    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double width);
    // Dash lengths in points, alternately painted and skipped, as numbers;
    // null or empty for a solid line.
    QVariant lineDashPattern() const { return m_lineDashPattern; }
    void setLineDashPattern(const QVariant& pattern);
    QList<double> dashLengths() const;
    // A ql::Color, or null for none.
    QVariant strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QVariant& color);
    QVariant fillColor() const { return m_fillColor; }
    void setFillColor(const QVariant& color);

    ql::Color shadowColor() const { return m_shadowColor; }
    void setShadowColor(const ql::Color& color);
    // In the content's coordinates, as the element computes it.
    QSizeF shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(QSizeF offset);
    float shadowOpacity() const { return m_shadowOpacity; }
    void setShadowOpacity(float opacity);
    double shadowRadius() const { return m_shadowRadius; }
    void setShadowRadius(double radius);

private:
    ql::BezierPath m_path;
    ql::BezierPath m_maskPath;
    QRectF m_frame;
    bool m_hidden = false;
    double m_zPosition = 0.0;
    double m_cornerRadius = 0.0;
    bool m_masksToBounds = false;
    double m_lineWidth = 1.0;
    QVariant m_lineDashPattern;
    QVariant m_strokeColor;
    QVariant m_fillColor = QVariant::fromValue(ql::Color::black());
    ql::Color m_shadowColor = ql::Color::black();
    QSizeF m_shadowOffset {0.0, -3.0};
    float m_shadowOpacity = 0.0f;
    double m_shadowRadius = 3.0;
};
