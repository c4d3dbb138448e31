// The page's keys in the real window while no text is edited: Return and
// Escape end the drawing tools, Escape deselects, arrows nudge the active
// elements (whole groups) or scroll the canvas, modifier keys are kept.
#include "WindowTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/CanvasCursors.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/runtime/Deferred.h"

#include <QScrollBar>
#include <QTest>

using namespace ql;

namespace {

class PageKeys : public ql::testing::WindowFixture {
protected:
    ZVPuttyView* add(QPointF origin)
    {
        ZVPuttyView* element = ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release();
        element->setFrame(QRectF(origin, QSizeF(200, 150)));
        page->addPuttyView(element);
        return element;
    }
    void key(Qt::Key code, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(window->scrollView(), code, modifiers);
    }
};

} // namespace

TEST_F(PageKeys, ReturnAndEscapeEndTheToolsEscapeDeselects)
{
    ZVPuttyView* element = add(QPointF(100, 100));
    element->setIsActive(true);
    page->setDrawingMode(2);
    key(Qt::Key_Return);
    EXPECT_EQ(page->drawingMode().toInt(), 0);
    // Back in the select mode the layer's elements are highlighted, none active.
    EXPECT_FALSE(element->isActive());
    EXPECT_TRUE(element->isHighlighted());

    page->setDrawingMode(1);
    key(Qt::Key_X);
    EXPECT_EQ(page->drawingMode().toInt(), 1) << "other keys do nothing";
    EXPECT_EQ(element->frame().topLeft(), QPointF(100, 100));

    element->setIsActive(true);
    key(Qt::Key_Escape);
    EXPECT_EQ(page->drawingMode().toInt(), 0);
    EXPECT_FALSE(element->isActive());
    EXPECT_FALSE(element->isHighlighted()) << "Escape also deselects";
}

TEST_F(PageKeys, ArrowsNudgeWholeGroupsOrScrollByAPoint)
{
    ZVPuttyView* a = add(QPointF(100, 100));
    ZVPuttyView* b = add(QPointF(300, 300));
    ZVPuttyView* loose = add(QPointF(50, 500));
    auto* group = new ZVPuttyViewGroup(QStringLiteral("Group"), page);
    for (ZVPuttyView* member : {a, b}) {
        member->setGroup(group);
        group->appendUuid(member->uuid());
    }
    a->setIsActive(true);
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    EXPECT_EQ(a->frame().topLeft(), QPointF(101, 101));
    EXPECT_EQ(b->frame().topLeft(), QPointF(301, 301)) << "the whole group moves";
    EXPECT_EQ(loose->frame().topLeft(), QPointF(50, 500));
    key(Qt::Key_Left);
    key(Qt::Key_Up);
    EXPECT_EQ(a->frame().topLeft(), QPointF(100, 100));

    // With nothing active the canvas scrolls by one point.
    page->clearPuttyViews();
    document->setValueForKey(u"scrollMag", QStringLiteral("300%"));
    QScrollBar* across = window->scrollView()->horizontalScrollBar();
    QScrollBar* down = window->scrollView()->verticalScrollBar();
    across->setValue(across->maximum() / 2);
    down->setValue(down->maximum() / 2);
    const int x = across->value();
    const int y = down->value();
    key(Qt::Key_Right);
    EXPECT_EQ(across->value(), x + 3) << "one point at 300 %";
    key(Qt::Key_Down);
    EXPECT_EQ(down->value(), y + 3);
    key(Qt::Key_Left);
    key(Qt::Key_Up);
    EXPECT_EQ(across->value(), x);
    EXPECT_EQ(down->value(), y);
    EXPECT_EQ(a->frame().topLeft(), QPointF(100, 100));
}

TEST_F(PageKeys, ThePageKeepsTheModifierKeys)
{
    QTest::keyPress(window->scrollView(), Qt::Key_Alt, Qt::AltModifier);
    EXPECT_TRUE(page->optionKeyPressed());
    QTest::keyRelease(window->scrollView(), Qt::Key_Alt, Qt::NoModifier);
    EXPECT_FALSE(page->optionKeyPressed());
    QTest::keyPress(window->scrollView(), Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_TRUE(page->shiftKeyPressed());
    QTest::keyRelease(window->scrollView(), Qt::Key_Shift, Qt::NoModifier);
    EXPECT_FALSE(page->shiftKeyPressed());
}

TEST_F(PageKeys, TheHandAndZoomToolsShowTheirCursorsOverThePage)
{
    QWidget* canvas = window->scrollView()->viewport();
    const auto picture = [canvas] { return canvas->cursor().pixmap().toImage(); };
    page->setDrawingMode(1);
    EXPECT_EQ(canvas->cursor().shape(), Qt::OpenHandCursor);

    page->setDrawingMode(2);
    EXPECT_EQ(canvas->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(canvas->cursor().hotSpot(), QPoint(0, 0));
    EXPECT_EQ(picture(), cursorPicture(QStringLiteral("zoomin")).toImage());
    QTest::keyPress(window->scrollView(), Qt::Key_Alt, Qt::AltModifier);
    EXPECT_TRUE(page->optionKeyPressed());
    EXPECT_EQ(picture(), cursorPicture(QStringLiteral("zoomout")).toImage()) << "Option zooms out";
    QTest::keyRelease(window->scrollView(), Qt::Key_Alt, Qt::NoModifier);
    EXPECT_EQ(picture(), cursorPicture(QStringLiteral("zoomin")).toImage());

    key(Qt::Key_Escape);
    EXPECT_EQ(canvas->cursor().shape(), Qt::ArrowCursor);
}
