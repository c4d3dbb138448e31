#include "app/launch/ApplicationRun.h"

#include "app/AppDelegate.h"
#include "app/WidgetPrompter.h"
#include "design/BuildIdentity.h"
#include "design/GlobalSettings.h"
#include "design/ZVDesignHelper.h"
#include "app/document/DocumentController.h"
#include "content/text/Hyphenator.h"

#include <QApplication>

namespace ql {

struct ApplicationRun::Desktop {
    WidgetPrompter prompter;
    DesktopWorkspace workspace;
};

ApplicationRun::ApplicationRun(const LaunchSettings& settings) : m_desktop(std::make_unique<Desktop>())
{
    DocumentController& controller = DocumentController::shared();
    controller.setPrompter(&m_desktop->prompter);
    controller.setWorkspace(&m_desktop->workspace);
    ZVDesignHelper& helper = ZVDesignHelper::sharedInstance();
    // Another build's identifier brings that build's settings with it.
    if (settings.bundleIdentifier != identity::mainBundleIdentifier()) {
        const GlobalSettings build = GlobalSettings::forBundleIdentifier(settings.bundleIdentifier);
        helper.setDownloadSource(build.downloadSource);
        helper.setGlobalSettings(build.settings);
    }
    AppDelegate::Services services;
    services.settings = settings;
    m_delegate = std::make_unique<AppDelegate>(controller, helper, std::move(services));
}

ApplicationRun::~ApplicationRun()
{
    m_delegate.reset();
    DocumentController& controller = DocumentController::shared();
    controller.setPrompter(nullptr);
    controller.setWorkspace(nullptr);
}

void ApplicationRun::nameApplication()
{
    QApplication::setApplicationName(QStringLiteral("Quiverleaf"));
    QApplication::setOrganizationName(QStringLiteral("Quiverleaf"));
}

void ApplicationRun::start(const QStringList& files)
{
    // The user's hyphenation patterns load while the first window comes up.
    text::Hyphenator::shared().preload({});
    m_delegate->applicationDidFinishLaunching(files);
}

} // namespace ql
