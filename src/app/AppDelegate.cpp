#include "app/AppDelegate.h"

#include "design/BuildIdentity.h"
#include "design/ZVDesignHelper.h"
#include "app/document/DocumentController.h"
#include "app/launch/CrashKitStarter.h"
#include "app/window/OpenDocumentItems.h"
#include "panels/templates/ZVTemplateWindowController.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/Prompter.h"
#include "platform/ui/Workspace.h"
#include "prompts/Notifier.h"
#include "prompts/PromptNotifications.h"
#include "prompts/Rater.h"
#include "prompts/StoreLookup.h"
#include "prompts/Versioner.h"

#include <QAction>
#include <QGuiApplication>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace ql {

namespace {

AppDelegate* sharedDelegate = nullptr;

const QString autoUpdateTextNotification = QStringLiteral("AutoUpdateText");

const char* const helpLinkProperty = "helpLink";

// Each item calls the delegate of the moment, so menus outlive no delegate.
QAction* addDelegateItem(QMenu* menu, const QString& title, const QString& selector, void (AppDelegate::*command)())
{
    QAction* action = menu->addAction(title);
    action->setObjectName(selector);
    QObject::connect(action, &QAction::triggered, action, [command] {
        if (AppDelegate* delegate = AppDelegate::shared())
            (delegate->*command)();
    });
    return action;
}

void addLinkItem(QMenu* menu, const QString& title, const QString& selector, void (AppDelegate::*command)(),
                 AppDelegate::HelpLink link)
{
    addDelegateItem(menu, title, selector, command)->setProperty(helpLinkProperty, int(link));
}

// An item leading to a page this build does not name cannot be chosen.
void enableLinkItems(QMenu* menu)
{
    const AppDelegate* delegate = AppDelegate::shared();
    for (QAction* action : menu->actions()) {
        const QVariant link = action->property(helpLinkProperty);
        if (link.isValid())
            action->setEnabled(delegate && !delegate->helpLink(AppDelegate::HelpLink(link.toInt())).isEmpty());
    }
}

} // namespace

AppDelegate::AppDelegate(DocumentController& controller, ZVDesignHelper& helper, QObject* parent)
    : AppDelegate(controller, helper, Services {}, parent)
{
}

AppDelegate::AppDelegate(DocumentController& controller, ZVDesignHelper& helper,
                         std::unique_ptr<ZVTemplateWindowController> chooser, QObject* parent)
    : AppDelegate(controller, helper, [&chooser] {
          Services services;
          services.chooser = std::move(chooser);
          return services;
      }(), parent)
{
}

AppDelegate::AppDelegate(DocumentController& controller, ZVDesignHelper& helper, Services services, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_helper(helper)
    , m_services(std::move(services))
    , m_templateWindowController(std::move(m_services.chooser))
{
    if (!m_templateWindowController)
        m_templateWindowController = std::make_unique<ZVTemplateWindowController>(controller);
    // Made hidden; its window and player wait until it is first shown.
    m_videoWindowController = std::make_unique<ZVVideoWindowController>(m_services.settings.movie(), controller,
                                                                         m_services.playerFactory);
    sharedDelegate = this;
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                applicationDidBecomeActive();
        });
    }
}

AppDelegate::~AppDelegate()
{
    if (sharedDelegate == this)
        sharedDelegate = nullptr;
}

AppDelegate* AppDelegate::shared()
{
    return sharedDelegate;
}

Prompter* AppDelegate::prompter() const
{
    return m_services.prompter ? m_services.prompter : m_controller.prompter();
}

Workspace* AppDelegate::workspace() const
{
    return m_services.workspace ? m_services.workspace : m_controller.workspace();
}

void AppDelegate::applicationDidFinishLaunching(const QStringList& paths)
{
    configurePrompts();
    m_helper.setDefaults();

    // Rating prompt: the thresholds of every build.
    Rater& rater = Rater::sharedInstance();
    rater.setDaysUntilPrompt(5.0f);
    rater.setUsesUntilPrompt(10);
    rater.promptForNewVersionIfUserRated = true;
    rater.onlyPromptIfMainWindowIsAvailable = false;

    // Notices prompt: only a build that names a notices host fetches.
    if (const QUrl notices = m_services.settings.noticesUrl(); !notices.isEmpty()) {
        Notifier& notifier = Notifier::sharedInstance();
        notifier.notificationsPlistURL = notices.toString();
        notifier.checkForNotifications();
    }

    const bool opened = !paths.isEmpty() && !m_controller.openDocuments(paths).isEmpty();
    // Files given open instead of the chooser; everything else as usual.
    applyBuildVariant(!opened);
    NotificationCenter::defaultCenter().post(applicationDidFinishLaunchingNotification, this);
    if (!opened)
        applicationShouldOpenUntitledFile();
}

