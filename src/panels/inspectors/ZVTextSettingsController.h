// The content inspector of text elements.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class ZVTextSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

protected:
    QString title() const override { return tr("Text"); }
};

} // namespace ql
