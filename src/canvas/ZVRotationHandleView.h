// The invisible 15 × 15 point square on a resize handle's outward side:
// dragging it turns the element about its centre by the change of the
// pointer's bearing seen from that centre (multiples of 45 degrees with
// Shift); every other selected element takes the same angle.
#pragma once

#include "canvas/CanvasCursor.h"

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <memory>

class ZVHandleView;
class ZVPuttyView;
namespace ql {
struct CanvasEvent;
class Gesture;
}

class ZVRotationHandleView : public QObject {
    Q_OBJECT
public:
    static constexpr double kSize = 15.0;

    explicit ZVRotationHandleView(ZVHandleView& handle);
    ~ZVRotationHandleView() override;

    ZVHandleView* handleView() const;
    ZVPuttyView* puttyView() const;
    int handlePosition() const;
    // The square in its resize handle's coordinates.
    QRectF frame() const;
    ql::CanvasCursor cursorForHandle() const;
    static QString cursorImageName(int position);

    // Bearing of a page point from `centre`, degrees, -180..180 (y down).
    static double pointPairToBearingDegrees(QPointF point, QPointF centre);
    // An angle moved to the nearest multiple of 45 degrees, halves away from zero.
    static double roundToFortyFive(double degrees);

    void mouseDown(const ql::CanvasEvent& event);
    void mouseDragged(const ql::CanvasEvent& event);
    void mouseUp(const ql::CanvasEvent& event);

private:
    QPointer<ZVHandleView> m_handleView;
    std::unique_ptr<ql::Gesture> m_gesture;
};
