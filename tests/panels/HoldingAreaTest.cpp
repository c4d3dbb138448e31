#include "app/document/Document.h"
#include "canvas/ModelArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "panels/ZVPasteboardViewController.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/undo/UndoManager.h"
#include "PanelTestSupport.h"

#include <QDropEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

const Color kInk = Color::deviceRgb(0.8, 0.1, 0.2);

// A holding area of its own on the test's store, shown so that its grid
// makes its thumbnails.
struct HoldingArea {
    HoldingArea(Document& document, UserDefaults& store)
    {
        controller.setStore(&store);
        controller.setRepresentedObject(&document);
        controller.view()->resize(300, 400);
        controller.view()->show();
        QCoreApplication::processEvents();
    }
    void select(qint64 index)
    {
        controller.gridView()->selectItemAtIndex(index);
        ASSERT_TRUE(controller.gridSelected());
    }
    qint64 count() { return controller.numberOfItemsInSection(*controller.gridView(), 0); }

    ZVPasteboardViewController controller;
};

class HoldingAreaTest : public ::testing::Test {
protected:
    HoldingAreaTest() : store(folder.filePath(QStringLiteral("defaults"))), area(document, store)
    {
        document.setUpForWindow(true);
        // A new current page starts with nothing selected a moment later;
        // that moment passes before the test selects anything.
        DeferredCalls::instance().flush();
    }

    ZVPuttyView* add(std::unique_ptr<ZVPuttyView> made, const QRectF& frame)
    {
        ZVPuttyView* element = made.release();
        element->setFrame(frame);
        page()->addPuttyView(element);
        element->setIsHighlighted(true);
        element->setIsActive(true);
        return element;
    }
    // A picture, a shape and a turned box of coloured text, all active.
    QList<ZVPuttyView*> addThree()
    {
        QImage picture(50, 40, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        QList<ZVPuttyView*> three {
            add(ZVPuttyView::initWithImage(Image(picture)), QRectF(10, 10, 130, 120)),
            add(ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 60, 60)), QStringLiteral("square")),
                QRectF(200, 10, 140, 150)),
            add(ZVPuttyView::initWithText(), QRectF(50, 300, 281, 180)),
        };
        auto* text = qobject_cast<ZVTextView*>(three[2]->contentView());
        text->setAttributedString(AttributedString(QStringLiteral("Kept words"),
                                                   {{TextAttribute::foregroundColor, QVariant::fromValue(kInk)}}));
        three[2]->setFrameRotation(30);
        endTurn();
        return three;
    }
    ZVCanvasView* page() { return document.currentPage(); }
    QVariantMap entry(qint64 index) { return area.controller.entries().value(index).toMap(); }

    QTemporaryDir folder;
    Document document;
    UserDefaults store;
    HoldingArea area;
};

} // namespace

TEST_F(HoldingAreaTest, KeepsEachActiveElementInOrderWithItsPicture)
{
    EXPECT_EQ(area.count(), 0) << "no default, no items";
    const QList<ZVPuttyView*> three = addThree();
    area.controller.addToPasteboard(nullptr);
    ASSERT_EQ(area.count(), 3);
    for (int i = 0; i < 3; ++i) {
        const QVariantMap kept = entry(i);
        EXPECT_EQ(kept.keys(), (QStringList {"image", "viewData"}));
        EXPECT_EQ(readWithPlistlib(kept.value(QStringLiteral("viewData")).toByteArray(),
                                   QStringLiteral("o[root['$class'].data]['$classname']")),
                  QStringLiteral("ZVPuttyView"));
        const QImage picture = QImage::fromData(kept.value(QStringLiteral("image")).toByteArray(), "PNG");
        EXPECT_EQ(QSizeF(picture.size()), three[i]->frame().size()) << i;
        EXPECT_TRUE(three[i]->isActive() && three[i]->isHighlighted()) << "selected again";
    }
    EXPECT_EQ(readWithPlistlib(entry(0).value(QStringLiteral("viewData")).toByteArray(),
                               QStringLiteral("o[root['uuid'].data]")),
              three[0]->uuid()) << "others than text boxes are kept whole";
    Document other;
    other.setUpForWindow(true);
    HoldingArea fresh(other, store);
    EXPECT_EQ(fresh.count(), 3) << "another window lists them too";
}

