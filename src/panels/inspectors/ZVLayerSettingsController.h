// The element inspector: the focused element's frame, rotation and effects,
// and the align and distribute controls, each segment calling the current
// page's command.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class ZVLayerSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

    // The align controls, by segment: to the page (left, right, top, bottom),
    // centred in the page (centre, middle), the edges of the selection
    // (left, right, top, bottom), its centres (horizontal, vertical), and
    // distribution (by edges or by centres).
    void alignToPage(int segment);
    void centerInPage(int segment);
    void alignEdges(int segment);
    void alignCenters(int segment);
    void distributeByEdges(int segment);
    void distributeByCenters(int segment);

protected:
    QString title() const override { return tr("Element Properties"); }
};

} // namespace ql
