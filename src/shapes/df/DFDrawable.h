// Base of the objects a drawing holds: an outline in drawing coordinates
// (y down, points), a style that draws it, a place (location, size, angle),
// an optional transform of the container it sits in, and metadata that
// renderers may consult. Objects copy deeply, archive with their style, and
// turn into editable path objects.
#pragma once

#include "platform/archive/Codable.h"
#include "shapes/df/DFRenderable.h"

#include <QObject>
#include <QPainter>
#include <QPointer>
#include <QVariantMap>
#include <memory>

class DFDrawablePath;
class DFObjectDrawingLayer;
class DFStyle;

class DFDrawable : public QObject, public ql::Codable, public DFRenderable {
    Q_OBJECT
public:
    ~DFDrawable() override;

    // The outline in its container's coordinates (the drawing's when the
    // object has no container transform), without any stroke.
    virtual ql::BezierPath path() const = 0;
    ql::BezierPath renderingPath() const override;
    QRectF bounds() const override;

    QPointF location() const override = 0;
    virtual void setLocation(QPointF location) = 0;
    QSizeF size() const override = 0;
    virtual void setSize(QSizeF size) = 0;
    double angle() const override { return 0.0; }
    virtual void setAngle(double radians);

    std::optional<QTransform> containerTransform() const override { return m_containerTransform; }
    void setContainerTransform(const std::optional<QTransform>& transform) { m_containerTransform = transform; }
    QVariant metadataObjectForKey(const QString& key) const override { return m_metadata.value(key); }
    void setMetadataObject(const QString& key, const QVariant& value);

    // Never null: an object without a style of its own has the default one.
    DFStyle* style() const { return m_style; }
    // The object takes the style over; null restores the default style.
    void setStyle(std::unique_ptr<DFStyle> style);

    // The layer that lists the object, if any.
    DFObjectDrawingLayer* layer() const;

    // An independent copy: same class, outline, place and a copy of the style.
    virtual std::unique_ptr<DFDrawable> copy() const = 0;

    // Makes a path object with the same outline (as drawn, rotation
    // included) and a copy of the style. In a layer, the path object takes
    // this object's place at the same index and this object leaves the layer
    // (deleted later when the layer owned it). Returns the path object,
    // owned by the layer, or by nobody when this object was in none.
    DFDrawablePath* convertToPath();

    // Draws the object where it is, with the given style or its own.
    void drawContentWithStyle(QPainter& painter, const DFStyle* style = nullptr) const;
    // Draws the part `from` (drawing coordinates; an empty rectangle means
    // everything the object draws) scaled into `destination`.
    void drawContentInRect(QPainter& painter, const QRectF& destination, const QRectF& from,
                           const DFStyle* style = nullptr) const;
    // The area drawing covers: the bounds grown by what the style draws
    // beyond the outline.
    QRectF drawingBounds(const DFStyle* style = nullptr) const;

    // Whether a point lies on the drawn outline (within `tolerance` beyond
    // the stroke) or inside a filled object.
    bool hitTest(QPointF point, double tolerance) const;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

signals:
    // The outline, place or style changed; views redraw.
    void changed();

protected:
    DFDrawable();
    DFDrawable(const DFDrawable& other);

    // Paints the object with a style; shapes with pictures add theirs.
    virtual void drawContent(QPainter& painter, const DFStyle& style) const;
    void notifyChanged() { emit changed(); }

private:
    friend class DFObjectDrawingLayer;

    DFStyle* m_style = nullptr;
    QPointer<DFObjectDrawingLayer> m_layer;
    std::optional<QTransform> m_containerTransform;
    QVariantMap m_metadata;
};
