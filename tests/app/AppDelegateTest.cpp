// Start-up: defaults first, then the build variant decides on the crash
// reporter, the chooser and the rating prompt's settings; files given open
// without the chooser; the Help menu's links and the rating alert.
#include "launch/StartUpSupport.h"

#include "design/BuildIdentity.h"
#include "app/document/Document.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"
#include "prompts/StoredValues.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace ql;

namespace {

// Notes the rating prompt's threshold each time the chooser comes up.
class ChooserWatch : public QObject {
public:
    ChooserWatch(QWidget* chooser, QStringList& events) : m_events(events) { chooser->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            m_events << QStringLiteral("chooser %1").arg(Rater::sharedInstance().daysUntilPrompt());
        return false;
    }

private:
    QStringList& m_events;
};

const QString supportPage = QStringLiteral("https://support.test/quiverleaf");
const QString reviewPage = QStringLiteral("https://downloads.test/quiverleaf");
const QString storeAppNumber = QStringLiteral("104712358");

class StartUp : public ql::testing::StartUpFixture {
protected:
    // One launch of the given build; the helper knows that build's settings,
    // with every address named unless `addressed` is off (as in a plain build).
    void launch(const QString& bundle, const QStringList& paths = {}, const QString& key = ql::testing::kCrashKey)
    {
        helper = std::make_unique<ZVDesignHelper>(defaults, registry, bundle);
        AppDelegate::Services given = services(bundle, key);
        if (addressed && !helper->globalSettings().isEmpty()) {
            QVariantMap settings = helper->globalSettings();
            settings[QStringLiteral("appID")] = storeAppNumber;
            settings[QStringLiteral("supportLink")] = supportPage;
            settings[QStringLiteral("contactLink")] = supportPage + QStringLiteral("?contact=1");
            if (settings.contains(QStringLiteral("ratingsLinks")))
                settings[QStringLiteral("ratingsLinks")] = QVariantMap {{QStringLiteral("2"), reviewPage}};
            helper->setGlobalSettings(settings);
            given.settings.websiteUrl = QStringLiteral("https://quiverleaf.test");
            given.settings.mobileEditionUrl = QStringLiteral("https://quiverleaf.test/mobile");
        }
        delegate = std::make_unique<AppDelegate>(controller, *helper, std::move(given));
        watch = std::make_unique<ChooserWatch>(delegate->templateWindowController()->window(), events);
        delegate->applicationDidFinishLaunching(paths);
    }
    void relaunch()
    {
        watch.reset();
        delegate.reset();
        resetPrompts();
        events.clear();
    }
    bool chooserShown() const { return delegate->templateWindowController()->window()->isVisible(); }

    // The chooser's Help items, each enabled or not.
    QMap<QString, bool> helpItemsEnabled() const
    {
        QMap<QString, bool> enabled;
        auto* bar = delegate->templateWindowController()->window()->findChild<QMenuBar*>();
        for (const char* selector : {"displayHelp:", "openVideo:", "sendFeedback:", "rateApp:", "openWebsite:", "openiOSApp:"})
            if (QAction* item = bar ? bar->findChild<QAction*>(QString::fromLatin1(selector)) : nullptr)
                enabled.insert(QString::fromLatin1(selector), item->isEnabled());
        return enabled;
    }

    bool addressed = true;
    std::unique_ptr<ZVDesignHelper> helper;
    std::unique_ptr<AppDelegate> delegate;
    std::unique_ptr<ChooserWatch> watch;
};

} // namespace

TEST_F(StartUp, EachBuildStartsItsKitChooserAndRatingPrompt)
{
    launch(identity::directSaleBundleIdentifier());
    EXPECT_EQ(events, (QStringList {QStringLiteral("kit ") + ql::testing::kCrashKey, QStringLiteral("chooser 5")}))
        << "the kit once, then the chooser while the threshold is still 5 days";
    EXPECT_EQ(Rater::sharedInstance().daysUntilPrompt(), 8.0f);
    EXPECT_EQ(Rater::sharedInstance().ratingsURL(), QUrl(reviewPage));
    EXPECT_EQ(Rater::sharedInstance().usesUntilPrompt(), 10u);
    EXPECT_TRUE(Rater::sharedInstance().promptForNewVersionIfUserRated);
    EXPECT_FALSE(Rater::sharedInstance().onlyPromptIfMainWindowIsAvailable);
    EXPECT_TRUE(controller.documents().isEmpty()) << "never an untitled document";

    for (const QString& bundle : {identity::storeBundleIdentifier(), identity::siblingBundleIdentifier()}) {
        relaunch();
        launch(bundle);
        EXPECT_EQ(events, (QStringList {QStringLiteral("kit ") + ql::testing::kCrashKey, QStringLiteral("chooser 5")}))
            << qPrintable(bundle);
        EXPECT_EQ(Rater::sharedInstance().appStoreID(), storeAppNumber.toULongLong());
        EXPECT_EQ(Rater::sharedInstance().daysUntilPrompt(), 5.0f);
    }

    relaunch();
    launch(QStringLiteral("org.example.unknown"));
    EXPECT_TRUE(events.isEmpty()) << "an unknown build starts neither the kit nor the chooser";
    EXPECT_FALSE(chooserShown());

    relaunch();
    launch(identity::directSaleBundleIdentifier(), {}, QStringLiteral("not-a-key"));
    EXPECT_EQ(events, QStringList {QStringLiteral("chooser 5")}) << "no kit without a valid key";
    EXPECT_FALSE(delegate->crashReporterStarted());
}

