// The holding area: elements kept aside across documents and restarts.
#pragma once

#include "panels/ViewController.h"

namespace ql {

class ZVPasteboardViewController : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;

    // Keeps each active element of the current page; the store and its grid
    // come with the holding area.
    void addToPasteboard(QObject* sender);

protected:
    QWidget* loadView() override;
};

} // namespace ql
