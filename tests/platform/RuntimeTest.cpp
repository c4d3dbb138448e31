#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/Uuid.h"
#include "support/KeptWarnings.h"
#include "support/SpecialFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <limits>

using ql::Notification;
using ql::NotificationCenter;

TEST(NotificationCenter, FiltersByNameAndSenderAndEndsWithItsContext)
{
    NotificationCenter& center = NotificationCenter::defaultCenter();
    QObject documentA;
    QObject documentB;
    QStringList seen;
    auto context = std::make_unique<QObject>();
    center.addObserver(context.get(), QStringLiteral("openPage"), &documentA,
                       [&](const Notification& n) { seen << QStringLiteral("A:") + n.userInfo.value("page").toString(); });
    center.addObserver(context.get(), QStringLiteral("redrawLayerThumbs"), nullptr,
                       [&](const Notification&) { seen << QStringLiteral("thumbs"); });

    center.post(QStringLiteral("openPage"), &documentA, {{QStringLiteral("page"), 2}});
    center.post(QStringLiteral("openPage"), &documentB, {{QStringLiteral("page"), 3}});
    center.post(QStringLiteral("redrawLayerThumbs"), &documentB);
    EXPECT_EQ(seen, (QStringList{QStringLiteral("A:2"), QStringLiteral("thumbs")}));

    context.reset();
    center.post(QStringLiteral("redrawLayerThumbs"));
    EXPECT_EQ(seen.size(), 2);
}

namespace {

// Counts what is connected to its destruction.
class CountedContext : public QObject {
public:
    int destroyedReceivers() const { return receivers(SIGNAL(destroyed(QObject*))); }
};

} // namespace

TEST(NotificationCenter, RemovedObserversLeaveNothingOnTheirContext)
{
    NotificationCenter& center = NotificationCenter::defaultCenter();
    CountedContext inspector;
    const int before = inspector.destroyedReceivers();
    int calls = 0;
    for (int i = 0; i < 50; ++i) {
        const quint64 id = center.addObserver(&inspector, QStringLiteral("selectionChanged"), nullptr,
                                              [&](const Notification&) { ++calls; });
        center.removeObserver(id);
        center.addObserver(&inspector, QStringLiteral("selectionChanged"), nullptr, [&](const Notification&) { ++calls; });
        center.removeObservers(&inspector);
    }
    EXPECT_EQ(inspector.destroyedReceivers(), before);
    center.post(QStringLiteral("selectionChanged"));
    EXPECT_EQ(calls, 0);
}

TEST(NotificationCenter, DeliversInOrderOfAdditionWhileObserversComeAndGo)
{
    NotificationCenter center;
    QObject context;
    QStringList seen;
    quint64 later = 0;
    const auto add = [&](const QString& name, const QString& mark) {
        return center.addObserver(&context, name, nullptr, [&seen, mark](const Notification& n) { seen << mark + n.name; });
    };
    add(QStringLiteral("A"), QStringLiteral("1"));
    add(QString(), QStringLiteral("every:"));
    center.addObserver(&context, QStringLiteral("A"), nullptr, [&](const Notification&) {
        // Removed before its turn: not called; added now: waits for the next post.
        center.removeObserver(later);
        add(QStringLiteral("A"), QStringLiteral("new"));
    });
    later = add(QStringLiteral("A"), QStringLiteral("2"));
    center.post(QStringLiteral("A"));
    center.post(QStringLiteral("A"));
    EXPECT_EQ(seen, (QStringList {"1A", "every:A", "1A", "every:A", "newA"}));
}

TEST(Deferred, RunsLaterButNeverAfterItsContextIsGone)
{
    int ran = 0;
    auto context = std::make_unique<QObject>();
    QObject survivor;
    ql::after(0, context.get(), [&] { ran += 1; });
    ql::after(10, &survivor, [&] { ran += 10; });
    EXPECT_EQ(ran, 0) << "nothing runs before the event loop does";
    context.reset();
    ql::DeferredCalls::instance().flush();
    EXPECT_EQ(ran, 10);
    EXPECT_EQ(ql::DeferredCalls::instance().pendingCount(), 0);

    // The real timer path.
    bool fired = false;
    ql::after(1, &survivor, [&] { fired = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return fired; }, 5000));
}

