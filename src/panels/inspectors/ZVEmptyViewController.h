// The content inspector while no element, or more than one, is selected: a
// note saying what to do.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class ZVEmptyViewController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

protected:
    QString title() const override { return tr("No Selection"); }
    void buildView(QWidget* view) override;
    bool showsElement(const ZVPuttyView&) const override { return false; }
    void enableControls(QWidget* view, bool) override { view->setEnabled(true); }
};

} // namespace ql
