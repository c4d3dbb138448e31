#include "PromptTestSupport.h"

#include "prompts/DelegateSlot.h"
#include "prompts/Notifier.h"
#include "prompts/Rater.h"
#include "prompts/JsonScanner.h"
#include "prompts/NotesAccessory.h"
#include "prompts/PromptStrings.h"
#include "prompts/RaterDelegate.h"
#include "prompts/StoreLookup.h"
#include "prompts/VersionComparison.h"
#include "prompts/Versioner.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

void writeTable(const QString& folder, const QString& pythonDict)
{
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/Localizable.strings"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(plistlibDump(pythonDict, QStringLiteral("XML")));
}

} // namespace

TEST(StorePlumbing, CountryCodesBecomeStoreRegions)
{
    EXPECT_EQ(storeCountryForCode(QStringLiteral("150")), QStringLiteral("eu"));
    EXPECT_EQ(storeCountryForCode(QStringLiteral("DE")), QStringLiteral("DE"));
    for (const char* code : {"DEU", "419", "", "D", "D1", "1D", "é!"})
        EXPECT_EQ(storeCountryForCode(QString::fromUtf8(code)), QStringLiteral("us")) << code;

    const QUrl base(QStringLiteral("http://127.0.0.1:8000"));
    EXPECT_EQ(storeLookupUrl(base, QStringLiteral("DE"), 0, QStringLiteral("com.quiverleaf.Quiverleaf")).toString(),
              QStringLiteral("http://127.0.0.1:8000/DE/lookup?bundleId=com.quiverleaf.Quiverleaf"));
    EXPECT_EQ(storeLookupUrl(base, QStringLiteral("eu"), 104712358, QStringLiteral("x")).toString(),
              QStringLiteral("http://127.0.0.1:8000/eu/lookup?id=104712358"));
    EXPECT_EQ(storePageUrl(QStringLiteral("store.test"), 42).toString(), QStringLiteral("macappstore://store.test/app/id42"));
}

TEST(StorePlumbing, ScannerReadsValuesOutOfAnswerText)
{
    const QString answer = QStringLiteral(R"({"a": "one, two", "n": 6014, "v": "last"})");
    EXPECT_EQ(scanJsonValue(QStringLiteral("a"), answer), QStringLiteral("one, two"));
    EXPECT_EQ(scanJsonValue(QStringLiteral("n"), answer), QStringLiteral("6014"));
    EXPECT_EQ(scanJsonValue(QStringLiteral("v"), answer), std::nullopt) << "no comma follows its colon";
    EXPECT_EQ(scanJsonValue(QStringLiteral("missing"), answer), std::nullopt);
    EXPECT_EQ(scanJsonValue(QStringLiteral("k"), QStringLiteral(R"({"k" 1, "x": 2, "y": 3})")), QStringLiteral("2"))
        << "the colon is the next one after the key";
    EXPECT_EQ(scanJsonValue(QStringLiteral("k"), QStringLiteral(R"("k")")), std::nullopt);

    EXPECT_EQ(scanJsonValue(QStringLiteral("notes"), QStringLiteral(R"({"notes": "Fixes\nMore", "x": 1})")),
              QStringLiteral("Fixes\nMore"));
    EXPECT_EQ(scanJsonValue(QStringLiteral("name"), QStringLiteral(R"({"name": "Caf\u00e9", "x": 1})")),
              QStringLiteral("Café"));
    EXPECT_EQ(scanJsonValue(QStringLiteral("p"), QStringLiteral(R"({"p": "a\/b \"q\" \\ \t", "x": 1})")),
              QStringLiteral("a/b \"q\" \\ \t"));
    // A short escape at the very end neither fails nor loops.
    const std::optional<QString> shortEscape = scanJsonValue(QStringLiteral("s"), QStringLiteral(R"({"s": "ab\u4", )"));
    ASSERT_TRUE(shortEscape.has_value());
    EXPECT_TRUE(shortEscape->startsWith(QStringLiteral("ab")));
    EXPECT_TRUE(scanJsonValue(QStringLiteral("s"), QStringLiteral(R"({"s": "\u005cu0041", )")).has_value());

    // Both kinds of store entry.
    const QVariantMap parsed {{QStringLiteral("trackId"), 42}};
    EXPECT_EQ(valueForKeyInJson(QStringLiteral("trackId"), parsed).toInt(), 42);
    EXPECT_EQ(storeNumber(valueForKeyInJson(QStringLiteral("trackId"), QStringLiteral(R"({"trackId": 42, })"))), 42u);
    EXPECT_FALSE(valueForKeyInJson(QStringLiteral("trackId"), QVariant()).isValid());
}

