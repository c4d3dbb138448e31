#include "CanvasTestSupport.h"
#include "GestureTestSupport.h"

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

TEST(PageSelection, SelectAllAndClearingChangeTheSelectionAsOneStep)
{
    // A loose box first, then a group of three, a loose one and one on
    // another layer.
    GesturePage sample;
    ZVPuttyViewGroup* other = sample.page->addLayoutLayer(QStringLiteral("Other"));
    ZVPuttyViewGroup* current = sample.page->layoutLayers().constFirst();
    sample.page->setCurrentLayoutLayer(current);
    QList<ZVPuttyView*> mine;
    for (int i = 0; i < 5; ++i)
        mine.append(sample.add(QRectF(i * 100, 0, 90, 90), ZVPuttyView::initWithText(), current));
    ZVPuttyView* elsewhere = sample.add(QRectF(0, 200, 90, 90), ZVPuttyView::initWithText(), other);
    auto* group = new ZVPuttyViewGroup(QStringLiteral("Group"), sample.page);
    for (ZVPuttyView* member : mine.mid(1, 3)) {
        member->setGroup(group);
        group->appendUuid(member->uuid());
    }
    int notices = 0;
    for (ZVPuttyView* element : mine)
        element->addObserver(QStringLiteral("isActive"), sample.page, [&](const ql::KeyValueChange&) { ++notices; });
    FakeHost& host = sample.document.host;

    sample.page->selectAll();
    EXPECT_EQ(sample.page->activeViews(), mine);
    EXPECT_EQ(sample.page->selectedViews(), mine);
    EXPECT_FALSE(elsewhere->isActive());
    EXPECT_TRUE(sample.page->threeOrModeActive());
    EXPECT_EQ(sample.page->focusedPuttyView(), nullptr);
    EXPECT_EQ(sample.page->firstActiveView(), mine.first()) << "the box that was selected alone first";
    EXPECT_TRUE(sample.page->validateMenuItem(QStringLiteral("groupActivePuttyViews:"), {}));
    EXPECT_EQ(notices, 5) << "each box says it is selected";
    EXPECT_EQ(host.selectionInspectorShows, 1);
    EXPECT_EQ(host.inspectorUpdates, 1) << "one inspector update for the whole selection";

    sample.page->clearPuttyViews();
    EXPECT_TRUE(sample.page->selectedViews().isEmpty());
    EXPECT_EQ(notices, 10);
    EXPECT_EQ(host.inspectorUpdates, 2);

    // One element of the group selected alone is not the first active one:
    // its group comes with it.
    mine[2]->setIsActive(true);
    EXPECT_EQ(sample.page->activeViews(), mine.mid(1, 3));
    EXPECT_EQ(sample.page->firstActiveView(), mine.first());
    EXPECT_EQ(sample.page->focusedPuttyView(), mine[2]);
    EXPECT_EQ(host.selectionInspectorShows, 2);
    EXPECT_EQ(host.inspectorUpdates, 3);
}
