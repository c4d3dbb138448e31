#include "PromptTestSupport.h"

#include "prompts/Versioner.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

std::unique_ptr<Versioner> makeVersioner(PromptWorld& world)
{
    auto versioner = std::make_unique<Versioner>(world.environment());
    world.scheduler.clear();
    versioner->verboseLogging = true;
    return versioner;
}

void writeFile(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// Records what the delegate hears.
struct Heard {
    std::shared_ptr<VersionerDelegate> delegate = std::make_shared<VersionerDelegate>();
    QStringList calls;
    std::optional<Error> failure;
    Heard()
    {
        delegate->versionerDidDetectNewVersion = [this](const QString& v, const QString&) { calls << "detect " + v; };
        delegate->versionerDidNotDetectNewVersion = [this] { calls << QStringLiteral("none"); };
        delegate->versionerVersionCheckDidFailWithError = [this](const std::optional<Error>& e) {
            calls << QStringLiteral("failed");
            failure = e;
        };
        delegate->versionerUserDidAttemptToDownloadUpdate = [this](const QString& v) { calls << "download " + v; };
        delegate->versionerUserDidRequestReminderForUpdate = [this](const QString& v) { calls << "remind " + v; };
    }
};

} // namespace

TEST(Versioner, ShowsTheLocalNotesOnceAfterAnUpdate)
{
    const QByteArray notes = plistlibDump(
        QStringLiteral("{'1.2': 'Old', '1.3': ['Faster saving', 'Fewer crashes'], '1.4': 'New grid', '1.1': 7}"),
        QStringLiteral("XML"));
    {
        // The very first launch only records the version.
        PromptWorld world;
        world.application.version = QStringLiteral("1.4");
        writeFile(world.resourcesFolder() + QStringLiteral("/notes.plist"), notes);
        auto versioner = makeVersioner(world);
        versioner->localVersionsPlistPath = QStringLiteral("notes.plist");
        versioner->checkIfNewVersion();
        EXPECT_EQ(world.prompter.sheetCount, 0);
        EXPECT_EQ(versioner->lastVersion(), QStringLiteral("1.4"));
    }
    {
        // Shown on the first launch too, a missing version counts as older than any.
        PromptWorld world;
        world.application.version = QStringLiteral("1.4");
        writeFile(world.resourcesFolder() + QStringLiteral("/notes.plist"), notes);
        auto versioner = makeVersioner(world);
        versioner->localVersionsPlistPath = QStringLiteral("notes.plist");
        versioner->showOnFirstLaunch = true;
        versioner->checkIfNewVersion();
        ASSERT_EQ(world.prompter.sheetCount, 1);
        EXPECT_EQ(world.prompter.alerts[0].accessory->text, QStringLiteral("New grid\nFaster saving\nFewer crashes\nOld"));
    }
    for (const bool grouped : {false, true}) {
        PromptWorld world;
        world.application.version = QStringLiteral("1.4");
        // Found as the program's resource in a language folder.
        writeFile(world.resourcesFolder() + QStringLiteral("/en.lproj/notes.plist"), notes);
        auto versioner = makeVersioner(world);
        versioner->localVersionsPlistPath = QStringLiteral("notes.plist");
        versioner->groupNotesByVersion = grouped;
        versioner->setLastVersion(QStringLiteral("1.2"));
        versioner->setLastReminded(world.now);
        world.prompter.holdSheets = true;
        versioner->checkIfNewVersion();
        ASSERT_EQ(world.prompter.sheetCount, 1);
        const AlertRequest& alert = world.prompter.alerts[0];
        EXPECT_EQ(alert.messageText, QStringLiteral("New in this version"));
        EXPECT_EQ(alert.buttons, QStringList {QStringLiteral("OK")});
        ASSERT_TRUE(alert.accessory.has_value());
        EXPECT_EQ(alert.accessory->text, grouped ? QStringLiteral("Version 1.4\n\nNew grid\n\nVersion 1.3\n\nFaster saving\nFewer crashes")
                                                 : QStringLiteral("New grid\nFaster saving\nFewer crashes"));
        EXPECT_FALSE(versioner->lastReminded().isValid());
        EXPECT_EQ(versioner->lastVersion(), QStringLiteral("1.2")) << "seen only once dismissed";
        world.prompter.finishHeldSheet(0);
        EXPECT_EQ(versioner->lastVersion(), QStringLiteral("1.4"));
        EXPECT_FALSE(versioner->hasVisibleLocalAlert());
    }
}