TEST(StorePlumbing, VersionsCompareByTheirNumbers)
{
    EXPECT_GT(compareVersion(QStringLiteral("1.10"), QStringLiteral("1.9")), 0);
    EXPECT_EQ(compareVersion(QStringLiteral("2.0"), QStringLiteral("2.0")), 0);
    EXPECT_LT(compareVersion(QStringLiteral("2.0"), QStringLiteral("2.0.1")), 0);
    EXPECT_LT(compareVersion(QStringLiteral("1.2b"), QStringLiteral("1.2c")), 0);
    EXPECT_LT(compareVersionDescending(QStringLiteral("3"), QStringLiteral("2")), 0);
    EXPECT_TRUE(isNewerVersion(QStringLiteral("0.1"), std::nullopt)) << "a missing version is older than any";
    EXPECT_FALSE(isNewerVersion(QStringLiteral("1.9"), QStringLiteral("1.10")));
    EXPECT_EQ(Versioner::URLEncodedString(QStringLiteral("a b!*'();:@&=+$,/?%#[]\"~-._é")),
              QStringLiteral("a%20b%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D%22~-._%C3%A9"));
}

TEST(StorePlumbing, AnswersAreReadOnlyWithStatus200)
{
    HttpAnswer notFound {404, QByteArrayLiteral("<html>missing</html>"), std::nullopt};
    const StoreAnswer rating = readStoreAnswer(notFound, true);
    ASSERT_TRUE(rating.error.has_value());
    EXPECT_EQ(rating.error->domain, httpResponseErrorDomain);
    EXPECT_EQ(rating.error->code, 404);
    EXPECT_EQ(rating.error->message, QStringLiteral("The server returned a 404 error"));
    EXPECT_FALSE(readStoreAnswer(notFound, false).error.has_value());
    EXPECT_FALSE(readStoreAnswer(notFound, false).read);

    const StoreAnswer garbage = readStoreAnswer({200, QByteArrayLiteral("not json"), std::nullopt}, false);
    ASSERT_TRUE(garbage.error.has_value());
    EXPECT_EQ(garbage.error->domain, jsonErrorDomain);

    const StoreAnswer two = readStoreAnswer(
        {200, QByteArrayLiteral(R"({"results": [{"trackId": 1}, {"trackId": 2}]})"), std::nullopt}, true);
    EXPECT_EQ(valueForKeyInJson(QStringLiteral("trackId"), two.entry).toInt(), 2) << "the last entry counts";
    EXPECT_FALSE(readStoreAnswer({200, QByteArrayLiteral(R"({"results": []})"), std::nullopt}, true).entry.isValid());
    EXPECT_FALSE(readStoreAnswer({200, QByteArrayLiteral("[1, 2]"), std::nullopt}, true).entry.isValid());
    EXPECT_EQ(readStoreAnswer({200, QByteArrayLiteral(R"({"a": 1, })"), std::nullopt}, true, false).entry.toString(),
              QStringLiteral(R"({"a": 1, })"));
}

TEST(StorePlumbing, TextsComeFromThePromptTablesThenTheProgramsThenTheDefault)
{
    PromptWorld world;
    world.languages = QStringList {QStringLiteral("pt-BR"), QStringLiteral("en")};
    const QString bundle = world.resourcesFolder() + QStringLiteral("/Rater.bundle");
    writeTable(bundle + QStringLiteral("/pt.lproj"), QStringLiteral("{'RaterRateButton': 'Avaliar', 'RaterCancelButton': 'Não'}"));
    writeTable(bundle + QStringLiteral("/en.lproj"), QStringLiteral("{'RaterRateButton': 'Rate'}"));
    writeTable(world.resourcesFolder(), QStringLiteral("{'RaterCancelButton': 'Nein danke'}"));
    const PromptEnvironment env = world.environment().resolved();

    PromptStrings strings(QStringLiteral("Rater"));
    EXPECT_EQ(strings.localizedString(env, true, QStringLiteral("RaterRateButton"), QStringLiteral("Rate It Now")),
              QStringLiteral("Avaliar")) << "pt-BR falls back to pt";
    EXPECT_EQ(strings.localizedString(env, true, QStringLiteral("RaterCancelButton"), QStringLiteral("No, Thanks")),
              QStringLiteral("Nein danke")) << "the program's table wins";
    EXPECT_EQ(strings.localizedString(env, true, QStringLiteral("RaterRemindButton"), QStringLiteral("Remind Me Later")),
              QStringLiteral("Remind Me Later"));

    // Without all languages, the tables choose: the first preferred they have.
    world.languages = QStringList {QStringLiteral("fr"), QStringLiteral("en")};
    PromptStrings own(QStringLiteral("Rater"));
    EXPECT_EQ(own.localizedString(world.environment().resolved(), false, QStringLiteral("RaterRateButton"), QString()),
              QStringLiteral("Rate"));
    // No prompt bundle at all: the program's tables, then the default.
    PromptStrings missing(QStringLiteral("Versioner"));
    EXPECT_EQ(missing.localizedString(env, true, QStringLiteral("VersionerOKButton"), QStringLiteral("OK")), QStringLiteral("OK"));
}