TEST(Deferred, FlushRunsEveryPendingCallHoweverManyAndDropsThoseOfGoneContexts)
{
    int ran = 0;
    {
        QObject closedDocument;
        for (int i = 0; i < 12000; ++i)
            ql::after(0, &closedDocument, [&] { ran += 1000; });
    }
    EXPECT_EQ(ql::DeferredCalls::instance().pendingCount(), 0) << "calls that can never run do not linger";
    QObject survivor;
    for (int i = 0; i < 12000; ++i)
        ql::after(i % 7, &survivor, [&] { ++ran; });
    // A call that re-arms itself for ever still lets the flush end.
    std::function<void()> rearm;
    rearm = [&] { ql::after(0, &survivor, rearm); };
    ql::after(0, &survivor, rearm);
    ql::DeferredCalls::instance().flush();
    EXPECT_EQ(ran, 12000);
}

TEST(Deferred, FlushRunsTheCallsThatEachPendingCallSchedules)
{
    // Many windows each due to refresh later, each refresh asking for one
    // more at once: the flush runs them all, in one pass over the queue.
    QObject survivor;
    constexpr int kCalls = 100000;
    int first = 0;
    int second = 0;
    for (int i = 0; i < kCalls; ++i)
        ql::after(1000, &survivor, [&] {
            ++first;
            ql::after(0, &survivor, [&] { ++second; });
        });
    ql::DeferredCalls::instance().flush();
    EXPECT_EQ(first, kCalls);
    EXPECT_EQ(second, kCalls);
    EXPECT_EQ(ql::DeferredCalls::instance().pendingCount(), 0);

    // Calls that each schedule two more would double for ever: the flush still ends.
    std::function<void()> spread;
    spread = [&] {
        ql::after(0, &survivor, spread);
        ql::after(0, &survivor, spread);
    };
    ql::after(0, &survivor, spread);
    ql::DeferredCalls::instance().flush();
    EXPECT_GT(ql::DeferredCalls::instance().pendingCount(), 0);
}

TEST(Deferred, ThousandsOfPendingCallsWaitBehindOneTimerAndRunInTheirOrder)
{
    QObject survivor;
    std::vector<int> order;
    constexpr int kCalls = 20000;
    // Later calls first: due time decides, then the order of scheduling.
    for (int i = 0; i < kCalls; ++i)
        ql::after(i < kCalls / 2 ? 1000 : 0, &survivor, [&order, i] { order.push_back(i); });
    EXPECT_LE(ql::DeferredCalls::instance().findChildren<QTimer*>().size(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return int(order.size()) == kCalls; }, 60000));
    EXPECT_EQ(ql::DeferredCalls::instance().pendingCount(), 0);
    std::vector<int> expected;
    for (int i = kCalls / 2; i < kCalls; ++i)
        expected.push_back(i);
    for (int i = 0; i < kCalls / 2; ++i)
        expected.push_back(i);
    EXPECT_EQ(order, expected);

    // A call scheduled while calls run waits for a later turn of the loop,
    // behind every call already due.
    std::vector<QString> seen;
    ql::after(0, &survivor, [&] {
        seen.push_back(QStringLiteral("first"));
        ql::after(0, &survivor, [&] { seen.push_back(QStringLiteral("scheduled by first")); });
    });
    ql::after(0, &survivor, [&] { seen.push_back(QStringLiteral("second")); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 3; }, 5000));
    EXPECT_EQ(seen, (std::vector<QString> {"first", "second", "scheduled by first"}));
}

