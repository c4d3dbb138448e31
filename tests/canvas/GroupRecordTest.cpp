#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"

#include <QCoreApplication>
#include <QEvent>
#include <gtest/gtest.h>

TEST(GroupRecord, DefaultsAndMemberLookupInRecordOrder)
{
    const auto record = ZVPuttyViewGroup::create();
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

TEST(GroupRecord, SharedByReferenceAndComparedByIdentity)
{
    const auto first = ZVPuttyViewGroup::create();
    const auto twin = ZVPuttyViewGroup::create();
    EXPECT_NE(first, twin) << "equal contents are still two records";
    EXPECT_EQ(ZVPuttyViewGroup::adopt(first.data()), first);

    QPointer<ZVPuttyViewGroup> watch;
    {
        auto element = ZVPuttyView::initWithText();
        auto* loose = new ZVPuttyViewGroup; // as a reader makes one
        watch = loose;
        element->setGroup(loose);
        auto other = ZVPuttyView::initWithText();
        other->setGroup(loose);
        EXPECT_EQ(element->group(), other->group());
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull()) << "the last holder frees the record";
}
