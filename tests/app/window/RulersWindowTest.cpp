// Rulers, ruler guides and units in the real window: the guide commands,
// clicks and drags on the rulers, guides kept per page and in the file, the
// units, and the View and Page menu items.
#include "WindowTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/RulerMarker.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/UserDefaults.h"

#include <QAction>
#include <QTest>

using namespace ql;

namespace {

QList<double> locations(const QList<RulerMarker>& markers)
{
    QList<double> result;
    for (const RulerMarker& marker : markers)
        result.append(marker.location);
    return result;
}

class RulersWindow : public ql::testing::WindowFixture {
protected:
    void menu(const char* path)
    {
        QAction* action = window->menus().itemAtPath(QString::fromUtf8(path));
        ASSERT_NE(action, nullptr) << path;
        ASSERT_TRUE(window->menus().validateMenuItem(action)) << path;
        action->trigger();
    }
    ZVRulerView* horizontal() const { return window->scrollView()->horizontalRulerView(); }
    ZVRulerView* vertical() const { return window->scrollView()->verticalRulerView(); }
    void fullBleed()
    {
        page->setValueForKey(u"bleedMargin", 9.0);
        page->setValueForKey(u"fullBleed", true);
        DeferredCalls::instance().flush();
    }
    // The ruler's pixel position of a page location.
    QPoint onRuler(ZVRulerView* ruler, double location) const
    {
        const int along = int(std::lround(ruler->rulerPosition(location)));
        return ruler->isHorizontalRuler() ? QPoint(along, ZVRulerView::kThickness / 2)
                                          : QPoint(ZVRulerView::kThickness / 2, along);
    }
};

} // namespace

TEST_F(RulersWindow, InsertedGuidesStandInTheMiddleOfTheTrimmedPage)
{
    menu("Page/Insert Vertical Guide");
    EXPECT_EQ(locations(page->horizontalMarkers()), QList<double>{306});
    EXPECT_EQ(locations(horizontal()->markers()), QList<double>{306});

    menu("Page/Delete Guides");
    fullBleed();
    menu("Page/Insert Vertical Guide");
    EXPECT_EQ(locations(page->horizontalMarkers()), QList<double>{306}) << "stored from the trim edge";
    EXPECT_EQ(locations(horizontal()->markers()), QList<double>{315}) << "shown on the bled page";

    menu("Page/Insert Vertical Guide");
    menu("Page/Insert Horizontal Guide");
    EXPECT_EQ(locations(page->horizontalMarkers()), (QList<double>{306, 306}));
    EXPECT_EQ(locations(horizontal()->markers()), (QList<double>{315, 315})) << "each guide shown once";
    EXPECT_EQ(locations(page->verticalMarkers()), QList<double>{396});
    EXPECT_EQ(locations(vertical()->markers()), QList<double>{405});

    menu("Page/Delete Guides");
    EXPECT_TRUE(page->horizontalMarkers().isEmpty());
    EXPECT_TRUE(page->verticalMarkers().isEmpty());
    EXPECT_TRUE(horizontal()->markers().isEmpty());
    EXPECT_TRUE(vertical()->markers().isEmpty());
}

