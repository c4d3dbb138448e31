#include "PromptTestSupport.h"

#include "prompts/Rater.h"

#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

const QString appUpdate = QStringLiteral("RaterDidDetectAppUpdate");
const QString didPrompt = QStringLiteral("RaterDidPromptForRating");
const QString couldNotConnect = QStringLiteral("RaterCouldNotConnectToAppStore");
const QString remindRequested = QStringLiteral("RaterUserDidRequestReminderToRateApp");
const QStringList raterNames {appUpdate,
                              didPrompt,
                              couldNotConnect,
                              remindRequested,
                              QStringLiteral("RaterUserDidAttemptToRateApp"),
                              QStringLiteral("RaterUserDidDeclineToRateApp")};

QJsonObject entry(const QString& bundleId, const QString& version, qint64 trackId = 104712358)
{
    return {{QStringLiteral("bundleId"), bundleId},
            {QStringLiteral("trackId"), trackId},
            {QStringLiteral("version"), version},
            {QStringLiteral("primaryGenreId"), 6014}};
}

// A rating prompt whose launch the test runs itself.
std::unique_ptr<Rater> makeRater(PromptWorld& world)
{
    auto rater = std::make_unique<Rater>(world.environment());
    world.scheduler.clear();
    rater->verboseLogging = true;
    return rater;
}

std::optional<Error> postedError(const PostedNotifications& posted)
{
    for (const Notification& n : posted.posted)
        if (n.name == couldNotConnect)
            return n.userInfo.value(QStringLiteral("error")).value<Error>();
    return std::nullopt;
}

} // namespace

TEST(Rater, CountsUseAcrossLaunchesAndUpdates)
{
    PromptWorld world;
    PostedNotifications posted(raterNames);
    const QDateTime installed = world.now;
    {
        Rater rater(world.environment());
        EXPECT_EQ(world.scheduler.runPending(), 1) << "the launch runs on the next turn";
        EXPECT_EQ(rater.firstUsed(), installed);
        EXPECT_EQ(rater.usesCount(), 1u);
        EXPECT_TRUE(posted.contains(appUpdate));
        EXPECT_FALSE(rater.shouldPromptForRating());
        rater.setUsesCount(5);
        rater.setEventCount(3);
    }

    // An update 30 days later keeps the counts but leaves a day before a prompt.
    world.advanceDays(30);
    world.application.version = QStringLiteral("1.1");
    posted.posted.clear();
    auto rater = makeRater(world);
    rater->applicationLaunched();
    EXPECT_EQ(rater->firstUsed(), world.now.addDays(-9));
    EXPECT_EQ(rater->usesCount(), 6u);
    EXPECT_EQ(rater->eventCount(), 3u);
    EXPECT_TRUE(posted.contains(appUpdate));
    EXPECT_FALSE(rater->shouldPromptForRating());
    EXPECT_TRUE(world.logged(QStringLiteral("Rater did not prompt for rating because the app was first used less than 10 days ago")));

    world.advanceDays(1.01);
    EXPECT_FALSE(rater->shouldPromptForRating());
    EXPECT_TRUE(world.logged(QStringLiteral(
        "Rater did not prompt for rating because the app has only been used 6 times and only 3 events have been logged")));
    rater->setUsesCount(9);
    rater->setEventCount(10);
    EXPECT_TRUE(rater->shouldPromptForRating()) << "either count suffices";
    rater->setEventCount(9);
    rater->logEvent(true);
    EXPECT_EQ(rater->eventCount(), 10u);
    EXPECT_TRUE(rater->shouldPromptForRating());

    // After a reminder, not before the remind period.
    rater->remindLater();
    EXPECT_FALSE(rater->shouldPromptForRating());
    world.advanceDays(1.01);
    EXPECT_TRUE(rater->shouldPromptForRating());

    // Rated this version: never again for it; the next version starts afresh,
    // and with promptForNewVersionIfUserRated asks with the update text.
    rater->setRatedThisVersion(true);
    EXPECT_FALSE(rater->shouldPromptForRating());
    world.application.version = QStringLiteral("1.2");
    auto updated = makeRater(world);
    updated->promptForNewVersionIfUserRated = true;
    updated->setMessage(QStringLiteral("first text"));
    updated->setUpdateMessage(QStringLiteral("update text"));
    updated->applicationLaunched();
    EXPECT_EQ(updated->firstUsed(), world.now);
    EXPECT_EQ(updated->usesCount(), 1u);
    EXPECT_EQ(updated->eventCount(), 0u);
    updated->promptForRating();
    ASSERT_EQ(world.prompter.alerts.size(), 1);
    EXPECT_EQ(world.prompter.alerts[0].informativeText, QStringLiteral("update text"));
}

