// The toolbar's buttons, the drawing tools and the browsers' fields act
// through commands by selector: disabled while nothing handles them, live
// once a command is registered, and triggering exactly that command.
#include "WindowTestSupport.h"

#include "app/window/WindowControls.h"
#include "app/window/WindowMenus.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/browsers/ZVClipArtContentViewController.h"
#include "panels/browsers/ZVCodeContentViewController.h"
#include "panels/controls/SegmentedControl.h"
#include "panels/controls/TBTabBar.h"

#include <QAction>
#include <QLineEdit>
#include <QMap>
#include <QTest>
#include <QToolButton>

using namespace ql;

namespace {

struct Control {
    QWidget* widget;
    QString selector;
    int tag;
};

class CommandControls : public ql::testing::WindowFixture {
protected:
    static QString key(const Control& control) { return control.selector + QString::number(control.tag); }
};

} // namespace

TEST_F(CommandControls, DisabledUntilACommandHandlesThemThenTriggerIt)
{
    const DocumentWindow::Outlets& o = window->outlets();
    EXPECT_TRUE(o.zoomInButton->isEnabled()) << "its command is the View menu's";
    for (QToolButton* button : {o.previewButton.data(), o.exportButton.data(), o.printButton.data(), o.shapeButton.data(),
                                o.imageButton.data(), o.clipArtButton.data(), o.qrCodeButton.data()})
        EXPECT_TRUE(button->isEnabled()) << qPrintable(button->objectName()) << ": its command is there";
    EXPECT_TRUE(window->outlets().drawingTools->isEnabledForSegment(1)) << "the hand tool works";
    EXPECT_TRUE(window->controllers().clipArtContentVC->searchField()->isEnabled()) << "the browsers' own commands";
    EXPECT_TRUE(window->controllers().codeContentVC->codeField()->isEnabled());

    // Controls of commands that nothing handles yet wait for them.
    auto* first = new QToolButton(window);
    auto* second = new QToolButton(window);
    const QList<Control> controls {{first, QStringLiteral("firstCommand:"), -1},
                                   {second, QStringLiteral("secondCommand:"), -1}};
    for (const Control& control : controls)
        window->menus().controls().bindButton(qobject_cast<QToolButton*>(control.widget), control.selector);
    for (const Control& control : controls)
        EXPECT_FALSE(control.widget->isEnabled()) << qPrintable(key(control)) << " has no command yet";

    QMap<QString, int> triggered;
    const QString pane = key(controls[0]);
    // A pane's controller may name a QAction of its own.
    auto* own = new QAction(window->controllers().clipArtContentVC);
    own->setObjectName(controls[0].selector);
    QObject::connect(own, &QAction::triggered, [&triggered, pane] { ++triggered[pane]; });
    window->menus().validateMenus();
    const QString added = key(controls[1]);
    window->menus().addCommand(controls[1].selector, [&triggered, added] { ++triggered[added]; });
    for (const Control& control : controls)
        EXPECT_TRUE(control.widget->isEnabled()) << qPrintable(key(control)) << " enables itself";

    for (const Control& control : controls)
        QTest::mouseClick(qobject_cast<QToolButton*>(control.widget), Qt::LeftButton);
    for (const Control& control : controls)
        EXPECT_EQ(triggered.value(key(control)), 1) << qPrintable(key(control));
    EXPECT_EQ(page->drawingMode().toInt(), 0) << "the drawing tools' own commands ran, not a mode change";

    // A command's rule governs its control as it governs a menu item.
    window->menus().addValidation(QStringLiteral("printDocument:"), [](QAction*) { return false; });
    window->menus().validateMenus();
    EXPECT_FALSE(window->outlets().printButton->isEnabled());
}

TEST_F(CommandControls, ZoomButtonsAndDrawingToolsRunTheirCommands)
{
    // The insert buttons run the Insert menu's commands.
    const DocumentWindow::Outlets& o = window->outlets();
    QTest::mouseClick(o.shapeButton, Qt::LeftButton);
    EXPECT_EQ(o.contentTabs->selectedIndex(), 2u);
    QTest::mouseClick(o.qrCodeButton, Qt::LeftButton);
    EXPECT_EQ(o.contentTabs->selectedIndex(), 4u);

    const double before = window->scrollView()->magnification();
    QTest::mouseClick(window->outlets().zoomInButton, Qt::LeftButton);
    EXPECT_NEAR(window->scrollView()->magnification(), before + 0.2, 1e-9);
    QTest::mouseClick(window->outlets().drawingTools->button(2), Qt::LeftButton);
    EXPECT_EQ(page->drawingMode().toInt(), 2);
    QTest::mouseClick(window->outlets().drawingTools->button(0), Qt::LeftButton);
    QTest::mouseClick(window->outlets().drawingTools->button(7), Qt::LeftButton);
    EXPECT_EQ(page->drawingMode().toInt(), 0) << "a disabled tool changes nothing";
    QTest::mouseClick(window->outlets().drawingTools->button(4), Qt::LeftButton);
    EXPECT_EQ(page->drawingMode().toInt(), 4);
}
