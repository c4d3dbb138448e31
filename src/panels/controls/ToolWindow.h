// Floating panels are tool windows of a document window: the window manager
// keeps each above the window it belongs to, and brings it to the front when
// it is shown.
#pragma once

class QWidget;

namespace ql::ToolWindow {

// Ties `panel` (a top-level Qt::Tool widget) to the top-level window of
// `owner`. Qt ties a tool window to its parent only when the parent already
// had a native window as the panel's was made, and panels shared between
// documents have no parent at all; so the tie is made here, before the
// panel is mapped. A panel shown for another owner is hidden first, since
// the window manager reads the tie only when a window is mapped.
void attach(QWidget& panel, QWidget* owner);
// Attaches, shows and raises the panel; a panel that may take the keyboard
// is activated too.
void present(QWidget& panel, QWidget* owner);

} // namespace ql::ToolWindow