TEST(Rater, TheAlertsButtonsFollowTheirLabels)
{
    PromptWorld world;
    PostedNotifications posted(raterNames);
    auto rater = makeRater(world);
    rater->setCancelButtonLabel(QString(""));
    world.prompter.answerAlert(1);
    rater->promptForRating();
    ASSERT_EQ(world.prompter.alerts.size(), 1);
    EXPECT_EQ(world.prompter.alerts[0].messageText, QStringLiteral("Rate Quiverleaf"));
    EXPECT_EQ(world.prompter.alerts[0].informativeText,
              QStringLiteral("If you enjoy using Quiverleaf, would you mind taking a moment to rate it? It won’t take "
                             "more than a minute. Thanks for your support!"));
    EXPECT_EQ(world.prompter.alerts[0].buttons, (QStringList {QStringLiteral("Rate It Now"), QStringLiteral("Remind Me Later")}));
    EXPECT_TRUE(posted.contains(didPrompt));
    rater->promptForRating();
    EXPECT_EQ(world.prompter.sheetCount, 1) << "one alert at a time";
    ASSERT_TRUE(waitUntil([&] { return !rater->hasVisibleAlert(); }));
    EXPECT_EQ(rater->lastReminded(), world.now);
    EXPECT_TRUE(posted.contains(remindRequested));
    EXPECT_FALSE(rater->declinedAnyVersion());

    // With all three buttons, index 1 declines for good.
    rater->setCancelButtonLabel(std::nullopt);
    world.prompter.answerAlert(1);
    rater->promptForRating();
    EXPECT_EQ(world.prompter.alerts.last().buttons.size(), 3);
    ASSERT_TRUE(waitUntil([&] { return !rater->hasVisibleAlert(); }));
    EXPECT_TRUE(rater->declinedThisVersion());

    // The rate button opens the custom page and watches for the store.
    auto delegate = std::make_shared<RaterDelegate>();
    int opened = 0;
    delegate->raterDidOpenAppStore = [&] { ++opened; };
    rater->setDelegate(delegate);
    rater->setRatingsURL(QUrl(QStringLiteral("https://downloads.quiverleaf.example/quiverleaf")));
    world.prompter.answerAlert(0);
    rater->promptForRating();
    ASSERT_TRUE(waitUntil([&] { return !rater->hasVisibleAlert(); }));
    EXPECT_TRUE(rater->ratedThisVersion());
    EXPECT_EQ(world.workspace.openedUrls, QList<QUrl> {QUrl(QStringLiteral("https://downloads.quiverleaf.example/quiverleaf"))});
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(world.scheduler.delays(), std::vector<int> {500}) << "the store-start poll";

    // Waiting for a main window.
    world.prompter.mainWindowAvailable = false;
    rater->onlyPromptIfMainWindowIsAvailable = true;
    world.scheduler.clear();
    rater->promptForRating();
    EXPECT_EQ(world.scheduler.delays(), std::vector<int> {500});
    EXPECT_EQ(world.prompter.sheetCount, 3);
}

TEST(Rater, LooksTheProgramUpBeforeItPrompts)
{
    PromptService service;
    service.script({PromptService::rule(QStringLiteral("/DE/lookup"),
                                        {PromptService::response(200, storeAnswer(entry(QStringLiteral("com.quiverleaf.Quiverleaf"),
                                                                                        QStringLiteral("1.0"))))})});
    PromptWorld world;
    world.lookupBaseUrl = service.baseUrl();
    PostedNotifications posted(raterNames);
    auto rater = makeRater(world);
    rater->setDaysUntilPrompt(0);
    rater->setUsesUntilPrompt(1);
    world.prompter.holdSheets = true;
    rater->applicationLaunched();
    EXPECT_TRUE(rater->checkingForPrompt());
    ASSERT_TRUE(waitUntil([&] { return world.prompter.sheetCount == 1; }));
    EXPECT_EQ(service.requests(), QStringList {QStringLiteral("/DE/lookup?bundleId=com.quiverleaf.Quiverleaf")})
        << "the prompt's check waits for the launch look-up";
    EXPECT_TRUE(posted.contains(didPrompt));
    EXPECT_EQ(world.defaults->integerForKey(QStringLiteral("RaterAppStoreID")), 104712358);
    EXPECT_EQ(rater->appStoreGenreID(), 6014u);
    EXPECT_TRUE(world.prompter.alerts[0].informativeText.startsWith(QStringLiteral("If you enjoy playing Quiverleaf")));
    EXPECT_FALSE(rater->checkingForPrompt());

    rater->checkForConnectivityInBackground();
    ASSERT_TRUE(waitUntil([&] { return service.requests().size() == 2; }));
    EXPECT_EQ(service.requests().last(), QStringLiteral("/DE/lookup?id=104712358"));
}

