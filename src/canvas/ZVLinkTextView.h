// The small badge on a text box's right edge that adds a linked box: a
// 10-point square centred on the content's right edge, a quarter of the
// content's height below its top. While its box ends the chain it shows a
// plus sign, red when text is left over, else blue; a box that continues
// into another shows a chevron. A press while the box is selected adds the
// next box; on an unselected box it is an ordinary press on the box.
#pragma once

#include "canvas/CanvasCursor.h"

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QRectF>

class QPainter;
class ZVPuttyView;
namespace ql {
struct CanvasEvent;
}

class ZVLinkTextView : public QObject {
    Q_OBJECT
public:
    static constexpr double kSize = 10.0;

    explicit ZVLinkTextView(ZVPuttyView* element = nullptr);

    ZVPuttyView* puttyView() const { return m_puttyView.data(); }
    void setPuttyView(ZVPuttyView* element) { m_puttyView = element; }
    // True while a further box can be added here (the box ends its chain).
    bool linkable() const { return m_linkable; }
    void setLinkable(bool linkable) { m_linkable = linkable; }
    // The fill while linkable; blue when invalid.
    QColor linkColor() const { return m_linkColor; }
    void setLinkColor(const QColor& color) { m_linkColor = color; }
    // Follows the element's handles: 0.85 selected, 0.2 highlighted, else 0.
    double alphaValue() const { return m_alpha; }
    void setAlphaValue(double alpha) { m_alpha = alpha; }

    // The badge's square in the element's own coordinates, for an element
    // of `elementSize`; at (-45, 15) without an element.
    static QRectF frameFor(QSizeF elementSize);
    QRectF frame() const;

    // Shown only on a highlighted plain text box, never on a field.
    bool isHidden() const;
    // Reads the box's chain: a plus sign while the box is its chain's last,
    // red while text is left over, else blue; a chevron when it continues.
    void updateFromChain();
    // Fills the rectangle and strokes the plus sign or the chevron in white.
    void drawRect(QPainter& painter, const QRectF& rect) const;

    void mouseDown(const ql::CanvasEvent& event);
    // The pointing hand while the box is selected, else the arrow.
    ql::CanvasCursor cursor() const;

private:
    QPointer<ZVPuttyView> m_puttyView;
    QColor m_linkColor;
    bool m_linkable = true;
    double m_alpha = 0.0;
};
