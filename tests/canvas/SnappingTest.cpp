#include "CanvasTestSupport.h"

#include "canvas/ZVGuideView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/guides/SmartGuides.h"
#include "platform/graphics/RulerMarker.h"
#include "platform/runtime/UserDefaults.h"

#include <gtest/gtest.h>

namespace {

using ql::UserDefaults;

// A Letter page with margins 36 and elements whose content (the frame less
// its 40-point margin) is placed directly.
struct Page {
    TestDocument document;
    ZVCanvasView* page = document.addPage();

    ZVPuttyView* add(QRectF content)
    {
        ZVPuttyView* element = ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release();
        element->setFrame(content.adjusted(-40, -40, 40, 40));
        page->addPuttyView(element);
        return element;
    }
    const QList<double>& vLines() const { return page->guideView()->vLines(); }
    const QList<double>& hLines() const { return page->guideView()->hLines(); }
    // One move step as the page runs it: guides, snap, guides again.
    QPointF moveStep(ZVPuttyView* element)
    {
        page->puttyViewWasMoved(element);
        const QPointF shift = element->snap();
        page->puttyViewWasResized(element);
        return shift;
    }
};

class Snapping : public ::testing::Test {
protected:
    void SetUp() override { UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), true); }
    void TearDown() override { UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), true); }
};

} // namespace

TEST_F(Snapping, NearnessCutsTheDifferenceToWholePoints)
{
    EXPECT_TRUE(ql::isNear(101.5, 100, 2));
    EXPECT_TRUE(ql::isNear(101.99, 100, 2));
    EXPECT_TRUE(ql::isNear(98.01, 100, 2));
    EXPECT_FALSE(ql::isNear(102, 100, 2));
    EXPECT_FALSE(ql::isNear(98, 100, 2));
    EXPECT_FALSE(ql::isNear(100, 100, 0)) << "tolerance 0 finds nothing";
}

TEST_F(Snapping, AnElementSnapsOntoAnotherOnesEdgeWithinTwoPoints)
{
    Page sample;
    sample.add(QRectF(300, 400, 100, 100));
    ZVPuttyView* moving = sample.add(QRectF(301.5, 150, 80, 60));
    moving->setIsActive(true);

    EXPECT_EQ(sample.moveStep(moving), QPointF(-1.5, 0));
    EXPECT_EQ(moving->frame().topLeft(), QPointF(260, 110));
    EXPECT_TRUE(sample.vLines().contains(300));

    // Exactly 2 points apart: no line, no snap; 1.99: both.
    moving->setFrame(QRectF(262, 110, 160, 140));
    sample.page->showGuides();
    EXPECT_FALSE(sample.vLines().contains(300));
    EXPECT_EQ(moving->snap(), QPointF(0, 0));
    EXPECT_EQ(moving->frame().x(), 262);
    moving->setFrame(QRectF(261.99, 110, 160, 140));
    EXPECT_NEAR(sample.moveStep(moving).x(), -1.99, 1e-9);
    EXPECT_TRUE(sample.vLines().contains(300));

    // With snapping off no line shows and nothing moves.
    UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), false);
    moving->setFrame(QRectF(261.5, 110, 160, 140));
    EXPECT_EQ(sample.moveStep(moving), QPointF(0, 0));
    EXPECT_TRUE(sample.vLines().isEmpty());
    EXPECT_TRUE(sample.hLines().isEmpty());
    EXPECT_EQ(moving->frame().x(), 261.5);
}

TEST_F(Snapping, CentresMatchOnMovesButNotOnHandleDrags)
{
    Page sample;
    sample.add(QRectF(300, 400, 100, 100));  // centre x 350
    ZVPuttyView* moving = sample.add(QRectF(311, 100, 80, 60));  // centre x 351
    moving->setIsActive(true);
    sample.page->showGuides();
    EXPECT_TRUE(sample.vLines().contains(350));
    EXPECT_EQ(moving->snap(), QPointF(-1, 0));

    // A handle drag matches the right edge only, and moves that edge alone.
    moving->setFrame(QRectF(271, 60, 160, 140));
    moving->setValueForKey(u"isMoving", true);
    sample.page->showGuides();
    EXPECT_FALSE(sample.vLines().contains(350));
    moving->setFrame(QRectF(260, 60, 179, 140));  // content right edge 399
    sample.page->showGuides();
    EXPECT_TRUE(sample.vLines().contains(400));
    moving->snap();
    EXPECT_EQ(moving->frame(), QRectF(260, 60, 180, 140)) << "the left edge stays";
}

