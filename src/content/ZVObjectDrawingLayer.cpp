#include "content/ZVObjectDrawingLayer.h"

ZVObjectDrawingLayer::ZVObjectDrawingLayer(QObject* parent) : DFObjectDrawingLayer(parent) {}

void ZVObjectDrawingLayer::showInfoWindowWithString(const QString&, QPointF) {}
