#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/runtime/NotificationCenter.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(PageModel, NewPageHasTheFirstStartDefaults)
{
    ZVCanvasView page;
    EXPECT_EQ(page.pageSize(), 1);
    EXPECT_EQ(page.pageOrientation(), 0);
    for (const char* key : {"topMargin", "bottomMargin", "leftMargin", "rightMargin"})
        EXPECT_EQ(page.valueForKey(QString::fromLatin1(key)).toDouble(), 36.0) << key;
    EXPECT_EQ(page.bleedMargin(), 9.0);
    EXPECT_FALSE(page.fullBleed());
    EXPECT_EQ(page.effectiveBleedMargin(), 0.0);
    EXPECT_TRUE(page.showBleedCropMarks());
    EXPECT_EQ(page.valueForKey(u"colNumber"), QVariant(2));
    EXPECT_EQ(page.valueForKey(u"rowNumber"), QVariant(1));
    EXPECT_EQ(page.valueForKey(u"rowGutter"), QVariant(18));
    EXPECT_EQ(page.valueForKey(u"colGutter"), QVariant(18));
    EXPECT_EQ(page.valueForKey(u"colRowStyle"), QVariant(0));
    EXPECT_EQ(page.drawingMode(), QVariant(0));
    EXPECT_TRUE(page.masterPageUUID().isNull());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"))
                    .match(page.uuid())
                    .hasMatch());

    ASSERT_EQ(page.layoutLayers().size(), 1);
    EXPECT_EQ(page.layoutLayers().first()->groupName(), QStringLiteral("Background"));
    EXPECT_EQ(page.currentLayoutLayer(), page.layoutLayers().first().data());

    EXPECT_EQ(page.frame(), QRectF(0, 0, 612, 792));
    EXPECT_EQ(page.pageWidth(), 612.0);
    EXPECT_EQ(page.pageHeight(), 792.0);
    EXPECT_EQ(page.templateView(), &page);
    ASSERT_NE(page.backgroundView(), nullptr);
    EXPECT_TRUE(page.backgroundView()->selected());
    EXPECT_EQ(page.backgroundView()->insets(), 0.0f);
    EXPECT_EQ(page.backgroundView()->frame(), page.frame());
}

TEST(PageModel, FramesFollowPresetOrientationBleedAndMargins)
{
    ZVCanvasView page;
    page.setValueForKey(u"fullBleed", true);
    EXPECT_EQ(page.frame(), QRectF(0, 0, 630, 810));
    EXPECT_EQ(page.pageWidth(), 612.0) << "a preset page stores its trim size";
    EXPECT_EQ(page.pageHeight(), 792.0);

    // Switching to a custom size keeps the trim size: the page does not grow.
    page.setPageSize(0);
    EXPECT_EQ(page.frame(), QRectF(0, 0, 630, 810));
    page.setPageWidth(500);
    EXPECT_EQ(page.frame(), QRectF(0, 0, 518, 810));

    page.setPageSize(9); // A4, landscape
    page.setPageOrientation(1);
    page.setValueForKey(u"fullBleed", false);
    EXPECT_EQ(page.frame(), QRectF(0, 0, 842, 595));

    page.setPageSize(1);
    page.setPageOrientation(0);
    page.setValueForKey(u"clipToMargins", true);
    EXPECT_EQ(page.backgroundView()->frame(), QRectF(36, 36, 540, 720));
    page.setValueForKey(u"fullBleed", true);
    EXPECT_EQ(page.backgroundView()->frame(), QRectF(45, 45, 540, 720));
}

TEST(PageModel, PresetChoiceSetsTheSizeControls)
{
    ZVCanvasView page;
    page.setPageSize(0);
    EXPECT_TRUE(page.pageWidthControlEnabled());
    EXPECT_TRUE(page.pageHeightControlEnabled());
    EXPECT_FALSE(page.pageOrientationControlEnabled());
    page.setPageSize(5);
    EXPECT_FALSE(page.pageWidthControlEnabled());
    EXPECT_FALSE(page.pageHeightControlEnabled());
    EXPECT_TRUE(page.pageOrientationControlEnabled());
    EXPECT_EQ(page.frame(), QRectF(0, 0, 792, 1224));
}

