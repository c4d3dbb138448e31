// The layer a page's drawing is made on: an object layer that shows no
// floating size or length while objects are drawn or changed on it, which
// would cover the page being drawn on.
#pragma once

#include "shapes/df/DFObjectDrawingLayer.h"

class ZVObjectDrawingLayer : public DFObjectDrawingLayer {
    Q_OBJECT
public:
    explicit ZVObjectDrawingLayer(QObject* parent = nullptr);

    void showInfoWindowWithString(const QString& text, QPointF point) override;
};
