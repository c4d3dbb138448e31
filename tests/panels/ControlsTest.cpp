#include "panels/ViewController.h"
#include "panels/controls/ComposeButton.h"
#include "panels/controls/FocusedWheel.h"
#include "panels/controls/Popover.h"
#include "panels/controls/ScreenPlacement.h"
#include "panels/controls/TBTabBar.h"
#include "panels/controls/TBTabBarItem.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <qtestspontaneevent.h>

using namespace ql;

TEST(TabBar, UserSelectionsTellTheHandlerBeforeAndAfterAndCodeTellsNobody)
{
    QWidget window;
    auto* bar = new TBTabBar(&window);
    bar->resize(200, 22);
    QList<TBTabBarItem*> items;
    for (unsigned tag = 0; tag < 3; ++tag) {
        TBTabBarItem* item = TBTabBarItem::tabBarItemWithIcon(QImage(), tag);
        item->setKeyEquivalent(QString::number(tag));
        item->setKeyEquivalentModifierMask(Qt::ControlModifier | Qt::ShiftModifier);
        items.append(item);
    }
    bar->setTabBarItems(items);
    EXPECT_EQ(items[2]->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_2));
    QList<std::pair<int, unsigned>> calls;
    QList<unsigned> selectedDuring;
    bar->handleTabBarItemSelection([&](int type, TBTabBarItem* item, unsigned index) {
        calls.append({type, index});
        selectedDuring.append(bar->selectedIndex());
        EXPECT_EQ(item->tag(), index);
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->itemRect(2).center());
    EXPECT_EQ(calls, (QList<std::pair<int, unsigned>>{{0, 2}, {1, 2}}));
    EXPECT_EQ(selectedDuring, (QList<unsigned>{0, 2})) << "type 0 before the change, type 1 after";

    calls.clear();
    QTest::keyClick(&window, Qt::Key_1, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(calls, (QList<std::pair<int, unsigned>>{{0, 1}, {1, 1}})) << "the key equivalent selects too";

    calls.clear();
    bar->setSelectedIndex(0);
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(bar->selectedIndex(), 0u);
}

TEST(ComposeButton, MenuOfTitlesCallsTheBlockWithTheIndex)
{
    ComposeButton button;
    QList<int> chosen;
    button.setupMenu({QStringLiteral("Regular Text"), QStringLiteral("3D Text")},
                     [&chosen](QAction* item, int index) {
                         EXPECT_EQ(item->data().toInt(), index);
                         chosen.append(index);
                     });
    EXPECT_EQ(button.text(), QStringLiteral("Regular Text"));
    ASSERT_EQ(button.menu()->actions().size(), 2);
    button.menu()->actions()[1]->trigger();
    button.choose(0);
    EXPECT_EQ(chosen, (QList<int>{1, 0}));

    button.setupMenu({QStringLiteral("Only")}, [&chosen](QAction*, int) { chosen.append(9); });
    EXPECT_EQ(button.menu()->actions().size(), 1) << "rebuilt, not added to";
}

TEST(Popover, OpensWithinTheScreenThatHoldsItsControl)
{
    // Moved, never resized, into the screen's free area.
    const QRect wide(0, 0, 1600, 900);
    EXPECT_EQ(ScreenPlacement::fitted(QRect(1250, -7, 500, 112), wide), QRect(1100, 0, 500, 112));
    EXPECT_EQ(ScreenPlacement::fitted(QRect(-30, 850, 200, 100), wide), QRect(0, 800, 200, 100));
    EXPECT_EQ(ScreenPlacement::fitted(QRect(300, 50, 2000, 1000), wide), QRect(0, 0, 2000, 1000));
    EXPECT_EQ(ScreenPlacement::fitted(QRect(10, 20, 30, 40), wide), QRect(10, 20, 30, 40));

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window(nullptr, Qt::FramelessWindowHint);
    auto* control = new QWidget(&window);
    control->setGeometry(0, 0, 60, 30);
    const QSize size(300, 200);
    const auto open = [&](QPoint corner) {
        window.setGeometry(QRect(corner, QSize(60, 30)));
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        auto* popover = new Popover(&window);
        popover->setContentSize(size);
        popover->showAtRightEdgeOf(*control);
        const QRect placed = popover->geometry();
        popover->close();
        return placed;
    };
    // With room, on the control's right, centred on it.
    const QPoint middle = screen.center() - QPoint(200, 0);
    EXPECT_EQ(open(middle), QRect(QPoint(middle.x() + 60, QRect(middle, QSize(60, 30)).center().y() - 100), size));
    // At the screen's bottom right: on the control's left, inside the screen.
    const QRect corner = open(screen.bottomRight() - QPoint(59, 29));
    EXPECT_TRUE(screen.contains(corner)) << corner.x() << "," << corner.y();
    EXPECT_LE(corner.right(), screen.right() - 60);
}

TEST(ScreenPlacement, AWindowsFrameLandsWhollyOnTheScreen)
{
    // A window manager's frame: a title bar of 20, borders of 1 and a
    // bottom edge of 5.
    const QMargins frame(1, 20, 1, 5);
    const QRect laptop(0, 0, 1280, 1100);
    // A panel of 272 × 79 wanted at the screen's bottom-left: its client
    // area starts below the title bar, and the frame's bottom is the screen's.
    EXPECT_EQ(ScreenPlacement::clientGeometry(QRect(0, 1100 - 104, 274, 104), frame, laptop),
              QRect(1, 1016, 272, 79));
    // Wanted lower than the screen goes, it is lifted, frame and all.
    EXPECT_EQ(ScreenPlacement::clientGeometry(QRect(0, 1021, 274, 104), frame, laptop), QRect(1, 1016, 272, 79));
    // A window as tall as the screen's free part, on a second screen with a
    // bar at its top: the title bar is on it, below the bar.
    const QRect second(1280, 30, 1920, 1050);
    EXPECT_EQ(ScreenPlacement::clientGeometry(QRect(1376, 0, 1728, 1050), frame, second),
              QRect(1377, 50, 1726, 1025));
    // A frame larger than the screen keeps its title bar in view.
    EXPECT_EQ(ScreenPlacement::clientGeometry(QRect(500, 500, 1500, 1500), frame, laptop).topLeft(), QPoint(1, 20));

    // Frameless windows and popups have no frame; a framed window has what
    // the platform drew once it was made, and a window not made yet takes
    // the frame last seen on one of its kind.
    QWidget frameless(nullptr, Qt::FramelessWindowHint);
    frameless.show();
    EXPECT_EQ(ScreenPlacement::frameMargins(frameless), QMargins());
    QWidget shown(nullptr, Qt::Tool);
    shown.resize(100, 80);
    shown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
    const QMargins drawn(shown.geometry().left() - shown.frameGeometry().left(),
                         shown.geometry().top() - shown.frameGeometry().top(),
                         shown.frameGeometry().right() - shown.geometry().right(),
                         shown.frameGeometry().bottom() - shown.geometry().bottom());
    ASSERT_NE(drawn, QMargins()) << "the offscreen platform frames its windows";
    EXPECT_EQ(ScreenPlacement::frameMargins(shown), drawn);
    QWidget later(nullptr, Qt::Tool);
    later.resize(100, 80);
    EXPECT_EQ(ScreenPlacement::frameMargins(later), drawn);

    // Placed at the screen's bottom-right before it is shown, it shows there
    // frame included.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ScreenPlacement::place(later, screen.bottomRight(), screen);
    later.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&later));
    EXPECT_EQ(later.frameGeometry().bottomRight(), screen.bottomRight());
    EXPECT_EQ(later.size(), QSize(100, 80));
}

// Rows built apart and measured (and so polished) before they join a pane
// are covered as well as those built in it: a passing wheel turns none.
TEST(FocusedWheel, ControlsBuiltApartAndAddedLaterTakeTheWheelOnlyWithTheFocus)
{
    QWidget pane;
    auto* layout = new QVBoxLayout(&pane);
    FocusedWheel::cover(&pane);
    auto* typing = new QLineEdit;
    layout->addWidget(typing);
    auto* row = new QWidget;
    auto* number = new QSpinBox(row);
    number->setValue(5);
    (void)number->sizeHint();
    layout->addWidget(row);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    typing->setFocus();
    const auto notch = [number] {
        QWidget* under = number->childAt(number->rect().center());
        const QPoint at = under->mapFrom(number, number->rect().center());
        QWheelEvent wheel(at, under->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(under, &wheel);
    };
    notch();
    EXPECT_EQ(number->value(), 5);
    EXPECT_FALSE(number->hasFocus());
    number->setFocus(Qt::TabFocusReason);
    notch();
    EXPECT_EQ(number->value(), 6);
}