void AppDelegate::configurePrompts()
{
    PromptEnvironment env = m_services.prompts;
    if (!env.prompter)
        env.prompter = prompter();
    if (!env.workspace)
        env.workspace = workspace();
    if (!env.defaults)
        env.defaults = &m_controller.userDefaults();
    if (env.lookupBaseUrl.isEmpty())
        env.lookupBaseUrl = LaunchSettings::serviceBase(m_services.settings.storeLookupHost);
    if (!env.application) {
        const QString version = QCoreApplication::applicationVersion();
        env.application = ApplicationIdentity {QStringLiteral("Quiverleaf"),
                                               version.isEmpty() ? QStringLiteral("1.0") : version,
                                               m_services.settings.bundleIdentifier};
    }
    Rater::load(env);
    Versioner::load(env);
    Notifier::load(env);
}

void AppDelegate::applyBuildVariant(bool showChooser)
{
    const QString identifier = m_services.settings.bundleIdentifier;
    Rater& rater = Rater::sharedInstance();
    if (identifier == identity::directSaleBundleIdentifier()) {
        startCrashReporter();
        if (showChooser)
            getStarted();
        rater.setRatingsURL(ratingsPage());
        rater.setDaysUntilPrompt(8.0f);
    } else if (identifier == identity::storeBundleIdentifier() || identifier == identity::siblingBundleIdentifier()) {
        startCrashReporter();
        rater.setAppStoreID(m_helper.globalSettings().value(QStringLiteral("appID")).toString().toULongLong());
        if (showChooser && ubiquityIdentityToken().isNull())
            getStarted();
    }
    // Asking for a rating with no page to rate on would end in a link to nowhere.
    if (ratingsPage().isEmpty())
        rater.promptAtLaunch = false;
}

void AppDelegate::startCrashReporter()
{
    if (m_crashReporterStarted)
        return;
    const QString key = m_services.settings.crashApiKey;
    if (!CrashKitStarter::isValidKey(key)) {
        qInfo("Crash reporting is off: this build has no valid crash reporter key.");
        return;
    }
    if (m_services.startCrashReporter) {
        m_crashReporterStarted = m_services.startCrashReporter(key);
        return;
    }
    if (!m_kit)
        m_kit = new CrashKitStarter(m_services.settings, prompter(), this);
    m_crashReporterStarted = m_kit->startWithAPIKey(key);
}

void AppDelegate::getStarted()
{
    openTemplates();
}

void AppDelegate::openTemplates()
{
    m_templateWindowController->showWindow();
    QWidget* window = m_templateWindowController->window();
    giveChooserMenus();
    window->raise();
    window->activateWindow();
}

void AppDelegate::giveChooserMenus()
{
    QWidget* window = m_templateWindowController->window();
    if (m_chooserHasMenus || !window->layout())
        return;
    m_chooserHasMenus = true;
    auto* bar = new QMenuBar(window);
    QMenu* file = bar->addMenu(tr("&File"));
    addNewFromTemplateItem(file);
    // Opening a document closes the chooser, as choosing a template does:
    // the document's window sends it away once it is shown.
    addOpenDocumentItems(file, m_controller);
    addHelpItems(bar->addMenu(tr("&Help")));
    window->layout()->setMenuBar(bar);
}

void AppDelegate::openVideo()
{
    after(1000, this, [this] {
        m_videoWindowController->showWindow();
        QWidget* window = m_videoWindowController->window();
        window->raise();
        window->activateWindow();
    });
}

void AppDelegate::applicationDidBecomeActive()
{
    // Page-number and date fields catch up with the clock.
    NotificationCenter::defaultCenter().post(autoUpdateTextNotification);
}

bool AppDelegate::applicationShouldOpenUntitledFile()
{
    qInfo("applicationShouldOpenUntitledFile");
    if (m_helper.downloadSource() == 1)
        getStarted();
    return false;
}

