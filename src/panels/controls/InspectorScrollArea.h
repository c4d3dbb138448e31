// The scroll area of the inspector pane: the inspector in it is as wide as
// the pane and never lower than its rows' natural height, so that a long
// inspector scrolls instead of squeezing its rows; a short one fills the
// pane.
#pragma once

#include <QScrollArea>

namespace ql {

class InspectorScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit InspectorScrollArea(QWidget* parent = nullptr);

    // Sizes the inspector shown to the pane and its rows.
    void fitWidget();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace ql
