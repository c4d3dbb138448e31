// The Insert menu on a 612 × 792 page: where each kind of element lands,
// which browser tab shows, and that each insert is selected, focused and one
// undo step; a deferred insert dies with its document.
#include "WindowTestSupport.h"

#include "app/window/WindowMenus.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "panels/browsers/ZVClipArtContentViewController.h"
#include "panels/browsers/ZVCodeContentViewController.h"
#include "panels/controls/TBTabBar.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "shapes/ZVVectorView.h"

#include <QAction>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

using namespace ql;

namespace {

class InsertMenu : public ql::testing::WindowFixture {
protected:
    // Runs one Insert item and its deferred half; the element it added, if any.
    ZVPuttyView* insert(const QString& item)
    {
        const qsizetype before = page->puttyViews().size();
        const int steps = document->undoManager()->undoCount();
        QAction* action = window->menus().itemAtPath(QStringLiteral("Insert/") + item);
        EXPECT_NE(action, nullptr) << qPrintable(item);
        if (!action)
            return nullptr;
        action->trigger();
        QCoreApplication::processEvents();
        DeferredCalls::instance().flush();
        document->undoManager()->closeTurnGroup();
        if (page->puttyViews().size() == before) {
            EXPECT_EQ(document->undoManager()->undoCount(), steps) << qPrintable(item);
            return nullptr;
        }
        EXPECT_EQ(page->puttyViews().size(), before + 1) << qPrintable(item);
        ZVPuttyView* element = page->puttyViews().last();
        EXPECT_TRUE(element->isActive()) << qPrintable(item);
        EXPECT_EQ(page->focusedPuttyView(), element) << qPrintable(item);
        EXPECT_EQ(document->undoManager()->undoCount(), steps + 1) << qPrintable(item) << ": one undo step";
        return element;
    }
    unsigned tab() const { return window->outlets().contentTabs->selectedIndex(); }
    static double fontSize(ZVPuttyView* element)
    {
        const auto* text = qobject_cast<ZVTextView*>(element->contentView());
        return text->attributedString().attributeAt(TextAttribute::font, 0).value<Font>().pointSize();
    }
};

} // namespace

TEST_F(InsertMenu, TextPageNumbersDatesAnd3DTextLandWhereTheyShould)
{
    ASSERT_EQ(page->frame().size(), QSizeF(612, 792));
    window->changeContentView(3);
    ZVPuttyView* number = insert(QStringLiteral("Page Number"));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->frame(), QRectF(191, 717, 230, 110));
    ZVPuttyView* date = insert(QStringLiteral("Date"));
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->frame(), QRectF(191, -35, 230, 110));
    EXPECT_EQ(tab(), 3u) << "page numbers and dates leave the tab alone";

    ZVPuttyView* box = insert(QStringLiteral("Text Box"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(tab(), 1u);
    EXPECT_EQ(box->frame(), QRectF(166, 256, 280, 280));
    EXPECT_EQ(qobject_cast<ZVTextView*>(box->contentView())->attributedString().string(),
              QStringLiteral("Double click to edit."));

    // Two styles at once: each box takes its own.
    window->menus().itemAtPath(QStringLiteral("Insert/Text Style/Title"))->trigger();
    window->menus().itemAtPath(QStringLiteral("Insert/Text Style/Caption"))->trigger();
    DeferredCalls::instance().flush();
    ASSERT_EQ(page->puttyViews().size(), 5);
    EXPECT_EQ(fontSize(page->puttyViews().at(3)), 32.0);
    EXPECT_EQ(fontSize(page->puttyViews().at(4)), 11.0);

    ZVPuttyView* text3D = insert(QStringLiteral("3D Text"));
    ASSERT_NE(text3D, nullptr);
    EXPECT_EQ(text3D->frame(), QRectF(56, 296, 500, 200));
}

TEST_F(InsertMenu, LibraryShapesByTagAndOnlyInsideTheLibrary)
{
    QAction* star = window->menus().item(QStringLiteral("insertShapeWithIndex:"), 10);
    ASSERT_NE(star, nullptr);
    EXPECT_EQ(star->text(), QStringLiteral("Star"));
    star->trigger();
    EXPECT_EQ(tab(), 2u);
    EXPECT_TRUE(page->puttyViews().isEmpty()) << "the shape comes once the browser is loaded";
    DeferredCalls::instance().flush();
    ASSERT_EQ(page->puttyViews().size(), 1);
    ZVPuttyView* element = page->puttyViews().first();
    EXPECT_TRUE(element->isActive());
    EXPECT_EQ(page->focusedPuttyView(), element);
    EXPECT_EQ(element->frame(), QRectF(156, 246, 300, 300));
    EXPECT_EQ(qobject_cast<ZVVectorView*>(element->contentView())->shapeName(), QStringLiteral("star"));

    // Tags outside the library, and a closed document, insert nothing.
    document->insertShapeWithIndex(-1);
    document->insertShapeWithIndex(28);
    DeferredCalls::instance().flush();
    EXPECT_EQ(page->puttyViews().size(), 1);
    const QPointer<Document> closing = document;
    document->insertShapeWithIndex(0);
    document->insertTextWithStyle(1);
    ASSERT_TRUE(controller.closeDocument(document));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(closing.isNull());
    // The deferred halves went with the document: running what is left
    // touches nothing of it.
    DeferredCalls::instance().flush();
}

TEST_F(InsertMenu, PicturesComeFromTheOpenPanel)
{
    QImage wide(1000, 500, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    const QString picture = path(QStringLiteral("wide.png"));
    ASSERT_TRUE(wide.save(picture));
    prompter.answerOpenPanel({picture});
    ZVPuttyView* image = insert(QStringLiteral("Image…"));
    EXPECT_EQ(tab(), 0u);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->contentFrame(), QRectF(306 - 153, 396 - 76.5, 306, 153));
    prompter.answerOpenPanel({});
    EXPECT_EQ(insert(QStringLiteral("Image…")), nullptr) << "a cancelled panel inserts nothing";
}

TEST_F(InsertMenu, ClipArtCodesAndShapesShowTheirBrowsers)
{

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(insert(QStringLiteral("Clip Art")), nullptr);
    EXPECT_EQ(tab(), 3u);
    EXPECT_TRUE(window->controllers().clipArtContentVC->searchField()->hasFocus());
    EXPECT_EQ(insert(QStringLiteral("QR Code or Barcode")), nullptr);
    EXPECT_EQ(tab(), 4u);
    EXPECT_TRUE(window->controllers().codeContentVC->codeField()->hasFocus());

    // Shapes only shows the browser; the shape-text command is in no menu.
    EXPECT_EQ(insert(QStringLiteral("Shapes")), nullptr);
    EXPECT_EQ(tab(), 2u);
    EXPECT_EQ(window->menus().item(QStringLiteral("insertShapeText:")), nullptr);
}
