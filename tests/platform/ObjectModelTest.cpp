#include "TestModels.h"

#include <gtest/gtest.h>
#include <limits>

using ql::KeyValueChange;

TEST(ObjectModel, ValuesByKeyKeepTheirKinds)
{
    TestPage page;
    EXPECT_EQ(page.valueForKey(u"drawingMode").typeId(), QMetaType::Int);
    EXPECT_EQ(page.valueForKey(u"leftMargin").typeId(), QMetaType::Double);
    EXPECT_EQ(page.valueForKey(u"bleedMargin").typeId(), QMetaType::Float);
    EXPECT_EQ(page.valueForKey(u"fullBleed").typeId(), QMetaType::Bool);
    EXPECT_FALSE(page.valueForKey(u"name").isValid()) << "a null string reads as null";
    EXPECT_FALSE(page.valueForKey(u"rowNumber").isValid());

    // Numbers convert to the property's own kind, as the platform's number objects do.
    ASSERT_TRUE(page.setValueForKey(u"leftMargin", 48));
    EXPECT_EQ(page.leftMargin(), 48.0);
    ASSERT_TRUE(page.setValueForKey(u"bleedMargin", 36.123456789));
    EXPECT_EQ(page.valueForKey(u"bleedMargin").toDouble(), static_cast<double>(36.123456789f));
    ASSERT_TRUE(page.setValueForKey(u"drawingMode", 2.0));
    EXPECT_EQ(page.drawingMode(), 2);
    ASSERT_TRUE(page.setValueForKey(u"rowNumber", 3));
    EXPECT_EQ(page.rowNumber().toInt(), 3);
    ASSERT_TRUE(page.setValueForKey(u"rowNumber", QVariant()));
    EXPECT_FALSE(page.rowNumber().isValid());
}

TEST(ObjectModel, NumbersBeyondAnIntegerPropertyStopAtItsBounds)
{
    TestPage page;
    ASSERT_TRUE(page.setValueForKey(u"drawingMode", 1e20));
    EXPECT_EQ(page.drawingMode(), std::numeric_limits<int>::max());
    ASSERT_TRUE(page.setValueForKey(u"drawingMode", -1e20));
    EXPECT_EQ(page.drawingMode(), std::numeric_limits<int>::min());
    ASSERT_TRUE(page.setValueForKey(u"drawingMode", std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(page.drawingMode(), 0);
    ASSERT_TRUE(page.setValueForKey(u"drawingMode", qlonglong(1) << 32 | 1));
    EXPECT_EQ(page.drawingMode(), std::numeric_limits<int>::max()) << "not the low 32 bits";
    ASSERT_TRUE(page.setValueForKey(u"drawingMode", -7.9));
    EXPECT_EQ(page.drawingMode(), -7);
}

TEST(ObjectModel, KeyPathsFollowObjectProperties)
{
    TestPage master;
    TestPage page;
    page.setTemplateView(&master);
    ASSERT_TRUE(page.setValueForKeyPath(u"templateView.fullBleed", true));
    EXPECT_TRUE(master.fullBleed());
    EXPECT_EQ(page.valueForKeyPath(u"templateView.fullBleed"), QVariant(true));
    EXPECT_FALSE(page.valueForKeyPath(u"templateView.templateView.fullBleed").isValid());
}

TEST(ObjectModel, BadInputIsAReportedErrorThatChangesNothing)
{
    TestPage page;
    TestDocument document;

    ql::Status status = page.setValueForKey(u"noSuchKey", 1);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().code, ql::UnknownKey);
    EXPECT_TRUE(status.error().message.contains(QStringLiteral("noSuchKey")));

    status = page.setValueForKeyPath(u"templateView.fullBleed", true);
    ASSERT_FALSE(status);
    EXPECT_EQ(status.error().code, ql::NullInPath);

    status = page.setValueForKeyPath(u"nothing.fullBleed", true);
    EXPECT_EQ(status.error().code, ql::UnknownKey);

    const struct {
        const char16_t* key;
        QVariant value;
    } wrongKinds[] = {
        {u"leftMargin", QStringLiteral("wide")},
        {u"leftMargin", QVariant()},
        {u"fullBleed", QVariant::fromValue(static_cast<QObject*>(&document))},
        {u"name", 12},
        {u"templateView", QVariant::fromValue(static_cast<QObject*>(&document))},
        {u"templateView", 5},
    };
    for (const auto& wrong : wrongKinds) {
        status = page.setValueForKey(wrong.key, wrong.value);
        ASSERT_FALSE(status) << QString::fromUtf16(wrong.key).toStdString();
        EXPECT_EQ(status.error().code, ql::WrongKind);
    }
    EXPECT_EQ(page.leftMargin(), 36.0);
    EXPECT_FALSE(page.fullBleed());
    EXPECT_EQ(page.templateView(), nullptr);

    status = document.setValueForKey(u"pageCount", 4);
    EXPECT_EQ(status.error().code, ql::ReadOnlyKey);
}

TEST(ObjectModel, ObserversGetOldAndNewValues)
{
    TestPage page;
    QObject observer;
    std::vector<KeyValueChange> changes;
    page.addObserver(QStringLiteral("leftMargin"), &observer,
                     [&](const KeyValueChange& change) { changes.push_back(change); });
    page.setLeftMargin(48);
    ASSERT_TRUE(page.setValueForKey(u"leftMargin", 60));
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].keyPath, QStringLiteral("leftMargin"));
    EXPECT_EQ(changes[0].oldValue.toDouble(), 36.0);
    EXPECT_EQ(changes[0].newValue.toDouble(), 48.0);
    EXPECT_EQ(changes[1].oldValue.toDouble(), 48.0);

    // An announcement alone notifies, with equal values.
    page.willChangeValueForKey(QStringLiteral("leftMargin"));
    page.didChangeValueForKey(QStringLiteral("leftMargin"));
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[2].oldValue, changes[2].newValue);
}