void AppDelegate::openUrl(const QUrl& url, const QString& what)
{
    // A build without that link opens nothing rather than an empty address.
    if (url.isEmpty() || !url.isValid()) {
        qWarning("No %s link is set for this build; nothing was opened.", qUtf8Printable(what));
        return;
    }
    if (Workspace* desktop = workspace())
        desktop->openUrl(url);
}

QUrl AppDelegate::helpLink(HelpLink link) const
{
    switch (link) {
    case HelpLink::Support: return QUrl(m_helper.globalSettings().value(QStringLiteral("supportLink")).toString());
    case HelpLink::Contact: return QUrl(m_helper.globalSettings().value(QStringLiteral("contactLink")).toString());
    case HelpLink::Ratings: return ratingsPage();
    case HelpLink::Website: return QUrl(m_services.settings.websiteUrl);
    case HelpLink::MobileEdition: return QUrl(m_services.settings.mobileEditionUrl);
    }
    return {};
}

QUrl AppDelegate::ratingsPage() const
{
    const int source = m_helper.downloadSource();
    if (source != 1) {
        const QVariantMap links = m_helper.globalSettings().value(QStringLiteral("ratingsLinks")).toMap();
        return QUrl(links.value(QString::number(source)).toString());
    }
    // The store builds rate on the store's page of the program.
    const quint64 id = m_helper.globalSettings().value(QStringLiteral("appID")).toString().toULongLong();
    if (id == 0)
        return {};
    QUrl page = storePageUrl(m_services.prompts.storePageHost, id);
    page.setQuery(QStringLiteral("mt=12"));
    return page;
}

void AppDelegate::displayHelp()
{
    openUrl(helpLink(HelpLink::Support), QStringLiteral("supportLink"));
}

void AppDelegate::sendFeedback()
{
    openUrl(helpLink(HelpLink::Contact), QStringLiteral("contactLink"));
}

void AppDelegate::openWebsite()
{
    openUrl(helpLink(HelpLink::Website), QStringLiteral("web site"));
}

void AppDelegate::openiOSApp()
{
    openUrl(helpLink(HelpLink::MobileEdition), QStringLiteral("mobile edition"));
}

void AppDelegate::rateApp()
{
    const QUrl target = helpLink(HelpLink::Ratings);
    if (target.isEmpty()) {
        openUrl(target, QStringLiteral("rating")); // says why nothing opens
        return;
    }
    Prompter* ask = prompter();
    if (!ask)
        return;
    AlertRequest request;
    request.messageText = tr("Send Love");
    request.informativeText = tr("Your love makes us work harder.\nPlease review this app.");
    request.buttons = {tr("Review"), tr("Not Now")};
    request.style = AlertRequest::Style::Warning;
    if (ask->runAlert(request) == 0)
        openUrl(target, QStringLiteral("rating"));
}

void AppDelegate::addNewFromTemplateItem(QMenu* file)
{
    addDelegateItem(file, tr("New from &Template…"), QStringLiteral("openTemplates:"), &AppDelegate::openTemplates);
}

void AppDelegate::addHelpItems(QMenu* help)
{
    addLinkItem(help, tr("Quiverleaf Help"), QStringLiteral("displayHelp:"), &AppDelegate::displayHelp, HelpLink::Support);
    addDelegateItem(help, tr("Introduction Video"), QStringLiteral("openVideo:"), &AppDelegate::openVideo);
    help->addSeparator();
    addLinkItem(help, tr("Send Feedback…"), QStringLiteral("sendFeedback:"), &AppDelegate::sendFeedback, HelpLink::Contact);
    addLinkItem(help, tr("Rate Quiverleaf…"), QStringLiteral("rateApp:"), &AppDelegate::rateApp, HelpLink::Ratings);
    help->addSeparator();
    addLinkItem(help, tr("Quiverleaf Web Site"), QStringLiteral("openWebsite:"), &AppDelegate::openWebsite,
                HelpLink::Website);
    addLinkItem(help, tr("Quiverleaf for Mobile"), QStringLiteral("openiOSApp:"), &AppDelegate::openiOSApp,
                HelpLink::MobileEdition);
    enableLinkItems(help);
    QObject::connect(help, &QMenu::aboutToShow, help, [help] { enableLinkItems(help); });
}

} // namespace ql
