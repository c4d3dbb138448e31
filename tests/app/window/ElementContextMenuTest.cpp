// The element's context menu in the real window: a right press pops it up
// with its entries by kind, enabled as the element and the page say, and
// its conversions replace the element as one undo step.
#include "WindowTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"
#include "panels/controls/TBTabBar.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

using namespace ql;

namespace {

class ElementContextMenu : public ql::testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        zoomTo(1.0);
    }

    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    // A right press at a page point; the menu it pops up.
    QMenu* rightPress(QPointF pagePoint)
    {
        ZVScrollView* view = window->scrollView();
        QTest::mousePress(view->viewport(), Qt::RightButton, {}, view->mapFromPage(pagePoint).toPoint());
        QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, view->mapFromPage(pagePoint).toPoint());
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    }

    static QStringList titles(const QMenu& menu)
    {
        QStringList found;
        for (const QAction* action : menu.actions())
            found.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        return found;
    }
};

} // namespace

TEST_F(ElementContextMenu, ATextBoxOffersItsCommandsAndConversions)
{
    ZVPuttyView* box = add(ZVPuttyView::initWithText(), QRectF(0, 0, 300, 300));
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    text->setString(QString(51, QLatin1Char('x')));
    box->setFrameRotation(0);

    QMenu* menu = rightPress(QPointF(150, 150));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(box->isActive()) << "the press selects";
    const QStringList expected = QStringLiteral("Edit,-,Cut,Copy,Copy to Pasteboard,Paste,Duplicate,Delete,-,Bring "
                                                "Forward,Bring to Front,Send Backward,Send to Back,-,Move to Layer,-,"
                                                "Group,Ungroup,-,Lock,Unlock,-,Convert to")
                                     .split(QLatin1Char(','));
    EXPECT_EQ(titles(*menu), expected);
    QMenu* convert = menu->actions().constLast()->menu();
    ASSERT_NE(convert, nullptr);
    EXPECT_EQ(titles(*convert), (QStringList {QStringLiteral("Image"), QStringLiteral("3D Text"), QStringLiteral("Shape")}));
    EXPECT_TRUE(convert->actions()[0]->isEnabled());
    EXPECT_FALSE(convert->actions()[2]->isEnabled()) << "51 characters are too many for a shape";
    EXPECT_TRUE(menu->actions()[0]->isEnabled()) << "Edit";
    EXPECT_TRUE(menu->actions()[3]->isEnabled()) << "Copy, by the page";
    EXPECT_FALSE(menu->actions()[17]->isEnabled()) << "Ungroup: no group";
    // The window's arrange commands take the selection.
    for (const int arrange : {9, 10, 11, 12, 19})
        EXPECT_TRUE(menu->actions()[arrange]->isEnabled()) << menu->actions()[arrange]->text().toStdString();
    EXPECT_FALSE(menu->actions()[20]->isEnabled()) << "Unlock: nothing locked";

    // Image: a 300-dpi picture of the box in its place, one undo step.
    const QString uuid = box->uuid();
    convert->actions()[0]->trigger();
    menu->close();
    QCoreApplication::processEvents();
    ASSERT_EQ(page->puttyViews().size(), 1);
    ZVPuttyView* picture = page->puttyViews().constFirst();
    ASSERT_EQ(picture->contentViewType(), ZVPuttyView::ImageContent);
    const QSizeF size = qobject_cast<ZVImageView*>(picture->contentView())->originalImage().firstRepresentation().size();
    EXPECT_NEAR(size.width(), 916.67, 0.01);
    EXPECT_NEAR(size.height(), 916.67, 0.01);
    EXPECT_EQ(picture->frame(), QRectF(0, 0, 300, 300));
    EXPECT_NE(picture->uuid(), uuid);
    EXPECT_FALSE(picture->valueForKey(u"shadowEnabled").toBool());
    EXPECT_DOUBLE_EQ(picture->valueForKey(u"layerOpacity").toDouble(), 0.998);

    document->undoManager()->undo();
    ASSERT_EQ(page->puttyViews().size(), 1);
    EXPECT_EQ(page->puttyViews().constFirst(), box);
    EXPECT_EQ(box->frame(), QRectF(0, 0, 300, 300));
    document->undoManager()->redo();
    EXPECT_EQ(page->puttyViews().constFirst(), picture);
}

TEST_F(ElementContextMenu, APictureEndsWithCropAndEditOpensItsEditor)
{
    QImage red(100, 100, QImage::Format_RGB32);
    red.fill(Qt::red);
    add(ZVPuttyView::initWithImage(Image(red)), QRectF(100, 100, 180, 180));
    QMenu* menu = rightPress(QPointF(190, 190));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 23);
    EXPECT_EQ(menu->actions().constLast()->text(), QStringLiteral("Crop"));
    EXPECT_TRUE(menu->actions().constLast()->isEnabled());
    // Edit opens the image editor on the picture, with the content inspector.
    EXPECT_FALSE(window->outlets().editImagePanel->isVisible());
    menu->actions().constFirst()->trigger();
    menu->close();
    EXPECT_TRUE(window->outlets().editImagePanel->isVisible());
    EXPECT_EQ(window->outlets().inspectorTabs->selectedIndex(), 2);
    window->outlets().editImagePanel->hide();

    // Away from every element: the page's own menu.
    menu = rightPress(QPointF(500, 600));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(titles(*menu), QStringList {QStringLiteral("Paste")});
}

TEST_F(ElementContextMenu, AShapeConvertsToAPictureAndEditsItsPoints)
{
    ZVPuttyView* shape = add(ZVPuttyView::initWithVector(BezierPath::ovalInRect(QRectF(0, 0, 10, 10)),
                                                         QStringLiteral("circle")),
                             QRectF(100, 100, 200, 200));
    QMenu* menu = rightPress(QPointF(200, 200));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 23);
    EXPECT_EQ(menu->actions().constLast()->text(), QStringLiteral("Convert to Image"));
    // Edit hands the shape to the drawing surface for point editing.
    menu->actions().constFirst()->trigger();
    menu->close();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::PointSelectMode);
    EXPECT_EQ(page->oldShape(), shape);
    page->setDrawingMode(ZVCanvasView::SelectMode);
}