TEST_F(StartUp, DefaultsComeFirstAndFilesOpenWithoutTheChooser)
{
    launch(identity::directSaleBundleIdentifier());
    for (const char* key : {"unitsType", "defaultPageSize", "defaultPageOrientation", "defaultMargins", "showGuides",
                            "snapToGuides", "unitsInches", "hideVideo", "greekDefault", "loaded4"})
        EXPECT_TRUE(defaults.objectForKey(QString::fromLatin1(key)).isValid()) << key;
    defaults.setObject(QStringLiteral("unitsType"), qint64(2));
    defaults.setBool(QStringLiteral("hideVideo"), true);
    relaunch();
    launch(identity::directSaleBundleIdentifier());
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("unitsType")), 2) << "a second start keeps the user's values";
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("hideVideo")));

    // A bad file is reported and start-up goes on as without files.
    relaunch();
    delegate.reset();
    const QString bad = path(QStringLiteral("BAD.qvleaf"));
    ql::testing::writeFile(bad, "not a document at all");
    launch(identity::directSaleBundleIdentifier(), {bad});
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts.first().messageText, QStringLiteral("The document “BAD.qvleaf” could not be opened "
                                                                  "because it is damaged or is not a Quiverleaf "
                                                                  "document."));
    EXPECT_TRUE(controller.documents().isEmpty());
    EXPECT_TRUE(chooserShown());

    // A good file beside it opens alone, and no chooser comes up.
    Document* made = controller.newDocument();
    const QString good = path(QStringLiteral("good.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(made, good));
    ASSERT_TRUE(controller.closeDocument(made));
    delegate->templateWindowController()->close();
    relaunch();
    launch(identity::directSaleBundleIdentifier(), {bad, good});
    EXPECT_EQ(prompter.alerts.size(), 2);
    ASSERT_EQ(controller.documents().size(), 1);
    EXPECT_TRUE(controller.documents().first()->filePath().endsWith(QStringLiteral("good.qvleaf")));
    EXPECT_EQ(events, QStringList {QStringLiteral("kit ") + ql::testing::kCrashKey});
}

TEST_F(StartUp, BecomingActiveRatingAndHelpLinks)
{
    launch(identity::directSaleBundleIdentifier());
    int refreshes = 0;
    QObject context;
    NotificationCenter::defaultCenter().addObserver(&context, QStringLiteral("AutoUpdateText"), nullptr,
                                                    [&refreshes](const Notification&) { ++refreshes; });
    delegate->applicationDidBecomeActive();
    EXPECT_EQ(refreshes, 1) << "also with no document open";

    prompter.answerAlert(1);
    delegate->rateApp();
    ASSERT_EQ(prompter.alerts.size(), 1);
    const AlertRequest& alert = prompter.alerts.first();
    EXPECT_EQ(alert.messageText, QStringLiteral("Send Love"));
    EXPECT_EQ(alert.informativeText, QStringLiteral("Your love makes us work harder.\nPlease review this app."));
    EXPECT_EQ(alert.buttons, (QStringList {QStringLiteral("Review"), QStringLiteral("Not Now")}));
    EXPECT_TRUE(workspace.openedUrls.isEmpty()) << "Not Now opens nothing";
    prompter.answerAlert(0);
    delegate->rateApp();
    EXPECT_EQ(workspace.openedUrls, QList<QUrl> {QUrl(reviewPage)});

    delegate->displayHelp();
    delegate->sendFeedback();
    EXPECT_EQ(workspace.openedUrls.mid(1),
              (QList<QUrl> {QUrl(supportPage), QUrl(supportPage + QStringLiteral("?contact=1"))}));
    // A setting the build lacks opens nothing at all.
    helper->setGlobalSettings({});
    delegate->displayHelp();
    delegate->rateApp();
    EXPECT_EQ(workspace.openedUrls.size(), 3);
    EXPECT_EQ(prompter.alerts.size(), 2) << "no review alert without a page to review on";

    // The store build rates on the store's page of the program.
    relaunch();
    launch(identity::storeBundleIdentifier());
    prompter.answerAlert(0);
    delegate->rateApp();
    ASSERT_EQ(workspace.openedUrls.size(), 4);
    EXPECT_EQ(workspace.openedUrls.last().scheme(), QStringLiteral("macappstore"));
    EXPECT_EQ(workspace.openedUrls.last().path(), QStringLiteral("/app/id") + storeAppNumber);
    EXPECT_EQ(workspace.openedUrls.last().query(), QStringLiteral("mt=12"));

    // The chooser has File ▸ New from Template… and the Help menu too.
    auto* bar = delegate->templateWindowController()->window()->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    for (const char* selector : {"openTemplates:", "displayHelp:", "sendFeedback:", "openWebsite:", "openiOSApp:",
                                 "rateApp:", "openVideo:"})
        EXPECT_NE(bar->findChild<QAction*>(QString::fromLatin1(selector)), nullptr) << selector;
}

TEST_F(StartUp, TheChooserAloneOpensSavedDocumentsAndGoes)
{
    // Yesterday's flyer.
    const QString flyer = path(QStringLiteral("Flyer.qvleaf"));
    Document* made = controller.newDocument();
    ASSERT_TRUE(controller.saveDocumentToFile(made, flyer));
    ASSERT_TRUE(controller.closeDocument(made));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    defaults.setBool(QStringLiteral("hideVideo"), true);
    launch(identity::directSaleBundleIdentifier());
    ASSERT_TRUE(chooserShown());
    QWidget* chooser = delegate->templateWindowController()->window();
    auto* bar = chooser->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QAction* open = bar->findChild<QAction*>(QStringLiteral("openDocument:"));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));

    // Ctrl+O in the chooser asks for the document and opens it; the chooser goes.
    prompter.answerOpenPanel({flyer});
    ASSERT_TRUE(QTest::qWaitForWindowActive(chooser));
    QTest::keyClick(chooser, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(controller.documents().first()->filePath(), flyer);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !chooserShown(); }, 5000));

    // Open Recent lists it too.
    ASSERT_TRUE(controller.closeDocument(controller.documents().first()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delegate->openTemplates();
    ASSERT_TRUE(chooserShown());
    QMenu* recent = nullptr;
    for (QMenu* menu : bar->findChildren<QMenu*>())
        if (menu->title().remove(u'&') == QStringLiteral("Open Recent"))
            recent = menu;
    ASSERT_NE(recent, nullptr);
    ASSERT_FALSE(recent->actions().isEmpty());
    EXPECT_EQ(recent->actions().first()->text(), QStringLiteral("Flyer.qvleaf"));
    recent->actions().first()->trigger();
    ASSERT_EQ(controller.documents().size(), 1);
    EXPECT_EQ(controller.documents().first()->filePath(), flyer);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !chooserShown(); }, 5000));
}

