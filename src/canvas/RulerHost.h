// What the document and pages see of a ruler along the canvas: its markers
// (ruler guides, at page-view locations), the page it measures, its unit and
// where its zero lies. The canvas's ruler widgets implement it; without a
// window there are no rulers.
#pragma once

#include "platform/graphics/RulerMarker.h"

#include <QList>
#include <QString>

class ZVCanvasView;

namespace ql {

class RulerHost {
public:
    virtual ~RulerHost() = default;

    virtual bool isHorizontalRuler() const = 0;
    virtual const QList<RulerMarker>& markers() const = 0;
    virtual void setMarkers(const QList<RulerMarker>& markers) = 0;
    virtual void addMarker(const RulerMarker& marker) = 0;
    // The page measured; pointing at it (again) empties the markers.
    virtual ZVCanvasView* clientView() const = 0;
    virtual void setClientView(ZVCanvasView* page) = 0;
    // "Inches", "Centimeters" or "Points"; another name is refused.
    virtual QString measurementUnits() const = 0;
    virtual bool setMeasurementUnits(const QString& name) = 0;
    virtual void setOriginOffset(double offset) = 0;
};

} // namespace ql
