// The window's progress panel: a small tool window with a busy indicator,
// shown in front of the window while an output renders or saves.
#pragma once

#include "app/export/ProgressPanel.h"
#include "app/window/DocumentWindow.h"

class QProgressBar;

namespace ql {

class ProgressWindowPanel : public WindowPanel, public ProgressPanel {
    Q_OBJECT
public:
    explicit ProgressWindowPanel(QWidget* window);

    QProgressBar* indicator() const { return m_indicator; }

    void showProgress(const QString& title) override;
    void closeProgress() override;

private:
    QProgressBar* m_indicator;
};

} // namespace ql
