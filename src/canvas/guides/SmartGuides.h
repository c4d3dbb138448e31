// Smart guides and snapping. A guide pass compares the active elements'
// edges and centres with the page's other elements, its trim and margin
// boxes, the bleed canvas and every guide; the lines they come near become
// the overlay's blue lines and every active element's stick points. Snapping
// then shifts an element (or, during a handle drag, moves single edges) onto
// a stick point closer than 2 points.
#pragma once

#include "canvas/guides/StickPoints.h"

#include <QList>
#include <QPointF>
#include <QRectF>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

// How near an edge must come for a line: 2 points while "snapToGuides" is
// on (also when it was never set), else 0, which finds nothing.
double guideTolerance();
// Whether the guides show ("showGuides"; on when never set).
bool showGuidesSetting();

// |trunc(a − v)| < tolerance: the difference cut toward zero to whole points.
bool isNear(double a, double v, double tolerance);

// What one active element brings to a pass.
struct GuideSubject {
    QRectF realFrame;
    bool isMoving = false;  // a handle is being dragged
};

struct GuidePass {
    QList<double> vLines;
    QList<double> hLines;
    // Per subject, in order: its stick points, read from the pass's lines.
    QList<StickPoints> stickPoints;
    // How many values the stick points keep between them: each line once.
    qsizetype storedPoints() const;
};

// Runs a pass of `subjects` against `targets` (rectangles in page
// coordinates). The lines found stay for the whole pass, so a later subject
// also receives the lines found for earlier ones.
GuidePass runGuidePass(const QList<GuideSubject>& subjects, const QList<QRectF>& targets, double tolerance);

// The page's targets besides the elements, in the pass's order: the trim box,
// the bleed canvas (full bleed only), the margin box, then the ruler, master,
// column and row guides as 10000-point rectangles whose near edge is the line.
QList<QRectF> pageGuideTargets(const ZVCanvasView& page);

struct SnapResult {
    double dx = 0;
    double dy = 0;
    // The frame the element takes.
    QRectF frame;
};

// Snaps `frame` (whose content bounding box is `realFrame`) to the stick
// points: a move shifts it whole, a handle drag moves each edge onto its own
// match.
SnapResult snapFrame(const QRectF& frame, const QRectF& realFrame, const StickPoints& stickPoints, bool isMoving);

} // namespace ql
