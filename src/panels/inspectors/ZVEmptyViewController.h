// The content inspector while no element, or more than one, is selected.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class ZVEmptyViewController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

protected:
    QString title() const override { return tr("No Selection"); }
};

} // namespace ql