TEST(ObjectModel, TwoLevelPathFollowsTheHeadAndDropsADetachedOne)
{
    TestDocument document;
    auto first = std::make_unique<TestPage>();
    TestPage second;
    second.setDrawingMode(5);
    document.setCurrentPage(first.get());

    QObject observer;
    std::vector<KeyValueChange> changes;
    document.addObserver(QStringLiteral("currentPage.drawingMode"), &observer,
                         [&](const KeyValueChange& change) { changes.push_back(change); });

    first->setDrawingMode(1); // the tail changes
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].oldValue.toInt(), 0);
    EXPECT_EQ(changes[0].newValue.toInt(), 1);

    document.setCurrentPage(&second); // the head changes
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].oldValue.toInt(), 1);
    EXPECT_EQ(changes[1].newValue.toInt(), 5);

    first->setDrawingMode(2); // the detached head no longer reports
    EXPECT_EQ(changes.size(), 2u);
    second.setDrawingMode(3);
    EXPECT_EQ(changes.size(), 3u);

    // A head that is destroyed while followed leaves no dangling watch.
    auto third = std::make_unique<TestPage>();
    document.setCurrentPage(third.get());
    third.reset();
    first->setDrawingMode(4);
    document.setCurrentPage(first.get());
    EXPECT_EQ(changes.back().newValue.toInt(), 4);
}

TEST(ObjectModel, DeadObserversAreRemovedAndObserversMayRemoveThemselves)
{
    TestPage page;
    int calls = 0;
    {
        QObject observer;
        page.addObserver(QStringLiteral("drawingMode"), &observer, [&](const KeyValueChange&) { ++calls; });
        page.setDrawingMode(1);
    }
    page.setDrawingMode(2);
    EXPECT_EQ(calls, 1);

    QObject observer;
    ql::ObservationId id = 0;
    id = page.addObserver(QStringLiteral("drawingMode"), &observer, [&](const KeyValueChange&) {
        ++calls;
        page.removeObserver(id);
    });
    page.setDrawingMode(3);
    page.setDrawingMode(4);
    EXPECT_EQ(calls, 2);
}

