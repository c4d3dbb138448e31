// The mouse wheel over a pop-up, slider, dial or number field of a pane or
// panel turns it only once the user has given it the focus (a click or
// Tab). Unfocused, the wheel goes on to what holds the control, so that
// scrolling a pane past its controls never changes the element they show.
#pragma once

class QWidget;

namespace ql {

class FocusedWheel {
public:
    // Applies to every such control inside `root`, now and as it is added.
    static void cover(QWidget* root);
};

} // namespace ql
