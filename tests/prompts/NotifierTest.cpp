#include "PromptTestSupport.h"

#include "prompts/Notifier.h"
#include "prompts/PromptNotifications.h"

#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

const QString twoNotices = QStringLiteral(
    "{'2024-05': {'Title': 'May', 'Message': 'Spring %@ sale', 'ActionURL': 'https://quiverleaf.example/may'},"
    " '2024-06': {'Title': 'June', 'Message': 'Summer', 'ActionURL': 'https://quiverleaf.example/june',"
    "             'ActionButton': 'Read'}}");

std::unique_ptr<Notifier> makeNotifier(PromptWorld& world, const PromptService& service)
{
    auto notifier = std::make_unique<Notifier>(world.environment());
    notifier->notificationsPlistURL = service.baseUrl().toString() + QStringLiteral("/com.quiverleaf.Quiverleaf.plist");
    return notifier;
}

void serve(const PromptService& service, const QByteArray& body, int status = 200)
{
    service.script({PromptService::rule(QStringLiteral("/com.quiverleaf.Quiverleaf.plist"),
                                        {PromptService::response(status, body)})});
}

// Runs one check to its end.
void check(Notifier& notifier)
{
    notifier.checkForNotifications();
    ASSERT_TRUE(waitUntil([&] { return !notifier.currentlyChecking(); }));
}

} // namespace

TEST(Notifier, ShowsTheNewestNoticeOfEitherEncoding)
{
    for (const char* format : {"XML", "BINARY"}) {
        for (const bool oldestFirst : {false, true}) {
            SCOPED_TRACE(std::string(format) + (oldestFirst ? " oldest first" : " newest first"));
            PromptService service;
            serve(service, plistlibDump(twoNotices, QString::fromLatin1(format)));
            PromptWorld world;
            auto notifier = makeNotifier(world, service);
            notifier->showOldestFirst = oldestFirst;
            world.prompter.holdSheets = true;
            check(*notifier);
            ASSERT_EQ(world.prompter.sheetCount, 1);
            const AlertRequest& alert = world.prompter.alerts[0];
            EXPECT_EQ(alert.messageText, oldestFirst ? QStringLiteral("May") : QStringLiteral("June"));
            EXPECT_EQ(alert.informativeText, oldestFirst ? QStringLiteral("Spring %@ sale") : QStringLiteral("Summer"));
            EXPECT_EQ(alert.buttons, (QStringList {oldestFirst ? QStringLiteral("More Info") : QStringLiteral("Read"),
                                                   QStringLiteral("Ignore"), QStringLiteral("Remind Me Later")}));
            EXPECT_EQ(notifier->lastChecked(), world.now);
        }
    }
}

TEST(Notifier, DropsNoticesForOtherVersionsAndSeenOnes)
{
    PromptWorld world;
    world.application.version = QStringLiteral("2.0");
    Notifier notifier(world.environment());
    const Notifier::Notices notices = Notifier::readNotices(plistlibDump(
        QStringLiteral("{'a-old': {'Title': 'A', 'MaxVersion': '1.9'}, 'b-now': {'Title': 'B', 'MinVersion': '2.0'},"
                       " 'c-later': {'Title': 'C', 'MinVersion': '2.0.1'}, 'D-any': {'Title': 'D', 'MaxVersion': '2.0'},"
                       " 'e-seen': {'Title': 'E'}}"),
        QStringLiteral("XML"))).value();
    notifier.setNotificationViewed(QStringLiteral("e-seen"));
    notifier.setNotificationsDict(notices);
    QStringList kept;
    for (const auto& entry : *notifier.notificationsDict())
        kept << entry.first;
    kept.sort();
    EXPECT_EQ(kept, (QStringList {QStringLiteral("D-any"), QStringLiteral("b-now")}));
    EXPECT_EQ(notifier.nextNotificationInDict(*notifier.notificationsDict()), QStringLiteral("D-any"))
        << "identifiers are ordered without regard to case";

    // In debug mode, once all have been seen they show again.
    notifier.debug = true;
    notifier.setIgnoredNotifications({QStringLiteral("a-old"), QStringLiteral("b-now"), QStringLiteral("c-later")});
    notifier.setNotificationIgnored(QStringLiteral("D-any"));
    notifier.setNotificationsDict(notices);
    EXPECT_EQ(notifier.notificationsDict()->size(), 3u) << "the seen one is back, the wrong versions stay out";
    EXPECT_TRUE(notifier.ignoredNotifications().isEmpty());
    EXPECT_TRUE(notifier.viewedNotifications().isEmpty());
}