TEST(Rater, FailedLookUpsReachTheWaitingPromptAsErrors)
{
    struct Case {
        const char* name;
        QJsonObject response;
        bool refused;
        quint64 appStoreID;
        QString domain;
        int code;
    };
    const QJsonObject newer = PromptService::response(200, storeAnswer(entry(QStringLiteral("com.quiverleaf.Quiverleaf"), QStringLiteral("1.5"))));
    const QJsonObject other = PromptService::response(200, storeAnswer(entry(QStringLiteral("com.other.App"), QStringLiteral("1.0"))));
    const QJsonObject empty = PromptService::response(200, QByteArrayLiteral(R"({"resultCount":0,"results":[]})"));
    const std::vector<Case> cases {
        {"newer version in the store", newer, false, 0, raterErrorDomain, 3},
        {"another program's entry", other, false, 0, raterErrorDomain, 1},
        {"no entry for a known identifier", empty, false, 7, raterErrorDomain, 2},
        {"not found", PromptService::response(404, QByteArrayLiteral("<html>Not Found</html>")), false, 0, httpResponseErrorDomain, 404},
        {"not JSON", PromptService::response(200, QByteArrayLiteral("<html>portal</html>")), false, 0, jsonErrorDomain, -1},
        {"refused", {}, true, 0, networkErrorDomain, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PromptService service;
        service.script({PromptService::rule(QStringLiteral("/DE/lookup"), {c.response})});
        PromptWorld world;
        world.lookupBaseUrl = c.refused ? QUrl(QStringLiteral("http://127.0.0.1:%1").arg(refusedPort())) : service.baseUrl();
        PostedNotifications posted(raterNames);
        auto rater = makeRater(world);
        rater->setAppStoreID(c.appStoreID);
        std::optional<Error> told;
        auto delegate = std::make_shared<RaterDelegate>();
        delegate->raterCouldNotConnectToAppStore = [&](const std::optional<Error>& error) { told = error; };
        rater->setDelegate(delegate);
        rater->promptIfNetworkAvailable();
        ASSERT_TRUE(waitUntil([&] { return posted.contains(couldNotConnect); }));
        const std::optional<Error> error = postedError(posted);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->domain, c.domain);
        if (c.code >= 0) {
            EXPECT_EQ(error->code, c.code);
        }
        EXPECT_EQ(told, error);
        EXPECT_TRUE(world.logged(QStringLiteral("Rater rating process failed because: ") + error->message));
        EXPECT_EQ(world.prompter.sheetCount, 0);
        EXPECT_FALSE(rater->checkingForPrompt());
    }
}

TEST(Rater, ACustomPageNeedsNoStoreEntry)
{
    PromptService service;
    service.script({PromptService::rule(QStringLiteral("/DE/lookup"),
                                        {PromptService::response(200, QByteArrayLiteral(R"({"results":[]})"))})});
    PromptWorld world;
    world.lookupBaseUrl = service.baseUrl();
    auto rater = makeRater(world);
    rater->setRatingsURL(QUrl(QStringLiteral("https://downloads.quiverleaf.example/quiverleaf")));
    world.prompter.holdSheets = true;
    rater->promptIfNetworkAvailable();
    ASSERT_TRUE(waitUntil([&] { return world.prompter.sheetCount == 1; }));
    EXPECT_FALSE(rater->checkingForPrompt());

    // Without a look-up service nothing is sent, and the custom page still serves.
    PromptWorld offline;
    auto direct = makeRater(offline);
    direct->setRatingsURL(QUrl(QStringLiteral("https://downloads.quiverleaf.example/quiverleaf")));
    offline.prompter.holdSheets = true;
    direct->promptIfNetworkAvailable();
    offline.scheduler.runPending();
    EXPECT_EQ(offline.prompter.sheetCount, 1);
}

TEST(Rater, RatingWithoutAnIdentifierLooksItUpFirst)
{
    PromptService service;
    service.script({PromptService::rule(QStringLiteral("/DE/lookup"),
                                        {PromptService::response(200, storeAnswer(entry(QStringLiteral("com.quiverleaf.Quiverleaf"),
                                                                                        QStringLiteral("1.0"), 555)))})});
    PromptWorld world;
    world.lookupBaseUrl = service.baseUrl();
    auto rater = makeRater(world);
    rater->rate();
    EXPECT_TRUE(rater->checkingForAppStoreID());
    EXPECT_TRUE(world.workspace.openedUrls.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !world.workspace.openedUrls.isEmpty(); }));
    EXPECT_EQ(world.workspace.openedUrls, QList<QUrl> {QUrl(QStringLiteral("macappstore://store.test/app/id555"))});
    EXPECT_FALSE(rater->checkingForAppStoreID());
}
