#include "panels/controls/ToolWindow.h"

#include <QWidget>
#include <QWindow>

namespace ql::ToolWindow {

void attach(QWidget& panel, QWidget* owner)
{
    QWidget* top = owner ? owner->window() : panel.parentWidget() ? panel.parentWidget()->window() : nullptr;
    if (!top || top == &panel)
        return;
    // Both need native windows for the tie; making them early does no harm.
    top->winId();
    panel.winId();
    QWindow* ownerWindow = top->windowHandle();
    QWindow* panelWindow = panel.windowHandle();
    if (!ownerWindow || !panelWindow || panelWindow->transientParent() == ownerWindow)
        return;
    const bool shown = panel.isVisible();
    if (shown)
        panel.hide();
    panelWindow->setTransientParent(ownerWindow);
    if (shown)
        panel.show();
}

void present(QWidget& panel, QWidget* owner)
{
    attach(panel, owner);
    panel.show();
    panel.raise();
    if (!panel.testAttribute(Qt::WA_ShowWithoutActivating))
        panel.activateWindow();
}

} // namespace ql::ToolWindow
