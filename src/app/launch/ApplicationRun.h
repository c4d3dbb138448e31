// What the running program keeps for as long as its event loop runs: the
// desktop's dialogs and workspace, the shared document controller wired to
// them, and the application's delegate.
#pragma once

#include "app/launch/LaunchSettings.h"
#include "content/text/PatternWaits.h"

#include <QStringList>
#include <memory>

namespace ql {

class AppDelegate;

class ApplicationRun {
public:
    explicit ApplicationRun(const LaunchSettings& settings = LaunchSettings::fromBuild());
    ~ApplicationRun();

    // Names the application (its settings folder follows the name).
    static void nameApplication();
    // Start-up, with the files the desktop asked to open.
    void start(const QStringList& files);
    AppDelegate& delegate() { return *m_delegate; }

private:
    struct Desktop;
    std::unique_ptr<Desktop> m_desktop;
    std::unique_ptr<AppDelegate> m_delegate;
    // The program's thread shows its windows: it never waits for
    // hyphenation patterns, also before the first window opens.
    text::NoWaitForPatterns m_noWaitForPatterns;
};

} // namespace ql
