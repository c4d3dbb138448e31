// The toolbar's buttons, the drawing tools and the browsers' fields act
// through commands by selector: disabled while nothing handles them, live
// once a command is registered, and triggering exactly that command.
#include "WindowTestSupport.h"

#include "app/window/WindowMenus.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/browsers/ZVClipArtContentViewController.h"
#include "panels/browsers/ZVCodeContentViewController.h"
#include "panels/controls/SegmentedControl.h"

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
    // The controls whose commands later work builds.
    QList<Control> waiting() const
    {
        const DocumentWindow::Outlets& o = window->outlets();
        return {
            {o.shapeButton, QStringLiteral("insertShape:"), -1},
            {o.imageButton, QStringLiteral("insertImage:"), -1},
            {o.clipArtButton, QStringLiteral("insertClipArt:"), -1},
            {o.qrCodeButton, QStringLiteral("insertBarcode:"), -1},
        };
    }
    static QString key(const Control& control) { return control.selector + QString::number(control.tag); }
};

} // namespace

TEST_F(CommandControls, DisabledUntilACommandHandlesThemThenTriggerIt)
{
    const QList<Control> controls = waiting();
    for (const Control& control : controls)
        EXPECT_FALSE(control.widget->isEnabled()) << qPrintable(key(control)) << " has no command yet";
    EXPECT_TRUE(window->outlets().zoomInButton->isEnabled()) << "its command is the View menu's";
    for (QToolButton* output : {window->outlets().previewButton.data(), window->outlets().exportButton.data(),
                                window->outlets().printButton.data()})
        EXPECT_TRUE(output->isEnabled()) << qPrintable(output->objectName()) << ": its command is there";
    EXPECT_TRUE(window->outlets().drawingTools->isEnabledForSegment(1)) << "the hand tool works";
    EXPECT_TRUE(window->controllers().clipArtContentVC->searchField()->isEnabled()) << "the browsers' own commands";
    EXPECT_TRUE(window->controllers().codeContentVC->codeField()->isEnabled());

    QMap<QString, int> triggered;
    for (const Control& control : controls) {
        const QString name = key(control);
        if (control.selector == QLatin1String("insertClipArt:")) {
            // A pane's controller may name a QAction of its own.
            auto* search = new QAction(window->controllers().clipArtContentVC);
            search->setObjectName(control.selector);
            QObject::connect(search, &QAction::triggered, [&triggered, name] { ++triggered[name]; });
            window->menus().validateMenus();
        } else {
            window->menus().addCommand(control.selector, [&triggered, name] { ++triggered[name]; }, control.tag);
        }
    }
    for (const Control& control : controls)
        EXPECT_TRUE(control.widget->isEnabled()) << qPrintable(key(control)) << " enables itself";

    for (const Control& control : controls) {
        if (auto* button = qobject_cast<QToolButton*>(control.widget))
            QTest::mouseClick(button, Qt::LeftButton);
    }
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