TEST_F(StartUp, APlainBuildLinksNowhereAndNeverAsksForARating)
{
    // Nine days and ten launches of this version: time to ask, had the build a review page.
    const auto seasoned = [this] {
        setStoredDate(defaults, QStringLiteral("RaterFirstUsed"), QDateTime::currentDateTimeUtc().addDays(-9));
        defaults.setInteger(QStringLiteral("RaterUseCount"), 10);
        const QString version = QCoreApplication::applicationVersion();
        defaults.setObject(QStringLiteral("RaterLastVersionUsed"), version.isEmpty() ? QStringLiteral("1.0") : version);
        // An identifier an earlier build found in the store.
        defaults.setInteger(QStringLiteral("RaterAppStoreID"), 42);
    };
    addressed = false;
    seasoned();
    launch(identity::directSaleBundleIdentifier());
    DeferredCalls::instance().flush();
    EXPECT_EQ(prompter.sheetCount, 0);
    EXPECT_TRUE(workspace.openedUrls.isEmpty());
    const QMap<QString, bool> links {{QStringLiteral("displayHelp:"), false}, {QStringLiteral("openVideo:"), true},
                                     {QStringLiteral("sendFeedback:"), false}, {QStringLiteral("rateApp:"), false},
                                     {QStringLiteral("openWebsite:"), false}, {QStringLiteral("openiOSApp:"), false}};
    EXPECT_EQ(helpItemsEnabled(), links);

    // The same user on a build that names its pages is asked, and every item can be chosen.
    relaunch();
    addressed = true;
    seasoned();
    launch(identity::directSaleBundleIdentifier());
    DeferredCalls::instance().flush();
    ASSERT_EQ(prompter.sheetCount, 1);
    EXPECT_EQ(prompter.alerts.last().buttons.value(0), QStringLiteral("Rate It Now"));
    EXPECT_EQ(workspace.openedUrls, QList<QUrl> {QUrl(reviewPage)});
    for (bool enabled : helpItemsEnabled())
        EXPECT_TRUE(enabled);
}
