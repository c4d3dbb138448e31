// The clip-art browser of the content pane: a search field over the results.
#pragma once

#include "panels/browsers/ZVGridBrowserController.h"

#include <QPointer>

class QLineEdit;

namespace ql {

class ZVClipArtContentViewController : public ZVGridBrowserController {
    Q_OBJECT
public:
    using ZVGridBrowserController::ZVGridBrowserController;

    QLineEdit* searchField();

protected:
    QString title() const override { return tr("Clip Art"); }
    void buildView(QWidget* view) override;

private:
    QPointer<QLineEdit> m_searchField;
};

} // namespace ql