TEST(Versioner, OffersTheStoresVersionWithTheNotesOfTheList)
{
    PromptService service;
    const QJsonObject entry {{QStringLiteral("bundleId"), QStringLiteral("com.quiverleaf.Quiverleaf")},
                             {QStringLiteral("trackId"), 77},
                             {QStringLiteral("version"), QStringLiteral("2.0")},
                             {QStringLiteral("releaseNotes"), QStringLiteral("Store notes")},
                             {QStringLiteral("minimumOsVersion"), QStringLiteral("10.0")}};
    service.script({PromptService::rule(QStringLiteral("/DE/lookup"), {PromptService::response(200, storeAnswer(entry))}),
                    PromptService::rule(QStringLiteral("/versions.plist"),
                                        {PromptService::response(200, plistlibDump(QStringLiteral("{'2.0': 'Two', '2.1': 'Two one', '1.5': 'Old'}"),
                                                                                   QStringLiteral("BINARY")))})});
    PromptWorld world;
    world.lookupBaseUrl = service.baseUrl();
    world.systemVersion = QStringLiteral("10");
    Heard heard;
    auto versioner = makeVersioner(world);
    versioner->setDelegate(heard.delegate);
    versioner->remoteVersionsPlistURL = service.baseUrl().toString() + QStringLiteral("/versions.plist");
    world.prompter.answerAlert(0);
    versioner->checkForNewVersion();
    ASSERT_TRUE(waitUntil([&] { return !versioner->checkingForNewVersion(); }));
    EXPECT_EQ(service.requests(), (QStringList {QStringLiteral("/DE/lookup?bundleId=com.quiverleaf.Quiverleaf"),
                                                QStringLiteral("/versions.plist")}));
    EXPECT_TRUE(world.logged(QStringLiteral("Versioner will check %1 for release notes").arg(versioner->remoteVersionsPlistURL)));
    EXPECT_EQ(versioner->appStoreID(), 77u);
    EXPECT_EQ(versioner->lastChecked(), world.now);
    ASSERT_EQ(world.prompter.sheetCount, 1);
    const AlertRequest& alert = world.prompter.alerts[0];
    EXPECT_EQ(alert.messageText, QStringLiteral("New version available (2.0)")) << "2.1 is not in the store yet";
    EXPECT_EQ(alert.informativeText, QStringLiteral("New in this version"));
    EXPECT_EQ(alert.accessory->text, QStringLiteral("Two\nOld"));
    EXPECT_EQ(alert.buttons, (QStringList {QStringLiteral("Download"), QStringLiteral("Ignore"), QStringLiteral("Remind Me Later")}));

    ASSERT_TRUE(waitUntil([&] { return !versioner->hasVisibleRemoteAlert(); }));
    EXPECT_EQ(heard.calls, (QStringList {QStringLiteral("detect 2.0"), QStringLiteral("download 2.0")}));
    EXPECT_EQ(world.workspace.openedUrls, QList<QUrl> {QUrl(QStringLiteral("macappstore://store.test/app/id77"))});
    EXPECT_EQ(world.scheduler.delays(), std::vector<int> {500}) << "the store-start poll";

    // The second check asks by identifier.
    versioner->checkForNewVersion();
    ASSERT_TRUE(waitUntil([&] { return !versioner->checkingForNewVersion(); }));
    EXPECT_EQ(service.requests().at(2), QStringLiteral("/DE/lookup?id=77"));
}

