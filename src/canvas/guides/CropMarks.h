// Crop marks: eight short black lines in the bleed, two at each corner,
// lying on the trim edges' extensions and reaching the page's outer edge.
// The canvas overlay and every output draw them through here, so screen and
// paper agree.
#pragma once

#include <QLineF>
#include <QList>
#include <QSizeF>

class QPainter;

namespace ql {

// The marks of a page of `size` (bleed included) with bleed `bleed`; each
// mark is 0.8 × bleed long. No marks without a bleed.
QList<QLineF> cropMarkLines(QSizeF size, double bleed);

// Draws the marks 1 point wide in black; the painter's state is kept.
void drawCropMarks(QPainter& painter, QSizeF size, double bleed);

} // namespace ql
