// A tab view as the window's layouts name it; a plain one.
#pragma once

#include <QTabWidget>

namespace ql {

class ZVTabView : public QTabWidget {
    Q_OBJECT
public:
    using QTabWidget::QTabWidget;
};

} // namespace ql
