#include "panels/inspectors/ZVBackgroundPicker.h"

#include "content/ZVBackgroundView.h"

namespace ql {

ZVBackgroundView* ZVBackgroundPicker::background() const
{
    return qobject_cast<ZVBackgroundView*>(representedObject());
}

QWidget* ZVBackgroundPicker::loadView()
{
    return placeholderView(tr("Background"));
}

} // namespace ql