TEST(UserDefaults, StoredValuesKeepKindsAndOutliveTheStore)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("prefs/defaults.qldefaults"));
    {
        ql::UserDefaults defaults(path);
        defaults.registerDefaults({{QStringLiteral("unitsType"), 2}, {QStringLiteral("showGuides"), true}});
        defaults.setInteger(QStringLiteral("unitsType"), 1);
        defaults.setDouble(QStringLiteral("zoom"), 1.5);
        defaults.setObject(QStringLiteral("exportFolder"), QStringLiteral("/tmp/out"));
        defaults.setObject(QStringLiteral("blob"), QByteArray("\x00\x01\x02", 3));
        defaults.setObject(QStringLiteral("list"), QVariantList{1, QStringLiteral("two"), 3.5});
        defaults.setBool(QStringLiteral("snapToGuides"), false);
    }
    ql::UserDefaults fresh(path);
    EXPECT_EQ(fresh.objectForKey(QStringLiteral("unitsType")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(fresh.integerForKey(QStringLiteral("unitsType")), 1);
    EXPECT_EQ(fresh.objectForKey(QStringLiteral("zoom")).typeId(), QMetaType::Double);
    EXPECT_EQ(fresh.stringForKey(QStringLiteral("exportFolder")), QStringLiteral("/tmp/out"));
    EXPECT_EQ(fresh.dataForKey(QStringLiteral("blob")), QByteArray("\x00\x01\x02", 3));
    EXPECT_EQ(fresh.arrayForKey(QStringLiteral("list")).size(), 3);
    EXPECT_FALSE(fresh.boolForKey(QStringLiteral("snapToGuides")));
    EXPECT_FALSE(fresh.objectForKey(QStringLiteral("showGuides")).isValid()) << "registrations are per process";

    // Registered defaults never overwrite stored values.
    fresh.registerDefaults({{QStringLiteral("unitsType"), 0}, {QStringLiteral("showGuides"), true}});
    EXPECT_EQ(fresh.integerForKey(QStringLiteral("unitsType")), 1);
    EXPECT_TRUE(fresh.boolForKey(QStringLiteral("showGuides")));
    EXPECT_FALSE(fresh.hasStoredValue(QStringLiteral("showGuides")));
    fresh.removeObjectForKey(QStringLiteral("unitsType"));
    EXPECT_EQ(fresh.integerForKey(QStringLiteral("unitsType")), 0);
}

TEST(UserDefaults, IntegersFromHugeOrNaNRealsStayInRange)
{
    QTemporaryDir dir;
    ql::UserDefaults defaults(dir.filePath(QStringLiteral("defaults.qldefaults")));
    defaults.setDouble(QStringLiteral("big"), 1e300);
    defaults.setDouble(QStringLiteral("small"), -1e300);
    defaults.setDouble(QStringLiteral("nan"), std::numeric_limits<double>::quiet_NaN());
    defaults.setObject(QStringLiteral("unsigned"), QVariant(qulonglong(1) << 63));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("big")), std::numeric_limits<qint64>::max());
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("small")), std::numeric_limits<qint64>::min());
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("nan")), 0);
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("unsigned")), std::numeric_limits<qint64>::max());
}

TEST(UserDefaults, ADamagedStoreReadsAsEmpty)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.qldefaults"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("garbage that is not a store");
    file.close();
    ql::UserDefaults defaults(path);
    EXPECT_FALSE(defaults.objectForKey(QStringLiteral("anything")).isValid());
    defaults.setBool(QStringLiteral("editMode"), true);
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("editMode")));
}

// A pipe, a socket or a link to a pipe where the store belongs stands for a
// device too: the program starts with what was registered, says so once,
// keeps the session's changes in memory and never writes there.
TEST(UserDefaults, AStoreThatIsNoRegularFileIsNeitherWaitedOnNorReplaced)
{
    using namespace std::chrono_literals;
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_TRUE(ql::testing::makeFifo(pipe));
    ASSERT_TRUE(ql::testing::makeSocket(dir.filePath(QStringLiteral("socket"))));
    ASSERT_TRUE(QFile::link(pipe, dir.filePath(QStringLiteral("link"))));
    for (const char* name : {"pipe", "socket", "link"}) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QString::fromLatin1(name));
        const ql::testing::KeptWarnings warnings;
        const auto useStore = [&] {
            ql::UserDefaults defaults(path);
            defaults.registerDefaults({{QStringLiteral("unitsType"), 2}});
            EXPECT_EQ(defaults.integerForKey(QStringLiteral("unitsType")), 2);
            defaults.setInteger(QStringLiteral("unitsType"), 1);
            EXPECT_EQ(defaults.integerForKey(QStringLiteral("unitsType")), 1) << "kept for the session";
            EXPECT_FALSE(defaults.synchronize());
        };
        ASSERT_TRUE(ql::testing::returnsWithin(5s, useStore, pipe)) << "the store waited on the pipe";
        EXPECT_EQ(warnings.count(path), 1) << warnings.all();
    }
    EXPECT_TRUE(ql::testing::isFifo(pipe));
    EXPECT_TRUE(ql::testing::isSocket(dir.filePath(QStringLiteral("socket"))));
    EXPECT_EQ(QFileInfo(dir.filePath(QStringLiteral("link"))).symLinkTarget(), pipe);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), 3)
        << "nothing was written beside them";
}

TEST(Uuid, IsUpperCaseAndUnique)
{
    const QString a = ql::newUuidString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$")).match(a).hasMatch());
    EXPECT_NE(a, ql::newUuidString());
}
