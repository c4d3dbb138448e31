// Helpers for widgets and the canvas view: magnification, snapshots, the
// fading mirror image of element reflections, and white button titles.
#pragma once

#include "platform/graphics/Image.h"

#include <QSizeF>

class QAbstractButton;
class QGraphicsView;
class QWidget;

namespace ql {

// The view's magnification on each axis.
QSizeF scale(const QGraphicsView& view);
void resetScaling(QGraphicsView& view);
void setScale(QGraphicsView& view, QSizeF scale);

// A picture of the widget at its size (hidden widgets too); mirrored top to
// bottom when `flipped`. Null for a widget without width.
QImage imageRepresentation(QWidget& widget, bool flipped = false);
// The picture mirrored top to bottom, stretched to `size` (rounded) and faded
// from opaque at the top to clear at the bottom.
Image reflectedImage(const QImage& picture, QSizeF size);
Image reflectedImageRepresentationinSize(QWidget& widget, QSizeF size);

// The title in white, centred.
void setColorTitle(QAbstractButton& button, const QString& title);

} // namespace ql
