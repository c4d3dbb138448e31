// The drawing-tool bar and the current page's drawing mode follow each
// other, the surface shows over the page only while it is drawn on, and the
// canvas takes no drops meanwhile.
#include "WindowTestSupport.h"

#include "canvas/view/ZVDrawingItem.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/controls/SegmentedControl.h"

#include <QGraphicsItem>
#include <QTest>
#include <QToolButton>

using namespace ql;

namespace {

class DrawingToolsWindow : public ql::testing::WindowFixture {};

// The canvas item that shows the page's drawing surface.
QGraphicsItem* surfaceItem(ZVScrollView& view)
{
    for (QGraphicsItem* item : view.scene()->items()) {
        if (dynamic_cast<ZVDrawingItem*>(item))
            return item;
    }
    return nullptr;
}

} // namespace

TEST_F(DrawingToolsWindow, TheToolBarFollowsThePageBothWaysAndDrawingTakesNoDrops)
{
    SegmentedControl* tools = window->outlets().drawingTools;
    ZVScrollView* view = window->scrollView();
    for (int segment : {6, 7, 8})
        EXPECT_FALSE(tools->button(segment)->isEnabled()) << "no shape to edit";

    QTest::mouseClick(tools->button(4), Qt::LeftButton);
    EXPECT_EQ(page->drawingMode().toInt(), 4);
    EXPECT_EQ(tools->selectedSegment(), 4);
    EXPECT_TRUE(tools->button(7)->isEnabled()) << "enabled outside the select mode";
    EXPECT_FALSE(view->viewport()->acceptDrops());
    QGraphicsItem* surface = surfaceItem(*view);
    ASSERT_TRUE(surface);
    EXPECT_TRUE(surface->isVisible());

    // The page going back by itself (Escape on the surface) moves the bar.
    QTest::keyClick(view, Qt::Key_Escape);
    DeferredCalls::instance().flush();
    EXPECT_EQ(page->drawingMode().toInt(), 0);
    EXPECT_EQ(tools->selectedSegment(), 0);
    EXPECT_FALSE(surface->isVisible());
    EXPECT_TRUE(view->viewport()->acceptDrops());
    EXPECT_FALSE(tools->button(7)->isEnabled());
}
