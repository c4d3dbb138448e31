#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"

#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>

TEST(GroupRecord, DefaultsAndMemberLookupInRecordOrder)
{
    const auto record = std::make_unique<ZVPuttyViewGroup>();
    EXPECT_TRUE(record->groupedViews().isEmpty());
    EXPECT_EQ(record->groupName(), QStringLiteral("Layer"));
    EXPECT_TRUE(record->visible());
    EXPECT_TRUE(record->printable());

    auto a = ZVPuttyView::initWithText();
    auto b = ZVPuttyView::initWithText();
    auto c = ZVPuttyView::initWithText();
    const QList<ZVPuttyView*> elements {a.get(), b.get(), c.get()};
    record->setGroupedViews({b->uuid(), QStringLiteral("no-such-element"), a->uuid()});
    EXPECT_EQ(record->puttyViewsObjects(elements), (QList<ZVPuttyView*> {b.get(), a.get()}));
    record->appendUuid(b->uuid());
    EXPECT_EQ(record->puttyViewsObjects(elements), (QList<ZVPuttyView*> {b.get(), a.get(), b.get()}));
    EXPECT_TRUE(record->puttyViewsObjects({}).isEmpty());
    record->insertUuid(-5, c->uuid());
    EXPECT_EQ(record->groupedViews().first(), c->uuid());
    record->removeUuid(b->uuid());
    EXPECT_FALSE(record->listsUuid(b->uuid()));
}

TEST(GroupRecord, ListedUuidsFollowEveryChangeOfTheList)
{
    ZVPuttyViewGroup record;
    record.appendUuid(QStringLiteral("a"));
    record.appendUuid(QStringLiteral("a"));
    record.insertUuid(1, QStringLiteral("b"));
    EXPECT_EQ(record.groupedViews(), (QStringList {"a", "b", "a"}));
    EXPECT_TRUE(record.listsUuid(QStringLiteral("a")));
    record.removeUuid(QStringLiteral("a"));
    EXPECT_FALSE(record.listsUuid(QStringLiteral("a"))) << "both listings go";
    EXPECT_TRUE(record.listsUuid(QStringLiteral("b")));
    record.setValueForKey(QStringLiteral("groupedViews"), QStringList {QStringLiteral("c")});
    EXPECT_FALSE(record.listsUuid(QStringLiteral("b")));
    EXPECT_TRUE(record.listsUuid(QStringLiteral("c")));
    record.initialize();
    EXPECT_FALSE(record.listsUuid(QStringLiteral("c")));
}

TEST(GroupRecord, SharedByReferenceAndOwnedByTheFirstHolder)
{
    ZVPuttyViewGroup first;
    ZVPuttyViewGroup twin;
    EXPECT_NE(&first, &twin) << "equal contents are still two records";

    QPointer<ZVPuttyViewGroup> watch;
    auto owner = ZVPuttyView::initWithText();
    auto other = ZVPuttyView::initWithText();
    auto* loose = new ZVPuttyViewGroup; // as a reader makes one
    watch = loose;
    owner->setGroup(loose);
    other->setGroup(loose);
    EXPECT_EQ(owner->group(), other->group());
    EXPECT_EQ(loose->parent(), owner.get());
    owner.reset();
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(other->group(), nullptr) << "holders never point at a freed record";
}
