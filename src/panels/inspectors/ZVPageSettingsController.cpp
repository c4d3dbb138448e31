#include "panels/inspectors/ZVPageSettingsController.h"

#include "panels/inspectors/ZVBackgroundPicker.h"

#include <QBoxLayout>

namespace ql {

ZVPageSettingsController::ZVPageSettingsController(QObject* parent)
    : ZVInspectorController(parent), m_backgroundPicker(new ZVBackgroundPicker(this))
{
}

void ZVPageSettingsController::buildView(QWidget* view)
{
    static_cast<QBoxLayout*>(view->layout())->insertWidget(1, m_backgroundPicker->view());
}

} // namespace ql
