// The content inspector of image elements.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class ZVImageSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

protected:
    QString title() const override { return tr("Image"); }
};

} // namespace ql