TEST(ObjectModel, AnObserverMayDeleteTheObjectItWatches)
{
    auto* page = new TestPage;
    QPointer<TestPage> watched(page);
    int calls = 0;
    page->addObserver(QStringLiteral("drawingMode"), nullptr, [&](const KeyValueChange&) {
        ++calls;
        delete page;
    });
    page->addObserver(QStringLiteral("drawingMode"), nullptr, [&](const KeyValueChange&) { ++calls; });
    page->setDrawingMode(1);
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(calls, 1) << "observations end with their object";
}

TEST(ObjectModel, ManyObserversOfOneKeyAreToldInOrderAfterOthersLeave)
{
    TestPage page;
    QList<int> told;
    std::vector<ql::ObservationId> ids;
    for (int i = 0; i < 300; ++i) {
        ids.push_back(page.addObserver(QStringLiteral("drawingMode"), nullptr,
                                       [&told, i](const KeyValueChange&) { told.append(i); }));
        page.addObserver(QStringLiteral("leftMargin"), nullptr, [&told](const KeyValueChange&) { told.append(-1); });
    }
    for (int i = 0; i < 300; i += 2)
        page.removeObserver(ids[size_t(i)]);
    page.setDrawingMode(1);
    ASSERT_EQ(told.size(), 150);
    for (int i = 0; i < 150; ++i)
        EXPECT_EQ(told[i], 2 * i + 1);

    // More leave, one joins: those left are told in turn, the newcomer last.
    told.clear();
    for (int i = 1; i < 300; i += 4)
        page.removeObserver(ids[size_t(i)]);
    page.addObserver(QStringLiteral("drawingMode"), nullptr, [&told](const KeyValueChange&) { told.append(1000); });
    page.setDrawingMode(2);
    QList<int> expected;
    for (int i = 3; i < 300; i += 4)
        expected.append(i);
    expected.append(1000);
    EXPECT_EQ(told, expected);
}

TEST(ObjectModel, AnObjectObservingItselfIsToldInTurnAndStopsWhenItSaysSo)
{
    TestPage page;
    TestPage master;
    page.setTemplateView(&master);
    QObject other;
    QStringList told;
    const auto note = [&told](const QString& who) {
        return [&told, who](const KeyValueChange& change) {
            told.append(QStringLiteral("%1 %2>%3").arg(who, change.oldValue.toString(), change.newValue.toString()));
        };
    };
    page.addObserver(QStringLiteral("drawingMode"), &other, note(QStringLiteral("before")));
    const ql::ObservationId own = page.addObserver(QStringLiteral("drawingMode"), &page, note(QStringLiteral("own")));
    page.addObserver(QStringLiteral("templateView.drawingMode"), &page, note(QStringLiteral("path")));
    page.addObserver(QStringLiteral("drawingMode"), nullptr, note(QStringLiteral("after")));

    // Nested announcements report once, from the outermost old value.
    page.willChangeValueForKey(QStringLiteral("drawingMode"));
    page.setDrawingMode(1);
    page.setDrawingMode(2);
    page.didChangeValueForKey(QStringLiteral("drawingMode"));
    EXPECT_EQ(told, QStringList({QStringLiteral("before 0>2"), QStringLiteral("own 0>2"), QStringLiteral("after 0>2")}));

    told.clear();
    master.setDrawingMode(7);
    page.removeObserver(own);
    page.setDrawingMode(3);
    EXPECT_EQ(told, QStringList({QStringLiteral("path 0>7"), QStringLiteral("before 2>3"), QStringLiteral("after 2>3")}));

    // Ending the object's own observations leaves everyone else's.
    page.addObserver(QStringLiteral("drawingMode"), &page, note(QStringLiteral("own")));
    page.removeObservers(&page);
    told.clear();
    master.setDrawingMode(8);
    page.setDrawingMode(4);
    EXPECT_EQ(told, QStringList({QStringLiteral("before 3>4"), QStringLiteral("after 3>4")}));

    // An own observer may end its object.
    auto* doomed = new TestPage;
    QPointer<TestPage> watched(doomed);
    doomed->addObserver(QStringLiteral("drawingMode"), doomed, [&](const KeyValueChange&) { delete doomed; });
    doomed->addObserver(QStringLiteral("drawingMode"), doomed, note(QStringLiteral("never")));
    doomed->setDrawingMode(1);
    EXPECT_TRUE(watched.isNull());
    EXPECT_FALSE(told.contains(QStringLiteral("never 0>1")));
}

