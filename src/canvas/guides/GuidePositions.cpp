#include "canvas/guides/GuidePositions.h"

#include "canvas/ZVCanvasView.h"
#include "platform/graphics/RulerMarker.h"

namespace ql {

QList<double> columnEdges(double start, double length, int count, double gutter)
{
    QList<double> edges;
    if (count < 1)
        return edges;
    // Sizes are read with 32-bit precision, as the settings are stored.
    const float g = float(gutter);
    const float width = (float(length) - g * float(count - 1)) / float(count);
    edges.reserve(2 * count);
    for (int i = 0; i < count; ++i) {
        const double left = start + double(i) * double(width + g);
        edges.append(left);
        edges.append(left + double(width));
    }
    return edges;
}

GuidePositions guidePositions(const ZVCanvasView& page)
{
    GuidePositions positions;
    const ZVCanvasView* geometry = page.templateView();
    const double b = page.effectiveBleedMargin();
    const double w = page.frame().width();
    const double h = page.frame().height();

    const auto addMarkers = [b](QList<double>& to, const QList<RulerMarker>& markers) {
        for (const RulerMarker& marker : markers)
            to.append(marker.location + b);
    };
    addMarkers(positions.x, page.horizontalMarkers());
    addMarkers(positions.y, page.verticalMarkers());
    if (const ZVCanvasView* master = page.masterPage(); master && geometry == master) {
        addMarkers(positions.x, master->horizontalMarkers());
        addMarkers(positions.y, master->verticalMarkers());
    }

    if (geometry->showMarginGuides()) {
        positions.y << geometry->topMargin() + b << h - geometry->bottomMargin() - b;
        positions.x << geometry->leftMargin() + b << w - geometry->rightMargin() - b;
        positions.y << b << h - b;
        positions.x << b << w - b;
    }

    if (geometry->showColumnRowGuides()) {
        const bool withinMargins = geometry->colRowStyle() == 0;
        double across = w - 2 * b;
        double start = b;
        if (withinMargins) {
            across -= geometry->leftMargin() + geometry->rightMargin();
            start = geometry->leftMargin() + b;
        }
        positions.columns = columnEdges(start, across, geometry->colNumber(), geometry->colGutter());
        double down = h - 2 * b;
        start = b;
        if (withinMargins) {
            down -= geometry->topMargin() + geometry->bottomMargin();
            start = geometry->topMargin() + b;
        }
        positions.rows = columnEdges(start, down, geometry->rowNumber(), geometry->rowGutter());
        positions.x.append(positions.columns);
        positions.y.append(positions.rows);
    }
    return positions;
}

} // namespace ql
