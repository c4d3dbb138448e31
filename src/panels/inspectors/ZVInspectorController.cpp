#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

QWidget* ZVInspectorController::loadView()
{
    QWidget* view = placeholderView(title());
    buildView(view);
    return view;
}

} // namespace ql
