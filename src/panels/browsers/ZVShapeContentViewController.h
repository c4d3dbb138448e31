// The shape browser of the content pane: the library's shapes.
#pragma once

#include "panels/browsers/ZVGridBrowserController.h"

#include <QVariantMap>

namespace ql {

class ZVShapeContentViewController : public ZVGridBrowserController {
    Q_OBJECT
public:
    using ZVGridBrowserController::ZVGridBrowserController;

    // The library: dictionaries with "path" (a BezierPath) and "name".
    QList<QVariantMap>& shapes() { return m_shapes; }

protected:
    QString title() const override { return tr("Shapes"); }

private:
    QList<QVariantMap> m_shapes;
};

} // namespace ql
