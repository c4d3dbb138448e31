#include "util/layout/PinLayout.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace ql;

TEST(PinLayout, PanesAndBarsFollowTheirPinsAndTheWindow)
{
    QWidget window;
    window.resize(1000, 600);
    auto* left = new QWidget(&window);
    auto* centre = new QWidget(&window);
    auto* right = new QWidget(&window);
    for (QWidget* pane : {left, centre, right}) {
        autoPinEdgeToSuperviewEdge(pane, PinEdge::Top);
        autoPinEdgeToSuperviewEdge(pane, PinEdge::Bottom);
    }
    autoPinEdgeToSuperviewEdge(left, PinEdge::Left);
    LayoutConstraint* leftWidth = autoSetDimension(left, PinDimension::Width, 216);
    autoPinEdgeToSuperviewEdge(right, PinEdge::Right);
    autoSetDimension(right, PinDimension::Width, 265);
    autoPinEdge(centre, PinEdge::Left, PinEdge::Right, left);
    autoPinEdge(centre, PinEdge::Right, PinEdge::Left, right);
    EXPECT_EQ(left->geometry(), QRect(0, 0, 216, 600));
    EXPECT_EQ(right->geometry(), QRect(735, 0, 265, 600));
    EXPECT_EQ(centre->geometry(), QRect(216, 0, 519, 600));

    // A bar one level down pinned to the centre pane, across levels.
    auto* strip = new QWidget(centre);
    autoPinEdge(strip, PinEdge::Top, PinEdge::Top, centre, -1);
    autoPinEdge(strip, PinEdge::Left, PinEdge::Left, centre, -1);
    autoPinEdge(strip, PinEdge::Right, PinEdge::Right, centre, 1);
    autoSetDimension(strip, PinDimension::Height, 22);
    EXPECT_EQ(strip->geometry(), QRect(-1, -1, 521, 22));
    auto* deep = new QWidget(new QWidget(centre));
    deep->parentWidget()->setGeometry(10, 30, 100, 100);
    autoPinEdge(deep, PinEdge::Top, PinEdge::Bottom, strip, 5);
    autoAlignAxis(deep, PinAxis::Vertical, centre);
    autoSetDimension(deep, PinDimension::Width, 40);
    EXPECT_EQ(deep->mapTo(centre, QPoint(0, 0)), QPoint(240, 26)) << "placed in the centre pane's terms";

    // Removing a width and fixing another, as the pane toggles do.
    leftWidth->autoRemove();
    autoSetDimension(left, PinDimension::Width, 0);
    EXPECT_EQ(left->width(), 0);
    EXPECT_EQ(centre->geometry(), QRect(0, 0, 735, 600));

    window.show();
    window.resize(1200, 500);
    EXPECT_EQ(right->geometry(), QRect(935, 0, 265, 500)) << "pins hold as the window grows";
    EXPECT_EQ(centre->geometry(), QRect(0, 0, 935, 500));
    EXPECT_EQ(strip->width(), 937);

    const QList<LayoutConstraint*> four = autoPinEdgesToSuperviewEdgesWithInsets(new QWidget(right), QMarginsF(0, 21, 0, 0));
    ASSERT_EQ(four.size(), 4);
    EXPECT_EQ(four[0]->view()->geometry(), QRect(0, 21, 265, 479)) << "top inset 21";
}