TEST(StorePlumbing, StorePageOpensAgainOnceTheStoreRuns)
{
    PromptWorld world;
    int passes = 0;
    world.storeRunning = [&] { return ++passes == 3; };
    PromptEnvironment env = world.environment().resolved();
    QObject context;
    const QUrl page(QStringLiteral("macappstore://store.test/app/id42"));
    openAppPageWhenAppStoreLaunched(env, &context, [&] { return page; });
    EXPECT_EQ(world.scheduler.delays(), std::vector<int> {500});
    world.scheduler.runPending();
    EXPECT_EQ(world.scheduler.delays(), std::vector<int> {500});
    world.scheduler.runPending();
    EXPECT_EQ(passes, 3);
    EXPECT_EQ(world.scheduler.delays(), std::vector<int> {5000});
    EXPECT_TRUE(world.workspace.openedUrls.isEmpty());
    world.scheduler.runPending();
    EXPECT_EQ(world.workspace.openedUrls, QList<QUrl> {page});
    EXPECT_EQ(world.scheduler.pendingCount(), 0u);

    // A store that never starts: polled for a minute, then left alone.
    passes = 0;
    world.storeRunning = [&] { ++passes; return false; };
    env = world.environment().resolved();
    openAppPageWhenAppStoreLaunched(env, &context, [&] { return page; });
    while (world.scheduler.runPending() > 0) {
    }
    EXPECT_EQ(passes, 121);
    EXPECT_EQ(world.workspace.openedUrls.size(), 1);
}

TEST(StorePlumbing, NotesAccessoryGrowsWithItsTextUpTo203Points)
{
    const QSizeF small = notesAccessorySize(QStringLiteral("One fix."));
    EXPECT_EQ(small.width(), 380.0);
    EXPECT_GT(small.height(), 3.0);
    EXPECT_LT(small.height(), 40.0);
    QStringList lines;
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("Fixed a problem that made line %1 of the notes long.").arg(i);
    const QSizeF tall = notesAccessorySize(lines.join(u'\n'));
    EXPECT_EQ(tall, QSizeF(380.0, 203.0));
}

TEST(StorePlumbing, ThePromptTakesTheProgramsDelegateWhenItHasNone)
{
    PromptWorld world;
    auto application = std::make_shared<ApplicationDelegate>();
    application->rater = std::make_shared<RaterDelegate>();
    PromptEnvironment env = world.environment();
    env.applicationDelegate = application;
    DelegateSlot<RaterDelegate> slot(&ApplicationDelegate::rater);
    EXPECT_EQ(slot.get(env), application->rater);
    auto own = std::make_shared<RaterDelegate>();
    slot.set(own);
    EXPECT_EQ(slot.get(env), own);
    own.reset();
    EXPECT_EQ(slot.get(env), application->rater) << "a delegate that is gone falls back again";
    application.reset();
    EXPECT_EQ(slot.get(env), nullptr) << "held weakly: gone with the program's delegate";
}

TEST(StorePlumbing, LoadMakesEachPromptOnceAndStartsItOnTheNextTurn)
{
    // The shared prompts live as long as the process, and so must their world.
    static PromptWorld& world = *new PromptWorld;
    Rater::load(world.environment());
    Versioner::load(world.environment());
    Notifier::load(world.environment());
    EXPECT_EQ(world.scheduler.delays(), (std::vector<int> {0, 0})) << "the rating and version prompts launch";
    Rater& rater = Rater::sharedInstance();
    Rater::load(PromptEnvironment {});
    EXPECT_EQ(&Rater::sharedInstance(), &rater);
    EXPECT_EQ(rater.applicationBundleID(), QStringLiteral("com.quiverleaf.Quiverleaf"));
    EXPECT_EQ(rater.appStoreCountry(), QStringLiteral("DE"));
    EXPECT_EQ(Notifier::sharedInstance().applicationVersion(), QStringLiteral("1.0"));
    world.scheduler.runPending();
    EXPECT_EQ(rater.usesCount(), 1u);
    EXPECT_EQ(Versioner::sharedInstance().lastVersion(), QStringLiteral("1.0"));
}
