#include "panels/ZVPanel.h"

namespace ql {

ZVPanel::ZVPanel(const QString& name, const QString& title, QWidget* window) : WindowPanel(name, title, window)
{
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

} // namespace ql