namespace {

QStringList g_told;

void noteChange(const QString& who, const KeyValueChange& change)
{
    g_told.append(QStringLiteral("%1 %2>%3").arg(who, change.oldValue.toString(), change.newValue.toString()));
}

void noteOwnChange(ql::KVObject&, const KeyValueChange& change)
{
    noteChange(change.keyPath, change);
}

} // namespace

TEST(ObjectModel, AnObjectFollowsItsOwnPathsThroughObjectsThatAreReplacedOrGo)
{
    static const QStringList paths{QStringLiteral("currentPage.drawingMode"), QStringLiteral("pageCount")};
    const QString own = paths.first();
    g_told.clear();
    TestDocument document;
    TestPage first;
    first.setDrawingMode(1);
    document.setCurrentPage(&first);
    document.observeOwnKeyPaths(paths, noteOwnChange);
    QObject other;
    document.addObserver(own, &other, [](const KeyValueChange& change) { noteChange(QStringLiteral("outside"), change); });

    // The tail changes, once for nested announcements; own observers come first.
    first.setDrawingMode(2);
    first.willChangeValueForKey(QStringLiteral("drawingMode"));
    first.setDrawingMode(3);
    first.setDrawingMode(4);
    first.didChangeValueForKey(QStringLiteral("drawingMode"));
    EXPECT_EQ(g_told, QStringList({own + QStringLiteral(" 1>2"), QStringLiteral("outside 1>2"),
                                   own + QStringLiteral(" 2>4"), QStringLiteral("outside 2>4")}));

    // A replaced head is followed and the old one no longer reports.
    g_told.clear();
    auto second = std::make_unique<TestPage>();
    second->setDrawingMode(9);
    document.setCurrentPage(second.get());
    first.setDrawingMode(5);
    EXPECT_EQ(g_told, QStringList({own + QStringLiteral(" 4>9"), QStringLiteral("outside 4>9")}));

    // A head that goes while followed leaves no watch behind.
    g_told.clear();
    second.reset();
    document.setCurrentPage(&first);
    first.setDrawingMode(6);
    EXPECT_EQ(g_told, QStringList({own + QStringLiteral(" >5"), QStringLiteral("outside >5"),
                                   own + QStringLiteral(" 5>6"), QStringLiteral("outside 5>6")}));

    // An object that goes before the head it follows leaves no watch on it.
    g_told.clear();
    auto gone = std::make_unique<TestDocument>();
    gone->setCurrentPage(&first);
    gone->observeOwnKeyPaths(paths, noteOwnChange);
    gone.reset();
    first.setDrawingMode(7);
    EXPECT_EQ(g_told, QStringList({own + QStringLiteral(" 6>7"), QStringLiteral("outside 6>7")}));

    // Ending its own observations ends the followed paths too.
    g_told.clear();
    document.removeObservers(&document);
    first.setDrawingMode(8);
    EXPECT_EQ(g_told, QStringList({QStringLiteral("outside 7>8")}));
}
