// A field of styled text that the user drags onto the page, as the text
// browser's sample is. The drag carries the text as RTF, HTML and plain
// text, with the sample's mark that has the page make a box in the text's
// style asking to be edited; its picture is the field's, fit 190 × 190.
#pragma once

#include "platform/graphics/AttributedString.h"

#include "panels/controls/DragSource.h"

#include <QLabel>

class QMimeData;

namespace ql {

class ZVDraggableTextField : public QLabel {
    Q_OBJECT
public:
    explicit ZVDraggableTextField(QWidget* parent = nullptr);

    const AttributedString& attributedStringValue() const { return m_value; }
    // Shows the text in the font of its first character; without one, in
    // the field's own.
    void setAttributedStringValue(const AttributedString& value);

    // What a drag carries, made at its start.
    QMimeData* dragPayload() const;
    // Starts a drag from a point of the field.
    void mouseDragged(QPoint at);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    AttributedString m_value;
    DragGesture m_gesture;
};

} // namespace ql
