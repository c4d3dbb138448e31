// The small panel with a busy indicator that long outputs show while they
// render or save. The window shows a real one; tools run without any.
#pragma once

#include <QString>

namespace ql {

class ProgressPanel {
public:
    virtual ~ProgressPanel() = default;
    // Shows the panel titled `title` (or retitles it) with its indicator running.
    virtual void showProgress(const QString& title) = 0;
    // Stops the indicator and closes the panel.
    virtual void closeProgress() = 0;
};

} // namespace ql
