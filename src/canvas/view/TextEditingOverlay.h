// What the canvas shows of a text box being edited, over its text: the
// selection's highlight and the caret. The caret never blinks and is shown
// only while nothing is selected. Screen only: output never draws it.
#pragma once

class QPainter;
class ZVPuttyView;

namespace ql {

class TextEditingOverlay {
public:
    // The painter is in the element's own coordinates, as element items are.
    static void paint(QPainter& painter, const ZVPuttyView& element);
};

} // namespace ql
