// Guide changes in the real window are edits without undo: after a save each
// makes closing ask, while saving and showing the page again do not.
#include "WindowTestSupport.h"

#include "app/window/WindowMenus.h"
#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/graphics/RulerMarker.h"

#include <QAction>
#include <QTest>
#include <functional>

using namespace ql;

class GuideEdits : public ql::testing::WindowFixture {
protected:
    void menu(const char* path)
    {
        QAction* action = window->menus().itemAtPath(QString::fromUtf8(path));
        ASSERT_TRUE(action && window->menus().validateMenuItem(action)) << path;
        action->trigger();
    }
    void click(double location)
    {
        ZVRulerView* ruler = window->scrollView()->horizontalRulerView();
        QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(int(ruler->rulerPosition(location)), ZVRulerView::kThickness / 2));
    }
    void saved() { ASSERT_TRUE(controller.saveDocumentToFile(document, path(QStringLiteral("flyer.qvleaf")))); }
};

TEST_F(GuideEdits, EveryGuideChangeIsAnEditWithoutUndo)
{
    ZVRulerView* ruler = window->scrollView()->horizontalRulerView();
    page->setValueForKey(u"bleedMargin", 9.0);
    page->setValueForKey(u"fullBleed", true);
    DeferredCalls::instance().flush();
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"insert", [&] { menu("Page/Insert Vertical Guide"); }},
        {"click on the ruler", [&] { click(100.3); }},
        {"move", [&] {
             QList<RulerMarker> markers = ruler->markers();
             markers.first().location += 20;
             ruler->setMarkers(markers);
             page->rulerViewDidChangeMarkers(*ruler);
         }},
        {"delete", [&] { menu("Page/Delete Guides"); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        saved();
        const int steps = document->undoManager()->undoCount();
        change();
        EXPECT_TRUE(document->isDocumentEdited());
        EXPECT_EQ(document->undoManager()->undoCount(), steps) << "guides keep recording no undo";
    }

    // The rulers hand the guides back with images, in their order and
    // shifted by the bleed: still no change.
    menu("Page/Insert Horizontal Guide");
    click(177.7);
    click(77.7);
    saved();
    document->setCurrentPage(page);
    ASSERT_TRUE(document->dataOfType(kDesktopDocumentType));
    EXPECT_FALSE(document->isDocumentEdited());
}