TEST_F(RulersWindow, GuidesStayWithTheirPageAndInTheFile)
{
    menu("Page/Insert Vertical Guide");
    ZVCanvasView* second = document->newPage();
    document->contentPages().append(second);
    document->setCurrentPage(second);
    EXPECT_TRUE(horizontal()->markers().isEmpty()) << "the rulers show the current page's guides only";
    document->setCurrentPage(page);
    EXPECT_EQ(locations(horizontal()->markers()), QList<double>{306});

    const QString saved = path(QStringLiteral("guides.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, saved));
    EXPECT_EQ(ql::testing::plistlib(saved, QStringLiteral(
                  "[o['NSLocation'] for o in d['$objects'] if isinstance(o, dict) and 'NSLocation' in o]")),
              QStringLiteral("[306.0]"));
    const Result<Document*> reopened = controller.openDocumentWithContentsOfFile(saved);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(locations((*reopened)->contentPages().first()->horizontalMarkers()), QList<double>{306});
    // Saved again, the guides stay: the reopened window's rulers show them.
    const QString again = path(QStringLiteral("again.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(*reopened, again));
    EXPECT_EQ(ql::testing::plistlib(again, QStringLiteral(
                  "[o['NSLocation'] for o in d['$objects'] if isinstance(o, dict) and 'NSLocation' in o]")),
              QStringLiteral("[306.0]"));
    // Guides set by code show on the rulers at once and are saved too.
    RulerMarker marker;
    marker.location = 50;
    page->setVerticalMarkers({marker});
    EXPECT_EQ(locations(vertical()->markers()), QList<double>{50});
    ASSERT_TRUE(controller.saveDocumentToFile(document, saved));
    EXPECT_EQ(locations(page->verticalMarkers()), QList<double>{50});
}

TEST_F(RulersWindow, ClickingARulerMakesAGuideAndDraggingItOffRemovesIt)
{
    fullBleed();
    QTest::mouseClick(horizontal(), Qt::LeftButton, {}, onRuler(horizontal(), 100));
    ASSERT_EQ(page->horizontalMarkers().size(), 1);
    EXPECT_NEAR(page->horizontalMarkers().first().location, 91, 1.0 / window->scrollView()->magnification());

    // Along the ruler it moves; off the ruler it goes.
    const QPoint from = onRuler(horizontal(), horizontal()->markers().first().location);
    QTest::mousePress(horizontal(), Qt::LeftButton, {}, from);
    QTest::mouseMove(horizontal(), onRuler(horizontal(), 209));
    QTest::mouseRelease(horizontal(), Qt::LeftButton, {}, onRuler(horizontal(), 209));
    ASSERT_EQ(page->horizontalMarkers().size(), 1);
    EXPECT_NEAR(page->horizontalMarkers().first().location, 200, 1.0 / window->scrollView()->magnification());

    const QPoint at = onRuler(horizontal(), 209);
    QTest::mousePress(horizontal(), Qt::LeftButton, {}, at);
    QTest::mouseMove(horizontal(), at + QPoint(0, 200));
    QTest::mouseRelease(horizontal(), Qt::LeftButton, {}, at + QPoint(0, 200));
    EXPECT_TRUE(horizontal()->markers().isEmpty());
    EXPECT_TRUE(page->horizontalMarkers().isEmpty());

    // The vertical ruler makes horizontal guides.
    QTest::mouseClick(vertical(), Qt::LeftButton, {}, onRuler(vertical(), 309));
    ASSERT_EQ(page->verticalMarkers().size(), 1);
    EXPECT_NEAR(page->verticalMarkers().first().location, 300, 1.0 / window->scrollView()->magnification());
}

TEST_F(RulersWindow, GuidesMovedWhileTextIsEditedAreStoredWhenEditingEnds)
{
    menu("Page/Insert Vertical Guide");
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    box->setFrame(QRectF(100, 100, 280, 180));
    page->addPuttyView(box);
    page->setFocusedPuttyView(box);
    box->contentView()->setEditMode(true);

    QList<RulerMarker> moved = horizontal()->markers();
    moved.first().location = 400;
    horizontal()->setMarkers(moved);
    document->saveCurrentPageMarkers();
    EXPECT_EQ(locations(page->horizontalMarkers()), QList<double>{306});

    // Deselecting ends the editing, which stores the rulers' guides.
    page->clearPuttyViews();
    EXPECT_FALSE(box->contentView()->editMode());
    EXPECT_EQ(locations(page->horizontalMarkers()), QList<double>{400});
    EXPECT_EQ(locations(horizontal()->markers()), QList<double>{400});

    // Rulers the user hid stay hidden when editing ends.
    menu("View/Hide Rulers");
    box->contentView()->setEditMode(true);
    box->contentView()->setEditMode(false);
    EXPECT_FALSE(window->scrollView()->rulersVisible());
}

TEST_F(RulersWindow, UnitsAndRulerVisibility)
{
    UserDefaults& defaults = UserDefaults::standard();
    defaults.setBool(QStringLiteral("unitsInches"), true);
    menu("View/Units/Centimeters");
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("unitsInches")));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("unitsCM")));
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("unitsPixels")));
    EXPECT_EQ(defaults.integerForKey(QStringLiteral("unitsType")), 1);
    EXPECT_EQ(horizontal()->measurementUnits(), QStringLiteral("Centimeters"));
    EXPECT_EQ(vertical()->measurementUnits(), QStringLiteral("Centimeters"));
    QAction* centimeters = window->menus().item(QStringLiteral("setUnits:"), 1);
    QAction* points = window->menus().item(QStringLiteral("setUnits:"), 2);
    window->menus().validateMenuItem(centimeters);
    window->menus().validateMenuItem(points);
    EXPECT_TRUE(centimeters->isChecked());
    EXPECT_FALSE(points->isChecked());
    menu("View/Units/Points");
    EXPECT_EQ(horizontal()->measurementUnits(), QStringLiteral("Points"));

    menu("View/Hide Rulers");
    EXPECT_FALSE(document->rulersVisible());
    EXPECT_FALSE(window->scrollView()->rulersVisible());
    menu("View/Show Rulers");
    EXPECT_TRUE(window->scrollView()->rulersVisible());

    // The guide and snapping check items follow their defaults.
    defaults.setBool(QStringLiteral("snapToGuides"), true);
    menu("View/Snap to Guides");
    EXPECT_FALSE(defaults.boolForKey(QStringLiteral("snapToGuides")));
    QAction* snap = window->menus().itemAtPath(QStringLiteral("View/Snap to Guides"));
    window->menus().validateMenuItem(snap);
    EXPECT_FALSE(snap->isChecked());
    menu("View/Snap to Guides");
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("snapToGuides")));
}