TEST(Versioner, ButtonsFollowThePriorityAndARemindQuietsTheChecks)
{
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("'Fixed the problem number %1 in a rather long sentence.'").arg(i);
    PromptService service;
    service.script({PromptService::rule(QStringLiteral("/versions.plist"),
                                        {PromptService::response(200, plistlibDump(QStringLiteral("{'2.0': [%1]}").arg(lines.join(u',')),
                                                                                   QStringLiteral("XML")))})});
    PromptWorld world; // no look-up service: only the list is asked
    Heard heard;
    auto versioner = makeVersioner(world);
    versioner->setDelegate(heard.delegate);
    versioner->remoteVersionsPlistURL = service.baseUrl().toString() + QStringLiteral("/versions.plist");
    versioner->updatePriority = 2;
    versioner->checkPeriod = 0.5f;
    world.prompter.answerAlert(1);
    versioner->checkForNewVersion();
    world.scheduler.runPending();
    ASSERT_TRUE(waitUntil([&] { return world.prompter.sheetCount == 1 && !versioner->hasVisibleRemoteAlert(); }));
    const AlertRequest& alert = world.prompter.alerts[0];
    EXPECT_EQ(alert.buttons, (QStringList {QStringLiteral("Download"), QStringLiteral("Remind Me Later")}));
    EXPECT_EQ(alert.accessory->size, QSizeF(380, 203)) << "long notes scroll";
    EXPECT_EQ(heard.calls.last(), QStringLiteral("remind 2.0"));
    EXPECT_EQ(versioner->lastReminded(), world.now);

    world.advanceDays(0.6);
    EXPECT_FALSE(versioner->shouldCheckForNewVersion()) << "the remind period, not the check period";
    world.advanceDays(0.5);
    EXPECT_TRUE(versioner->shouldCheckForNewVersion());
    versioner->setLastReminded(QDateTime());
    versioner->setLastChecked(world.now);
    world.advanceDays(0.4);
    EXPECT_FALSE(versioner->shouldCheckForNewVersion());

    // An ignored version is told to the delegate but not shown again.
    versioner->setIgnoredVersion(QStringLiteral("2.0"));
    heard.calls.clear();
    versioner->checkForNewVersion();
    world.scheduler.runPending();
    ASSERT_TRUE(waitUntil([&] { return !versioner->checkingForNewVersion(); }));
    EXPECT_EQ(heard.calls, QStringList {QStringLiteral("detect 2.0")});
    EXPECT_EQ(world.prompter.sheetCount, 1);
}

TEST(Versioner, FailedChecksAreLoggedAndToldWithoutAnAlert)
{
    PromptService service;
    const QJsonObject entry {{QStringLiteral("bundleId"), QStringLiteral("com.quiverleaf.Quiverleaf")},
                             {QStringLiteral("version"), QStringLiteral("2.0")},
                             {QStringLiteral("minimumOsVersion"), QStringLiteral("15.0")}};
    service.script({PromptService::rule(QStringLiteral("/DE/lookup"), {PromptService::response(200, storeAnswer(entry))}),
                    PromptService::rule(QStringLiteral("/eu/lookup"), {PromptService::response(404, "<html>gone</html>")})});
    PromptWorld world;
    world.lookupBaseUrl = service.baseUrl();
    world.systemVersion = QStringLiteral("14.2");
    Heard heard;
    auto versioner = makeVersioner(world);
    versioner->setDelegate(heard.delegate);
    versioner->checkForNewVersion();
    ASSERT_TRUE(waitUntil([&] { return !versioner->checkingForNewVersion(); }));
    EXPECT_EQ(heard.calls, QStringList {QStringLiteral("failed")});
    ASSERT_TRUE(heard.failure.has_value());
    EXPECT_EQ(heard.failure->domain, versionerErrorDomain);
    EXPECT_EQ(heard.failure->code, 3);
    EXPECT_TRUE(world.logged(QStringLiteral("Versioner update check failed because: Current OS version is not supported.")));
    EXPECT_EQ(world.prompter.sheetCount, 0);
    EXPECT_EQ(versioner->lastChecked(), world.now);

    // A status error is a failure without an error; the older delegate name
    // stands in when the newer is missing.
    heard.delegate->versionerVersionCheckDidFailWithError = nullptr;
    int oldNameCalls = 0;
    heard.delegate->versionerVersionCheckFailed = [&](const std::optional<Error>& error) {
        ++oldNameCalls;
        EXPECT_FALSE(error.has_value());
    };
    versioner->setAppStoreCountry(QStringLiteral("eu"));
    versioner->checkForNewVersion();
    ASSERT_TRUE(waitUntil([&] { return !versioner->checkingForNewVersion(); }));
    EXPECT_EQ(oldNameCalls, 1);
    EXPECT_TRUE(world.logged(QStringLiteral("Versioner update check failed because an unknown error occured")));
    EXPECT_TRUE(world.logged(QStringLiteral("VersionerVersionCheckFailed: delegate method is deprecated, use "
                                            "VersionerVersionCheckDidFailWithError: instead")));
    EXPECT_EQ(world.prompter.sheetCount, 0);
}
