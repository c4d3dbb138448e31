// The content pane's container for the browser shown; a plain view.
#pragma once

#include <QWidget>

namespace ql {

class ZVContentContainerView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

} // namespace ql
