// What renderers ask of the object they draw: its outline and frame in
// drawing coordinates, the transform of the container it sits in, and
// metadata that renderers may look things up in.
#pragma once

#include "platform/graphics/BezierPath.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>
#include <QVariant>
#include <optional>

class DFRenderable {
public:
    virtual ~DFRenderable() = default;

    // The outline as drawn: the object's path with its container transform.
    virtual ql::BezierPath renderingPath() const = 0;
    // Bounds of the rendering path, without any stroke.
    virtual QRectF bounds() const = 0;
    // A shape's centre, a path's top-left corner.
    virtual QPointF location() const = 0;
    // Radians, clockwise on the page.
    virtual double angle() const = 0;
    virtual QSizeF size() const = 0;
    virtual std::optional<QTransform> containerTransform() const = 0;
    // Null when the key holds nothing.
    virtual QVariant metadataObjectForKey(const QString& key) const = 0;
};
