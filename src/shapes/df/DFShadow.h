// A shadow that a fill casts: offset in drawing coordinates, blur radius in
// points and colour (its alpha is the shadow's opacity).
#pragma once

#include "platform/graphics/Color.h"

#include <QPointF>

struct DFShadow {
    QPointF offset;
    double blurRadius = 0.0;
    ql::Color color = ql::Color::black().withAlpha(1.0 / 3.0);

    bool operator==(const DFShadow&) const = default;
};
