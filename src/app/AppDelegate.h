// The program's start and the application's delegate. At launch it
// registers the defaults, makes the template chooser's and the introduction
// video's controllers (both hidden), configures the rating and notices
// prompts, starts the crash reporter and shows the chooser as the build
// variant asks, or opens the files it was given instead. Afterwards it
// answers the Help menu's commands and the chooser and video commands, and
// refreshes page-number and date fields whenever the program becomes active.
#pragma once

#include "app/launch/LaunchSettings.h"
#include "app/video/ZVVideoWindowController.h"
#include "panels/templates/ZVTemplateWindowController.h"
#include "prompts/PromptEnvironment.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <functional>
#include <memory>

class QMenu;
class QWidget;

namespace ql {

class CrashKitStarter;
class DocumentController;
class Prompter;
class Workspace;
class ZVDesignHelper;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    // What start-up reaches outside itself; tests replace any of it.
    struct Services {
        LaunchSettings settings = LaunchSettings::fromBuild();
        Prompter* prompter = nullptr;   // null: the document controller's
        Workspace* workspace = nullptr; // null: the document controller's
        // Starts the crash reporter; true when it runs. Empty: the real kit.
        std::function<bool(const QString& key)> startCrashReporter;
        // The prompts' environment; its prompter, workspace and store
        // look-up come from the members above when it leaves them unset.
        PromptEnvironment prompts;
        ZVVideoWindowController::PlayerFactory playerFactory; // empty: Qt's player
        std::unique_ptr<ZVTemplateWindowController> chooser;  // null: one for the controller
    };

    AppDelegate(DocumentController& controller, ZVDesignHelper& helper, QObject* parent = nullptr);
    // With a chooser made elsewhere (tests give it their own bucket).
    AppDelegate(DocumentController& controller, ZVDesignHelper& helper,
                std::unique_ptr<ZVTemplateWindowController> chooser, QObject* parent = nullptr);
    AppDelegate(DocumentController& controller, ZVDesignHelper& helper, Services services, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The application's delegate; null when there is none.
    static AppDelegate* shared();

    // Start-up. Files given open without the chooser; when none opens,
    // start-up goes on as without files.
    void applicationDidFinishLaunching(const QStringList& paths = {});

    ZVTemplateWindowController* templateWindowController() const { return m_templateWindowController.get(); }
    ZVVideoWindowController* videoWindowController() const { return m_videoWindowController.get(); }
    bool crashReporterStarted() const { return m_crashReporterStarted; }
    // Never a cloud account on this desktop.
    static QVariant ubiquityIdentityToken() { return {}; }

    void getStarted();
    // Shows the chooser in front of every other window.
    void openTemplates();
    // Shows the video window a second from now.
    void openVideo();
    void applicationDidBecomeActive();
    void applicationWillTerminate() {}
    // Asked once at launch when no file opened; never opens a document.
    bool applicationShouldOpenUntitledFile();
    void displayHelp();
    void sendFeedback();
    void openWebsite();
    void openiOSApp();
    void rateApp();

    // The pages the Help items lead to; empty where this build names none
    // (the item is then disabled, and without a review page the rating
    // prompt never appears).
    enum class HelpLink { Support, Contact, Ratings, Website, MobileEdition };
    QUrl helpLink(HelpLink link) const;

    // File ▸ New from Template… and the Help menu, for windows that have
    // a menu bar of their own (document windows, the chooser; File ▸ Open…
    // and Open Recent come from addOpenDocumentItems).
    static void addHelpItems(QMenu* help);
    static void addNewFromTemplateItem(QMenu* file);

private:
    void applyBuildVariant(bool showChooser);
    void configurePrompts();
    void startCrashReporter();
    QUrl ratingsPage() const;
    void openUrl(const QUrl& url, const QString& what);
    void giveChooserMenus();
    Prompter* prompter() const;
    Workspace* workspace() const;

    DocumentController& m_controller;
    ZVDesignHelper& m_helper;
    Services m_services;
    std::unique_ptr<ZVTemplateWindowController> m_templateWindowController;
    std::unique_ptr<ZVVideoWindowController> m_videoWindowController;
    CrashKitStarter* m_kit = nullptr;
    bool m_crashReporterStarted = false;
    bool m_chooserHasMenus = false;
};

} // namespace ql
