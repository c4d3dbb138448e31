// One of an element's eight resize handles: a 40-point square centred on a
// corner or edge midpoint of the content, inside the handle margin, carrying
// a rotation handle on its outward side. Dragging it resizes the element (and
// the other selected elements with it); a press on a handle of an inactive
// element, or on a stale handle, acts as a press on the element.
#pragma once

#include "canvas/CanvasCursor.h"

#include <QObject>
#include <QPointer>
#include <QRectF>
#include <memory>

class ZVPuttyView;
class ZVRotationHandleView;
namespace ql {
struct CanvasEvent;
class Gesture;
}

class ZVHandleView : public QObject {
    Q_OBJECT
public:
    enum Position { TopLeft, TopCentre, TopRight, RightCentre, LeftCentre, BottomLeft, BottomCentre, BottomRight };
    static constexpr double kSize = 40.0;

    ZVHandleView(ZVPuttyView& element, int position);
    ~ZVHandleView() override;

    int handlePosition() const { return m_handlePosition; }
    ZVPuttyView* puttyView() const;
    ZVRotationHandleView* rotationHandle() const { return m_rotationHandle.get(); }

    // The handle's square in the element's own coordinates, for the
    // element's present size.
    QRectF frame() const;
    void setNeedsLayout();
    // The knob's alpha by selection state, and whether it is hidden while the
    // element's content is edited.
    double alphaValue() const { return m_alpha; }
    void setAlphaValue(double alpha) { m_alpha = alpha; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }

    // Whether this is one of the element's current handles.
    bool isValidHandle() const;
    // The direction cursor, turned with the element.
    ql::CanvasCursor cursorForHandle() const;
    static QString cursorImageName(int position);

    void mouseDown(const ql::CanvasEvent& event);
    void mouseDragged(const ql::CanvasEvent& event);
    void mouseUp(const ql::CanvasEvent& event);

    // The candidate frame of the element for a pointer measure (dx, dy) in
    // the element's turned axes (dy > 0 upward), from the frame and content
    // at the press: corners keep the opposite corner and the content's
    // proportions, edges keep the opposite edge.
    static QRectF candidateFrame(int position, const QRectF& startFrame, const QRectF& startContentFrame, double dx,
                                 double dy);
    // The pointer measure from a page displacement, for an element turned by
    // `degrees`.
    static QPointF pointerMeasure(QPointF pageDelta, double degrees);

private:
    QPointer<ZVPuttyView> m_puttyView;
    int m_handlePosition;
    std::unique_ptr<ZVRotationHandleView> m_rotationHandle;
    double m_alpha = 0.0;
    bool m_hidden = false;
    // The resize under way, or the element's own press when this handle
    // could not take it.
    std::unique_ptr<ql::Gesture> m_gesture;
    bool m_forwarded = false;
};
