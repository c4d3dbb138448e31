#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"

#include <gtest/gtest.h>

namespace {

struct Page {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVCanvasView::ClipboardContents empty;

    ZVPuttyView* add()
    {
        ZVPuttyView* element = ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release();
        page->addPuttyView(element);
        return element;
    }
    bool enabled(const char* action) { return page->validateMenuItem(QString::fromLatin1(action), empty); }
};

} // namespace

TEST(PageMenuValidation, CommandsFollowTheSelection)
{
    Page sample;
    ZVPuttyView* a = sample.add();
    ZVPuttyView* b = sample.add();
    EXPECT_FALSE(sample.enabled("alignViewLeft:"));
    EXPECT_FALSE(sample.enabled("lockActivePuttyViews:"));
    EXPECT_TRUE(sample.enabled("zoomIn:")) << "unknown actions are enabled";

    a->setIsActive(true);
    EXPECT_TRUE(sample.enabled("alignViewLeft:"));
    EXPECT_TRUE(sample.enabled("flipVertical:"));
    EXPECT_FALSE(sample.enabled("groupActivePuttyViews:")) << "one element makes no group";
    EXPECT_FALSE(sample.enabled("clickMoveToLayerMenu:")) << "one layer only";
    EXPECT_TRUE(sample.enabled("lockActivePuttyViews:"));
    EXPECT_FALSE(sample.enabled("unlockActivePuttyViews:"));
    a->setValueForKey(u"isLocked", true);
    EXPECT_FALSE(sample.enabled("lockActivePuttyViews:"));
    EXPECT_TRUE(sample.enabled("unlockActivePuttyViews:"));

    b->setIsActive(true);
    EXPECT_TRUE(sample.enabled("groupActivePuttyViews:"));
    EXPECT_FALSE(sample.enabled("ungroupActivePuttyViews:"));
    auto* group = new ZVPuttyViewGroup(QStringLiteral("Group"), sample.page);
    for (ZVPuttyView* member : {a, b}) {
        member->setGroup(group);
        group->appendUuid(member->uuid());
    }
    EXPECT_FALSE(sample.enabled("groupActivePuttyViews:")) << "already exactly one group";
    EXPECT_TRUE(sample.enabled("ungroupActivePuttyViews:"));

    EXPECT_FALSE(sample.enabled("paste:"));
    EXPECT_TRUE(sample.page->validateMenuItem(QStringLiteral("paste:"), {false, false, true})) << "plain text";
    EXPECT_TRUE(sample.page->validateMenuItem(QStringLiteral("paste:"), {false, true, false})) << "an image";
}

TEST(PageMenuValidation, MovingToALayerPutsTheElementsOnItsTopAndMakesItCurrent)
{
    Page sample;
    ZVPuttyViewGroup* bottom = sample.page->currentLayoutLayer();
    ZVPuttyView* resident = sample.add();
    ZVPuttyViewGroup* top = sample.page->addLayoutLayer(QStringLiteral("Top"));
    sample.page->setCurrentLayoutLayer(top);
    ZVPuttyView* a = sample.add();
    ZVPuttyView* b = sample.add();
    a->setIsActive(true);
    b->setIsActive(true);
    EXPECT_TRUE(sample.enabled("clickMoveToLayerMenu:"));

    const QList<ZVCanvasView::LayerMenuItem> items = sample.page->moveToLayerMenuItems();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0].title, QStringLiteral("Top")) << "top layer first";
    EXPECT_FALSE(items[0].enabled) << "the current layer";
    EXPECT_EQ(items[1].title, QStringLiteral("Background"));
    EXPECT_EQ(items[1].tag, 1);
    EXPECT_TRUE(items[1].enabled);

    sample.page->movePuttyViewToLayer(items[1].tag);
    EXPECT_EQ(bottom->groupedViews(), (QStringList{resident->uuid(), a->uuid(), b->uuid()}));
    EXPECT_TRUE(top->groupedViews().isEmpty());
    EXPECT_EQ(a->layoutLayerGroup(), bottom);
    EXPECT_EQ(sample.page->currentLayoutLayer(), bottom);
    EXPECT_TRUE(sample.page->selectedViews().isEmpty());
    EXPECT_EQ(sample.page->stackedPuttyViews().last(), b);
}
