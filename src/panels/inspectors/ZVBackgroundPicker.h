// Edits the background it represents (a page's or an element's): its kind,
// colour, gradient or picture.
#pragma once

#include "panels/ViewController.h"

class ZVBackgroundView;

namespace ql {

class ZVBackgroundPicker : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;

    ZVBackgroundView* background() const;

protected:
    QWidget* loadView() override;
};

} // namespace ql
