// The content inspector of vector shape elements.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class ZVShapeSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

protected:
    QString title() const override { return tr("Shape"); }
};

} // namespace ql
