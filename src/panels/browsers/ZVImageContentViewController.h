// The image browser of the content pane: pictures to put on the page.
#pragma once

#include "panels/browsers/ZVGridBrowserController.h"

namespace ql {

class ZVImageContentViewController : public ZVGridBrowserController {
    Q_OBJECT
public:
    using ZVGridBrowserController::ZVGridBrowserController;

    // Asks for one picture file and puts it on the current page; the file
    // panel and the insertion come with the image browser.
    void openFile(QObject* sender);

protected:
    QString title() const override { return tr("Images"); }
};

} // namespace ql
