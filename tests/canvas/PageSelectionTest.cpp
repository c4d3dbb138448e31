#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"

#include <gtest/gtest.h>

namespace {

struct Page {
    TestDocument document;
    ZVCanvasView* page = document.addPage();

    ZVPuttyView* add(std::unique_ptr<ZVPuttyView> made, ZVPuttyViewGroup* layer = nullptr)
    {
        ZVPuttyView* element = made.release();
        if (layer)
            element->setLayoutLayerGroup(layer);
        page->addPuttyView(element);
        return element;
    }
    ZVPuttyView* addText(ZVPuttyViewGroup* layer = nullptr) { return add(ZVPuttyView::initWithText(), layer); }
};

} // namespace

TEST(PageSelection, ActiveViewsAddGroupMembersAndSetTheCountFlags)
{
    Page sample;
    ZVPuttyView* a = sample.addText();
    ZVPuttyView* b = sample.addText();
    ZVPuttyView* c = sample.addText();
    ZVPuttyView* loose = sample.addText();
    auto* group = new ZVPuttyViewGroup(QStringLiteral("Group"), sample.page);
    for (ZVPuttyView* member : {a, b, c}) {
        member->setGroup(group);
        group->appendUuid(member->uuid());
    }
    b->setIsActive(true);
    EXPECT_EQ(sample.page->activeViews(), (QList<ZVPuttyView*>{a, b, c})) << "element order, each once";
    EXPECT_TRUE(sample.page->oneOrModeActive());
    EXPECT_TRUE(sample.page->twoOrModeActive());
    EXPECT_TRUE(sample.page->threeOrModeActive());
    EXPECT_EQ(sample.page->selectedViews(), QList<ZVPuttyView*>{b});

    b->setIsActive(false);
    loose->setIsActive(true);
    EXPECT_EQ(sample.page->activeViews(), QList<ZVPuttyView*>{loose});
    EXPECT_TRUE(sample.page->oneOrModeActive());
    EXPECT_FALSE(sample.page->twoOrModeActive());
}

TEST(PageSelection, HighlightAndSelectAllStayInTheCurrentLayer)
{
    Page sample;
    ZVPuttyViewGroup* lower = sample.page->currentLayoutLayer();
    ZVPuttyViewGroup* upper = sample.page->addLayoutLayer(QStringLiteral("Upper"));
    ZVPuttyView* mine = sample.addText(lower);
    ZVPuttyView* other = sample.addText(upper);
    mine->setIsActive(true);
    other->setIsActive(true);

    sample.page->setValueForKey(u"shiftKeyPressed", true);
    sample.page->highlightPuttyViews();
    EXPECT_TRUE(mine->isActive()) << "Shift keeps the selection";
    EXPECT_TRUE(mine->isHighlighted());

    sample.page->setValueForKey(u"shiftKeyPressed", false);
    sample.page->highlightPuttyViews();
    EXPECT_FALSE(mine->isActive());
    EXPECT_TRUE(other->isActive()) << "other layers are left alone";
    EXPECT_FALSE(other->isHighlighted());

    other->setIsActive(false);
    sample.page->selectAll();
    EXPECT_TRUE(mine->isActive());
    EXPECT_FALSE(other->isActive());
}

TEST(PageSelection, FocusSetsTheFlagsByKindAndClearingEndsEditing)
{
    Page sample;
    ZVPuttyView* text = sample.addText();
    ZVPuttyView* deep = sample.add(ZVPuttyView::initWith3DText(QStringLiteral("Deep")));
    sample.page->setFocusedPuttyView(text);
    EXPECT_TRUE(sample.page->focused());
    EXPECT_TRUE(sample.page->focusedText());
    EXPECT_TRUE(text->backgroundView()->selected());

    sample.page->setFocusedPuttyView(deep);
    EXPECT_TRUE(sample.page->focused());
    EXPECT_FALSE(sample.page->focusedText());
    EXPECT_FALSE(sample.page->focusedImage());
    EXPECT_FALSE(sample.page->focusedVector());
    EXPECT_EQ(sample.page->valueForKeyPath(u"focusedPuttyView.uuid").toString(), deep->uuid());

    text->setIsActive(true);
    deep->setIsHighlighted(true);
    text->contentView()->setEditMode(true);
    auto* scene = qobject_cast<ZV3DTextView*>(deep->contentView());
    scene->setAllowsCameraControl(true);
    sample.page->clearPuttyViews();
    EXPECT_EQ(sample.page->focusedPuttyView(), nullptr);
    EXPECT_FALSE(sample.page->focused());
    EXPECT_FALSE(text->isActive());
    EXPECT_FALSE(deep->isHighlighted());
    EXPECT_FALSE(text->contentView()->editMode());
    EXPECT_FALSE(scene->allowsCameraControl());
    EXPECT_FALSE(text->backgroundView()->selected());
}

TEST(PageSelection, CentringKeepsTheSize)
{
    Page sample;
    ZVPuttyView* element = sample.add(ZVPuttyView::initWith3DText(QStringLiteral("Deep")));
    element->setFrame(QRectF(0, 0, 500, 200));
    sample.page->centerPuttyView(element);
    EXPECT_EQ(element->frame(), QRectF(56, 296, 500, 200));
}
