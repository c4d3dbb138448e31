// The context menu of a text box being edited: cut, copy, paste and select
// all, each enabled when it can act. A box that is not edited offers none.
#pragma once

#include <QMenu>
#include <memory>

class ZVTextView;

namespace ql {

class TextEditMenu {
public:
    // Null when the box offers no menu.
    static std::unique_ptr<QMenu> create(ZVTextView& text, QWidget* parent = nullptr);
};

} // namespace ql
