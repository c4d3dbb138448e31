// Insertions and guide changes in the real window are edits: after a save
// each makes the document ask before closing, and an insertion is one undo
// step that removes exactly the new element.
#include "WindowTestSupport.h"

#include "app/window/WindowMenus.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "platform/graphics/RulerMarker.h"

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <functional>

using namespace ql;

namespace {

class InsertEdits : public ql::testing::WindowFixture {
protected:
    static QPushButton* button(QWidget* in, const QString& title)
    {
        for (QPushButton* button : in->findChildren<QPushButton*>())
            if (button->text() == title)
                return button;
        ADD_FAILURE() << "no button " << title.toStdString();
        return nullptr;
    }
    void settle()
    {
        QTest::qWait(20);
        DeferredCalls::instance().flush();
    }
    void saved()
    {
        ASSERT_TRUE(controller.saveDocumentToFile(document, path(QStringLiteral("flyer.qvleaf"))));
        ASSERT_FALSE(document->isDocumentEdited());
    }
    void menu(const char* path)
    {
        QAction* action = window->menus().itemAtPath(QString::fromUtf8(path));
        ASSERT_NE(action, nullptr) << path;
        ASSERT_TRUE(window->menus().validateMenuItem(action)) << path;
        action->trigger();
    }
};

} // namespace

TEST_F(InsertEdits, EachInsertionIsOneUndoStepThatTheSaveQuestionKnows)
{
    ZVTextContentViewController* texts = window->controllers().textContentVC;
    const std::pair<const char*, std::function<void()>> inserts[] = {
        {"text box", [&] { button(texts->view(), QStringLiteral("Insert Text Box"))->click(); }},
        {"page number", [&] { texts->insertTextWithType(ZVTextContentViewController::PageNumber); }},
        {"date", [&] { texts->insertTextWithType(ZVTextContentViewController::Date); }},
        {"3D text", [&] { document->insert3DText(); }},
    };
    for (const auto& [kind, insert] : inserts) {
        SCOPED_TRACE(kind);
        saved();
        const QList<ZVPuttyView*> before = page->puttyViews();
        const int steps = document->undoManager()->undoCount();
        insert();
        settle();
        ASSERT_EQ(page->puttyViews().size(), before.size() + 1);
        ZVPuttyView* added = page->puttyViews().constLast();
        const QString uuid = added->uuid();
        EXPECT_TRUE(document->isDocumentEdited());
        EXPECT_EQ(document->undoManager()->undoCount(), steps + 1);

        document->undoManager()->undo();
        EXPECT_EQ(page->puttyViews(), before) << "exactly the new element goes";
        document->undoManager()->redo();
        ASSERT_EQ(page->puttyViews().size(), before.size() + 1);
        EXPECT_EQ(page->puttyViews().constLast()->uuid(), uuid);
    }

    // Closing asks; Cancel keeps the document open.
    prompter.answerAlert(1);
    EXPECT_FALSE(controller.closeDocument(document));
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_TRUE(prompter.alerts.first().messageText.startsWith(QStringLiteral("Do you want to save")));
}

TEST_F(InsertEdits, GuideChangesAreEditsWithoutUndoAndSavingIsNot)
{
    ZVRulerView* ruler = window->scrollView()->horizontalRulerView();
    page->setValueForKey(u"bleedMargin", 9.0);
    page->setValueForKey(u"fullBleed", true);
    settle();
    const auto changed = [&](const char* what, const std::function<void()>& change) {
        SCOPED_TRACE(what);
        saved();
        const int steps = document->undoManager()->undoCount();
        change();
        settle();
        EXPECT_TRUE(document->isDocumentEdited());
        EXPECT_EQ(document->undoManager()->undoCount(), steps) << "guides keep recording no undo";
    };
    changed("insert", [&] { menu("Page/Insert Vertical Guide"); });
    changed("click on the ruler", [&] {
        QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(int(ruler->rulerPosition(100.3)), ZVRulerView::kThickness / 2));
    });
    changed("move", [&] {
        QList<RulerMarker> markers = ruler->markers();
        markers.first().location += 20;
        ruler->setMarkers(markers);
        page->rulerViewDidChangeMarkers(*ruler);
    });
    changed("delete", [&] { menu("Page/Delete Guides"); });

    // Saving and showing the page again read the guides back unchanged.
    menu("Page/Insert Horizontal Guide");
    QTest::mouseClick(ruler, Qt::LeftButton, {}, QPoint(int(ruler->rulerPosition(77.7)), ZVRulerView::kThickness / 2));
    saved();
    document->setCurrentPage(page);
    ASSERT_TRUE(document->dataOfType(kDesktopDocumentType));
    EXPECT_FALSE(document->isDocumentEdited());
}
