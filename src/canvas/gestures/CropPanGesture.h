// Panning the picture inside an element in crop display (an image shown
// cropped, or a shape's image fill) instead of moving the element. The
// pointer's travel since the press is measured in the element's unturned
// axes and in picture units, and added to the offsets committed by the last
// pan; the release commits the new offsets as one undoable step.
#pragma once

#include <QPointF>
#include <QPointer>
#include <QTransform>
#include <Qt>

class ZVPuttyView;

namespace ql {

class CropPanGesture {
public:
    // Whether a press on the element pans instead of moving it: the element
    // is in crop mode and not locked.
    static bool appliesTo(const ZVPuttyView& element);
    // The cursor over the element: the open hand in crop mode unless the
    // element is being moved, the closed hand while it pans; else the arrow.
    static Qt::CursorShape cursorFor(const ZVPuttyView& element);
    // Page points to picture units in the element's unturned axes: turned
    // about the frame centre by minus the rotation, then scaled by
    // 1 ÷ cropScale (an image) or 1 ÷ the fill's scale (a shape).
    static QTransform panTransform(const ZVPuttyView& element);

    explicit CropPanGesture(ZVPuttyView& element);

    // Remembers where the pan starts (as the element's last drag location)
    // and the offsets it starts from.
    void press(QPointF pagePoint);
    // Moves the crop window (or the fill) by the travel since the press;
    // the element stays where it is.
    void drag(QPointF pagePoint);
    // Commits the offsets the pan reached and records their undo.
    void release();

    bool isPanning() const { return m_panning; }

private:
    void commitOffsets();

    QPointer<ZVPuttyView> m_element;
    QPointF m_startOffsets;
    bool m_pressed = false;
    bool m_panning = false;
};

} // namespace ql
