// The content inspector of 3D text elements.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class ZV3DTextSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

protected:
    QString title() const override { return tr("3D Text"); }
};

} // namespace ql