TEST_F(Snapping, GroupPartnersAreNoTargetsHiddenLayersAre)
{
    Page sample;
    ZVPuttyView* moving = sample.add(QRectF(101, 101, 80, 60));
    ZVPuttyView* partner = sample.add(QRectF(100, 300, 80, 60));
    auto* group = new ZVPuttyViewGroup(QStringLiteral("Group"), sample.page);
    for (ZVPuttyView* member : {moving, partner}) {
        member->setGroup(group);
        group->appendUuid(member->uuid());
    }
    ZVPuttyViewGroup* hidden = sample.page->addLayoutLayer(QStringLiteral("Hidden"));
    hidden->setVisible(false);
    ZVPuttyView* hiddenOne = ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release();
    hiddenOne->setLayoutLayerGroup(hidden);
    hiddenOne->setFrame(QRectF(300 - 40, 101.5 - 40, 160, 160));
    sample.page->addPuttyView(hiddenOne);

    moving->setIsActive(true);
    sample.page->showGuides();
    EXPECT_FALSE(sample.vLines().contains(100)) << "the group partner's edge";
    EXPECT_TRUE(sample.hLines().contains(101.5)) << "the hidden element's top";
}

TEST_F(Snapping, RulerGuidesShiftByTheBleedColumnGuidesDoNot)
{
    Page sample;
    sample.page->setValueForKey(u"bleedMargin", 9.0);
    sample.page->setValueForKey(u"fullBleed", true);
    ql::RulerMarker guide;
    guide.location = 100;
    sample.page->setHorizontalMarkers({guide});
    ZVPuttyView* moving = sample.add(QRectF(109.5, 300, 80, 60));
    moving->setIsActive(true);
    sample.page->showGuides();
    EXPECT_TRUE(sample.vLines().contains(109));
    EXPECT_FALSE(sample.vLines().contains(100));

    // Column edges are page-view positions already: six columns across the
    // trimmed page have an edge at 9 + 102 = 111, which is not shifted again.
    sample.page->setHorizontalMarkers({});
    sample.page->setValueForKey(u"showColumnRowGuides", true);
    sample.page->setValueForKey(u"colRowStyle", 1);
    sample.page->setValueForKey(u"colNumber", 6);
    sample.page->setValueForKey(u"colGutter", 0);
    moving->setFrame(QRectF(111.5 - 40, 260, 160, 140));
    sample.page->showGuides();
    EXPECT_TRUE(sample.vLines().contains(111));
    EXPECT_FALSE(sample.vLines().contains(120));
}

TEST_F(Snapping, SeveralActiveElementsShareTheLinesOfThePass)
{
    Page sample;
    sample.add(QRectF(300, 400, 100, 100));
    ZVPuttyView* first = sample.add(QRectF(301, 100, 50, 50));
    ZVPuttyView* second = sample.add(QRectF(100, 399, 50, 50));
    first->setIsActive(true);
    second->setIsActive(true);
    sample.page->showGuides();
    EXPECT_TRUE(sample.vLines().contains(300));
    EXPECT_TRUE(sample.hLines().contains(400));
    // The second element's stick points hold the first one's line too.
    EXPECT_TRUE(second->stickPoints().contains(QPointF(300, 0)));
    EXPECT_TRUE(second->stickPoints().contains(QPointF(0, 400)));

    sample.page->clearGuides();
    EXPECT_TRUE(sample.vLines().isEmpty());
    EXPECT_FALSE(second->stickPoints().isEmpty()) << "stick points stay";
}
