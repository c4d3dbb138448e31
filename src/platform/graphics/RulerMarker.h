// A ruler guide as pages store it: a location along its ruler, plus the
// drawing details a ruler needs to show it.
#pragma once

#include <QMetaType>
#include <QPointF>
#include <QString>

namespace ql {

struct RulerMarker {
    double location = 0.0;
    QString imageName;  // marker image shown on the ruler
    QPointF imageOrigin;
    bool movable = true;
    bool removable = false;

    bool operator==(const RulerMarker&) const = default;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::RulerMarker)