TEST(PageModel, MasterLinkLendsEveryGeometricSetting)
{
    TestDocument document;
    ZVCanvasView* master = document.addMaster();
    ZVCanvasView* page = document.addPage();
    page->setPageSize(0);
    page->setPageWidth(400);
    page->setPageHeight(300);
    master->setPageSize(3);
    master->setPageOrientation(1);
    master->setValueForKey(u"leftMargin", 10.0);
    master->setValueForKey(u"fullBleed", true);
    master->setValueForKey(u"bleedMargin", 12.0);
    page->setValueForKey(u"clipToMargins", true);

    int refreshes = 0;
    ql::NotificationCenter::defaultCenter().addObserver(&document, QStringLiteral("AutoUpdateText"), nullptr,
                                                        [&](const ql::Notification&) { ++refreshes; });
    page->setMasterPage(master);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(page->templateView(), master);
    EXPECT_EQ(page->masterPage(), master);
    EXPECT_EQ(page->masterPageUUID(), master->uuid());
    EXPECT_EQ(page->effectiveBleedMargin(), 12.0);
    EXPECT_EQ(page->frame(), QRectF(0, 0, 1008 + 24, 612 + 24));
    EXPECT_EQ(page->valueForKeyPath(u"templateView.leftMargin").toDouble(), 10.0);
    // The background clips by the master's margins because the page's own flag says so.
    EXPECT_EQ(page->backgroundView()->frame().left(), 22.0);
    EXPECT_EQ(page->pageWidth(), 400.0) << "the page keeps its own size under a master";

    // A later change of the master's bleed reaches the content page at once.
    master->setValueForKey(u"bleedMargin", 3.0);
    EXPECT_EQ(page->frame(), QRectF(0, 0, 1014, 618));

    page->setMasterPage(nullptr);
    EXPECT_EQ(page->masterPageUUID(), QStringLiteral(""));
    EXPECT_FALSE(page->masterPageUUID().isNull());
    EXPECT_EQ(page->templateView(), page);
    EXPECT_EQ(page->frame(), QRectF(0, 0, 400, 300));
    EXPECT_EQ(page->effectiveBleedMargin(), 0.0);
    page->setPageSize(1);

    // A page cannot be its own master, and a destroyed master unlinks.
    page->setMasterPage(page);
    EXPECT_EQ(page->templateView(), page);
    page->setMasterPage(master);
    delete master;
    EXPECT_EQ(page->templateView(), page);
    page->setCanvasFrames();
    EXPECT_EQ(page->frame(), QRectF(0, 0, 612, 792));
}

TEST(PageModel, TitlesComeFromTheDocumentLists)
{
    TestDocument document;
    ZVCanvasView* first = document.addPage();
    document.addPage();
    ZVCanvasView* masterA = document.addMaster();
    document.addMaster();
    ZVCanvasView* masterC = document.addMaster();
    EXPECT_EQ(first->title(), QStringLiteral("1"));
    EXPECT_EQ(masterA->masterPageTitle(), QStringLiteral("A"));
    EXPECT_EQ(masterC->masterPageTitle(), QStringLiteral("C"));
    ZVCanvasView loose;
    EXPECT_TRUE(loose.title().isEmpty());
}

TEST(PageModel, LayersListElementsAndStackThem)
{
    ZVCanvasView page;
    ZVPuttyViewGroup* hidden = page.addLayoutLayer(QStringLiteral("Hidden"));
    ZVPuttyViewGroup* top = page.addLayoutLayer(QStringLiteral("Top"));
    hidden->setVisible(false);
    EXPECT_EQ(top->parent(), &page);
    page.setCurrentLayoutLayer(top);
    EXPECT_EQ(page.layoutLayersReversed().first(), top);

    ZVPuttyView* a = ZVPuttyView::initWithText().release();
    ZVPuttyView* b = ZVPuttyView::initWithText().release();
    ZVPuttyView* c = ZVPuttyView::initWithText().release();
    c->setLayoutLayerGroup(page.layoutLayers().first().data());
    page.addPuttyView(a);
    page.addPuttyView(b);
    page.addPuttyView(c);
    EXPECT_EQ(a->canvas(), &page);
    EXPECT_EQ(a->layoutLayerGroup(), top);
    EXPECT_EQ(top->groupedViews(), (QStringList {a->uuid(), b->uuid()}));
    EXPECT_EQ(page.stackedPuttyViews(), (QList<ZVPuttyView*> {c, a, b})) << "bottom layer first";

    // Moving an element to an equal-looking layer touches only that record.
    b->setLayoutLayerGroup(hidden);
    top->removeUuid(b->uuid());
    hidden->appendUuid(b->uuid());
    page.layoutPuttyViews();
    EXPECT_EQ(page.stackedPuttyViews(), (QList<ZVPuttyView*> {c, a}));
}
