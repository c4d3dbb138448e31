// Base of the inspectors shown in the inspector pane: a titled view that the
// document's inspector tab places, working on the document it represents.
#pragma once

#include "panels/ViewController.h"

namespace ql {

class ZVInspectorController : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;

protected:
    QWidget* loadView() override;
    virtual QString title() const = 0;
    // Adds the inspector's own controls under its title.
    virtual void buildView(QWidget* view) { (void)view; }
};

} // namespace ql
