#include "canvas/guides/SmartGuides.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/guides/GuideTargets.h"
#include "canvas/guides/GuidePositions.h"
#include "platform/graphics/RulerMarker.h"
#include "platform/runtime/UserDefaults.h"

#include <QSet>
#include <cmath>

namespace ql {

namespace {

constexpr double kSnapDistance = 2.0;
constexpr double kGuideExtent = 10000.0;

bool settingOn(const QString& key)
{
    return ZVDesignHelper::sharedInstance().defaults().boolForKey(key);
}

} // namespace

double guideTolerance()
{
    return settingOn(QStringLiteral("snapToGuides")) ? kSnapDistance : 0.0;
}

bool showGuidesSetting()
{
    return settingOn(QStringLiteral("showGuides"));
}

bool isNear(double a, double v, double tolerance)
{
    return std::fabs(std::trunc(a - v)) < tolerance;
}

qsizetype GuidePass::storedPoints() const
{
    QSet<const StickPoints::Lines*> counted;
    qsizetype stored = 0;
    for (const StickPoints& points : stickPoints) {
        const StickPoints::Lines* lines = points.lines();
        if (lines && !counted.contains(lines)) {
            counted.insert(lines);
            stored += lines->xs.size() + lines->ys.size();
        }
    }
    return stored;
}

GuidePass runGuidePass(const QList<GuideSubject>& subjects, const QList<QRectF>& targets, double tolerance)
{
    return GuideTargets(targets).run(subjects, tolerance);
}

QList<QRectF> pageGuideTargets(const ZVCanvasView& page)
{
    const ZVCanvasView* geometry = page.templateView();
    const double b = page.effectiveBleedMargin();
    const QRectF frame = page.frame();
    QList<QRectF> targets;
    targets.append(QRectF(b, b, frame.width() - 2 * b, frame.height() - 2 * b));
    if (geometry->fullBleed())
        targets.append(frame);
    targets.append(QRectF(frame.x() + geometry->leftMargin() + b, frame.y() + geometry->topMargin() + b,
                          frame.width() - geometry->leftMargin() - geometry->rightMargin() - 2 * b,
                          frame.height() - geometry->topMargin() - geometry->bottomMargin() - 2 * b));
    const auto vertical = [&targets](double x) { targets.append(QRectF(x, 0, kGuideExtent, kGuideExtent)); };
    const auto horizontal = [&targets](double y) { targets.append(QRectF(0, y, kGuideExtent, kGuideExtent)); };
    for (const RulerMarker& marker : page.horizontalMarkers())
        vertical(marker.location + b);
    if (const ZVCanvasView* master = page.masterPage(); master && geometry == master) {
        for (const RulerMarker& marker : master->horizontalMarkers())
            vertical(marker.location + b);
        for (const RulerMarker& marker : master->verticalMarkers())
            horizontal(marker.location + b);
    }
    // Column and row guides come from the page's geometry directly, so that
    // snapping never waits for the overlay to have drawn.
    const GuidePositions positions = guidePositions(page);
    for (double x : positions.columns)
        vertical(x);
    for (const RulerMarker& marker : page.verticalMarkers())
        horizontal(marker.location + b);
    for (double y : positions.rows)
        horizontal(y);
    return targets;
}

SnapResult snapFrame(const QRectF& frame, const QRectF& realFrame, const StickPoints& stickPoints, bool isMoving)
{
    const double minX = realFrame.left(), midX = realFrame.center().x(), maxX = realFrame.right();
    const double minY = realFrame.top(), midY = realFrame.center().y(), maxY = realFrame.bottom();
    double dx = 0, dy = 0, left = 0, right = 0, top = 0, bottom = 0;
    const auto near = [](double d) { return std::fabs(d) < kSnapDistance; };
    // Both coordinates of every stick point are tried; the last match wins,
    // and within one point the far edge goes before the centre, the centre
    // before the near edge.
    stickPoints.forEach([&](QPointF point) {
        const double d1 = point.x() - minX, d2 = point.x() - midX, d3 = point.x() - maxX;
        if (near(d3))
            dx = d3;
        else if (near(d2))
            dx = d2;
        else if (near(d1))
            dx = d1;
        if (near(d1))
            left = d1;
        if (near(d3))
            right = d3;
        const double e1 = point.y() - minY, e2 = point.y() - midY, e3 = point.y() - maxY;
        if (near(e3))
            dy = e3;
        else if (near(e2))
            dy = e2;
        else if (near(e1))
            dy = e1;
        if (near(e1))
            top = e1;
        if (near(e3))
            bottom = e3;
    });
    SnapResult result;
    result.dx = dx;
    result.dy = dy;
    result.frame = isMoving ? QRectF(frame.x() + left, frame.y() + top, frame.width() + right - left,
                                     frame.height() + bottom - top)
                            : frame.translated(dx, dy);
    return result;
}

} // namespace ql
