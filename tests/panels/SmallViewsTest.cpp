#include "panels/ZVPanel.h"
#include "panels/controls/ZVDraggableImageView.h"
#include "PanelTestSupport.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

TEST(SmallViews, CodePictureDragsAtTwoHundredPointsCentredOnThePointer)
{
    ZVDraggableImageView view;
    view.resize(120, 120);
    DragRecorder recorder;
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(60, 60));
    QTest::mouseMove(&view, QPoint(90, 90));
    EXPECT_EQ(recorder.drags, 0) << "nothing to drag without a picture";

    QImage code(400, 400, QImage::Format_ARGB32);
    code.fill(Qt::black);
    view.setImage(Image(code));
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(60, 60));
    QTest::mouseMove(&view, QPoint(61, 61));
    EXPECT_EQ(recorder.drags, 0) << "not yet past the start distance";
    QTest::mouseMove(&view, QPoint(90, 90));
    ASSERT_EQ(recorder.drags, 1);
    EXPECT_EQ(recorder.disabledBeforeDrag, recorder.disabled) << "the drawing surface steps aside first";
    EXPECT_GE(recorder.disabled, 1);
    EXPECT_EQ(recorder.pixmapSize, QSize(200, 200));
    EXPECT_EQ(recorder.hotSpot, QPoint(100, 100));
    EXPECT_EQ(QImage::fromData(recorder.data.value(QStringLiteral("image/png"))).size(), QSize(400, 400));
}

TEST(SmallViews, PanelLeavesTheKeyboardToTheDocumentWindow)
{
    QWidget window;
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ZVPanel panel(QStringLiteral("holding"), QStringLiteral("Pasteboard"), &window);
    EXPECT_TRUE(panel.windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    panel.show();
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeWindow(), &window);
}
