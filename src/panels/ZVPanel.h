// A floating panel of the window that never takes the keyboard: it shows
// without becoming active and refuses focus, so keys keep going to the
// document window. For panels without text fields.
#pragma once

#include "app/window/DocumentWindow.h"

namespace ql {

class ZVPanel : public WindowPanel {
    Q_OBJECT
public:
    ZVPanel(const QString& name, const QString& title, QWidget* window);
};

} // namespace ql