TEST_F(HoldingAreaTest, InsertsCopiesOfTheSelectedEntryWithIdentitiesOfTheirOwn)
{
    addThree();
    area.controller.addToPasteboard(nullptr);
    EXPECT_FALSE(area.controller.insertButton()->isEnabled());
    page()->highlightPuttyViews();
    const qsizetype before = page()->puttyViews().size();

    area.select(2);
    EXPECT_TRUE(area.controller.insertButton()->isEnabled());
    area.controller.insertButton()->click();
    endTurn();
    area.controller.insertObject();
    endTurn();
    ASSERT_EQ(page()->puttyViews().size(), before + 2);
    ZVPuttyView* first = page()->puttyViews()[before];
    ZVPuttyView* second = page()->puttyViews()[before + 1];
    EXPECT_EQ(first->frame(), QRectF(156, 246, 300, 300)) << "a plain box, centred";
    EXPECT_EQ(first->frameRotation(), 0.0);
    auto* text = qobject_cast<ZVTextView*>(first->contentView());
    EXPECT_EQ(text->string(), QStringLiteral("Kept words"));
    EXPECT_EQ(text->attributedString().attributeAt(TextAttribute::foregroundColor, 0).value<Color>(), kInk);
    EXPECT_NE(first->uuid(), second->uuid());
    EXPECT_EQ(second->layoutLayerGroup(), page()->currentLayoutLayer());
    EXPECT_EQ(area.count(), 3) << "the entry stays";
    document.undoManager()->undo();
    EXPECT_EQ(page()->puttyViews().size(), before + 1);
    EXPECT_EQ(page()->puttyViews().last(), first);
}

TEST_F(HoldingAreaTest, DeletesOnlyWhatTheGridStillShows)
{
    addThree();
    area.controller.addToPasteboard(nullptr);
    const QVariantList kept = area.controller.entries();
    area.select(1);
    area.controller.deleteButton()->click();
    EXPECT_EQ(area.controller.entries(), (QVariantList {kept[0], kept[2]}));
    EXPECT_FALSE(area.controller.gridSelected()) << "the grid shows the new list";
    area.controller.deleteFromPasteboard();
    EXPECT_EQ(area.count(), 2) << "nothing selected, nothing deleted";

    // Another window deletes the first while this one has the second selected.
    Document other;
    other.setUpForWindow(true);
    HoldingArea b(other, store);
    area.select(1);
    b.select(0);
    b.controller.deleteFromPasteboard();
    EXPECT_EQ(area.count(), 1);
    EXPECT_FALSE(area.controller.gridSelected());
    EXPECT_FALSE(area.controller.deleteButton()->isEnabled());
    area.controller.deleteFromPasteboard();
    EXPECT_EQ(area.count(), 1);
}

TEST_F(HoldingAreaTest, GarbageInsertsNothingAndDroppedElementsAreKept)
{
    store.setObject(ZVPasteboardViewController::storeKey(),
                    QVariantList {QVariantMap {{QStringLiteral("viewData"), QByteArrayLiteral("bplist00 garbage")},
                                               {QStringLiteral("image"), QByteArrayLiteral("not a picture")}}});
    ASSERT_EQ(area.count(), 1);
    area.select(0);
    const qsizetype before = page()->puttyViews().size();
    area.controller.insertObject();
    EXPECT_EQ(page()->puttyViews().size(), before);

    auto element = ZVPuttyView::initWithVector(BezierPath::ovalInRect(QRectF(0, 0, 40, 40)), QStringLiteral("oval"));
    element->setFrame(QRectF(0, 0, 120, 120));
    QMimeData data;
    data.setData(QStringLiteral("ZVPuttyView"), *canvas::archiveRootObject(element.get()));
    QWidget* target = area.controller.scrollView()->viewport();
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(area.count(), 2);
    EXPECT_EQ(QImage::fromData(entry(1).value(QStringLiteral("image")).toByteArray()).size(), QSize(120, 120));
}