TEST(Notifier, EachButtonRemembersTheChoice)
{
    struct Case {
        int button;
        QString notices;
        QString heard;
    };
    const std::vector<Case> cases {
        {0, twoNotices, QStringLiteral("viewed 2024-06")},
        {1, twoNotices, QStringLiteral("ignored 2024-06")},
        {2, twoNotices, QStringLiteral("remind 2024-06")},
        {0, QStringLiteral("{'2024-07': {'Title': 'Plain', 'Message': 'No link'}}"), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        PromptService service;
        serve(service, plistlibDump(c.notices, QStringLiteral("XML")));
        PromptWorld world;
        auto notifier = makeNotifier(world, service);
        notifier->setLastReminded(world.now.addDays(-3));
        auto delegate = std::make_shared<NotifierDelegate>();
        QStringList heard;
        delegate->notifierUserDidViewActionURLForNotificationWithKey = [&](const QString& key, const PlistValue& details) {
            heard << "viewed " + key;
            EXPECT_EQ(details.find(QStringLiteral("Title"))->toString(), QStringLiteral("June"));
        };
        delegate->notifierUserDidIgnoreNotificationWithKey = [&](const QString& key, const PlistValue&) { heard << "ignored " + key; };
        delegate->notifierUserDidRequestReminderForNotificationWithKey = [&](const QString& key, const PlistValue&) { heard << "remind " + key; };
        notifier->setDelegate(delegate);
        world.prompter.holdSheets = true;
        check(*notifier);
        ASSERT_EQ(world.prompter.sheetCount, 1);
        if (c.heard.isEmpty()) {
            EXPECT_EQ(world.prompter.alerts[0].buttons, QStringList {QStringLiteral("OK")});
        }
        world.prompter.finishHeldSheet(c.button);
        EXPECT_EQ(heard, c.heard.isEmpty() ? QStringList() : QStringList {c.heard});
        const QString key = c.heard.isEmpty() ? QStringLiteral("2024-07") : QStringLiteral("2024-06");
        EXPECT_EQ(notifier->viewedNotifications(), c.button == 0 ? QStringList {key} : QStringList());
        EXPECT_EQ(notifier->ignoredNotifications(), c.button == 1 ? QStringList {key} : QStringList());
        EXPECT_EQ(notifier->lastReminded(), c.button == 2 ? world.now : QDateTime());
        EXPECT_EQ(world.workspace.openedUrls,
                  c.button == 0 && !c.heard.isEmpty() ? QList<QUrl> {QUrl(QStringLiteral("https://quiverleaf.example/june"))}
                                                      : QList<QUrl>());
    }
}

TEST(Notifier, TheLaunchCheckFollowsItsPeriods)
{
    PromptService service;
    serve(service, plistlibDump(twoNotices, QStringLiteral("XML")));
    PromptWorld world;
    auto notifier = makeNotifier(world, service);
    NotificationCenter::defaultCenter().post(applicationDidFinishLaunchingNotification);
    EXPECT_FALSE(notifier->currentlyChecking()) << "the first launch only records itself";
    EXPECT_TRUE(world.defaults->hasStoredValue(QStringLiteral("NotifierIgnoredNotifications")));
    EXPECT_TRUE(notifier->ignoredNotifications().isEmpty());
    EXPECT_TRUE(service.requests().isEmpty());

    // The program's own check at the same launch still fetches.
    world.prompter.answerAlert(2);
    check(*notifier);
    EXPECT_EQ(service.requests().size(), 1);
    ASSERT_TRUE(waitUntil([&] { return notifier->lastReminded().isValid(); }));

    // After a remind choice nothing is fetched for a day, though the check period is half a day.
    world.advanceDays(0.75);
    EXPECT_FALSE(notifier->shouldCheckForNotifications());
    world.advanceDays(0.3);
    EXPECT_TRUE(notifier->shouldCheckForNotifications());
    notifier->setLastReminded(QDateTime());
    notifier->setLastChecked(world.now);
    world.advanceDays(0.4);
    EXPECT_FALSE(notifier->shouldCheckForNotifications());
    world.advanceDays(0.2);
    EXPECT_TRUE(notifier->shouldCheckForNotifications());
}

TEST(Notifier, FailedFetchesAreToldAndShowNothing)
{
    struct Case {
        const char* name;
        QByteArray body;
        int status;
        bool refused;
    };
    const std::vector<Case> cases {
        {"HTML error page", QByteArrayLiteral("<html><body>404 Not Found</body></html>"), 404, false},
        {"refused", {}, 0, true},
        {"array root", plistlibDump(QStringLiteral("[{'Title': 'x'}]"), QStringLiteral("XML")), 200, false},
        {"notice that is no dictionary", plistlibDump(QStringLiteral("{'2024-01': 'x'}"), QStringLiteral("BINARY")), 200, false},
        {"truncated binary", plistlibDump(twoNotices, QStringLiteral("BINARY")).left(60), 200, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PromptService service;
        serve(service, c.body, c.status);
        PromptWorld world;
        auto notifier = makeNotifier(world, service);
        if (c.refused)
            notifier->notificationsPlistURL = QStringLiteral("http://127.0.0.1:%1/n.plist").arg(refusedPort());
        auto delegate = std::make_shared<NotifierDelegate>();
        int failures = 0;
        delegate->notifierNotificationsCheckDidFailWithError = [&](const std::optional<Error>& error) {
            ++failures;
            EXPECT_TRUE(error.has_value());
        };
        notifier->setDelegate(delegate);
        check(*notifier);
        EXPECT_EQ(failures, 1);
        EXPECT_TRUE(notifier->downloadError().has_value());
        EXPECT_EQ(notifier->lastChecked(), world.now);
        EXPECT_EQ(world.prompter.sheetCount, 0);
    }
}

TEST(Notifier, OnlyWebAndMailLinksAreOffered)
{
    for (const char* link : {"file:///etc/passwd", "javascript:alert(1)", "smb://host/share", "not a url"}) {
        SCOPED_TRACE(link);
        PromptService service;
        serve(service, plistlibDump(QStringLiteral("{'2024-09': {'Title': 'T', 'ActionURL': '%1'}}").arg(QString::fromLatin1(link)),
                                    QStringLiteral("XML")));
        PromptWorld world;
        auto notifier = makeNotifier(world, service);
        check(*notifier);
        EXPECT_EQ(world.prompter.sheetCount, 0);
        EXPECT_TRUE(notifier->viewedNotifications().isEmpty()) << "stays eligible";
    }
    // A web link that the desktop has nothing for is passed over too.
    PromptService service;
    serve(service, plistlibDump(twoNotices, QStringLiteral("XML")));
    PromptWorld world;
    world.workspace.canOpen = false;
    auto notifier = makeNotifier(world, service);
    check(*notifier);
    EXPECT_EQ(world.prompter.sheetCount, 0);
    EXPECT_EQ(world.workspace.askedUrls, QList<QUrl> {QUrl(QStringLiteral("https://quiverleaf.example/june"))});
}

TEST(Notifier, TheChoiceAppliesToTheNoticeShown)
{
    PromptService service;
    serve(service, plistlibDump(twoNotices, QStringLiteral("XML")));
    PromptWorld world;
    auto notifier = makeNotifier(world, service);
    world.prompter.holdSheets = true;
    check(*notifier);
    ASSERT_EQ(notifier->visibleNotificationKey(), QStringLiteral("2024-06"));

    // A later check finds a newer notice while the alert is still up.
    serve(service, plistlibDump(QStringLiteral("{'2024-07': {'Title': 'July', 'ActionURL': 'https://quiverleaf.example/july'}}"),
                                QStringLiteral("XML")));
    check(*notifier);
    EXPECT_EQ(world.prompter.sheetCount, 1) << "one notice per run";
    EXPECT_EQ(notifier->nextNotificationInDict(*notifier->notificationsDict()), QStringLiteral("2024-07"));
    world.prompter.finishHeldSheet(1);
    EXPECT_EQ(notifier->ignoredNotifications(), QStringList {QStringLiteral("2024-06")});

    // Without a main window the showing waits.
    PromptWorld later;
    later.prompter.mainWindowAvailable = false;
    auto waiting = makeNotifier(later, service);
    waiting->checkForNotifications();
    ASSERT_TRUE(waitUntil([&] { return later.scheduler.pendingCount() == 1; }));
    EXPECT_EQ(later.scheduler.delays(), std::vector<int> {500});
    EXPECT_TRUE(waiting->currentlyChecking());
    later.prompter.mainWindowAvailable = true;
    later.scheduler.runPending();
    EXPECT_FALSE(waiting->currentlyChecking());
    EXPECT_EQ(later.prompter.sheetCount, 1);
}
