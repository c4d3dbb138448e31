// The page's drawing surface and modes: when a drawing counts as finished,
// what it becomes on the page, and a shape's points edited and given back.
#include "CanvasTestSupport.h"

#include "../shapes/df/DrawingTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "app/output/SheetDocument.h"
#include "canvas/ModelArchive.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVDrawingView.h"
#include "content/ZVObjectDrawingLayer.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "shapes/ZVImageAdornment.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawing.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFStyle.h"
#include "shapes/df/DFToolController.h"
#include "shapes/df/PathEditing.h"

#include <gtest/gtest.h>

using namespace ql;

namespace {

void flush()
{
    DeferredCalls::instance().flush();
}

// A press and release as the toolkit reports a double click: one click,
// then a second press and release counting two.
void doubleClick(DFDrawingView& view, QPointF at)
{
    dftest::click(view, at);
    dftest::click(view, at, 2);
}

CanvasEvent key(int code)
{
    CanvasEvent event;
    event.keyCode = code;
    event.button = CanvasEvent::Button::None;
    return event;
}

ZVVectorView* vectorOf(const ZVPuttyView* element)
{
    return element ? qobject_cast<ZVVectorView*>(element->contentView()) : nullptr;
}

qsizetype vertices(const ZVPuttyView* element)
{
    const ZVVectorView* vector = vectorOf(element);
    return vector && vector->shape() ? df::vertexCount(vector->shape()->path()) : -1;
}

class DrawingModes : public ::testing::Test {
protected:
    void SetUp() override
    {
        flush();
        page = document.addPage();
        surface = page->drawingView();
    }
    void TearDown() override { flush(); }

    // A triangle drawn with the path tool and finished, as an element.
    ZVPuttyView* drawTriangle()
    {
        page->setDrawingMode(ZVCanvasView::PathMode);
        dftest::click(*surface, QPointF(100, 100));
        dftest::click(*surface, QPointF(300, 100));
        doubleClick(*surface, QPointF(300, 250));
        surface->keyDown(key(Qt::Key_Return));
        flush();
        endTurn();
        return page->puttyViews().value(0);
    }

    TestDocument document;
    ZVCanvasView* page = nullptr;
    ZVDrawingView* surface = nullptr;
};

} // namespace

TEST_F(DrawingModes, TheSurfaceFinishesOnASingleClickReleaseAKeyOrTheNotification)
{
    EXPECT_TRUE(surface->isHidden());
    EXPECT_EQ(surface->controller()->drawingToolName(), QStringLiteral("Path"));

    // A freehand stroke finishes a tenth of a second after its release.
    page->setDrawingMode(ZVCanvasView::FreehandMode);
    EXPECT_FALSE(surface->isHidden());
    EXPECT_EQ(surface->controller()->drawingToolName(), QStringLiteral("Freehand"));
    EXPECT_EQ(ZVDesignHelper::sharedInstance().defaults().objectForKey(QStringLiteral("drawingMode")).toInt(), 4);
    ZVObjectDrawingLayer* first = page->mainlayer();
    dftest::drag(*surface, {QPointF(100, 200), QPointF(110, 215), QPointF(120, 230)});
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::FreehandMode) << "not before the delay";
    flush();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::SelectMode);
    EXPECT_TRUE(surface->isHidden());
    EXPECT_EQ(ZVDesignHelper::sharedInstance().defaults().objectForKey(QStringLiteral("drawingMode")).toInt(), 0);
    ASSERT_EQ(page->puttyViews().size(), 1);
    const ZVPuttyView* stroke = page->puttyViews().first();
    EXPECT_EQ(stroke->contentFrame(), QRectF(84, 189, 52, 52));
    EXPECT_EQ(stroke->frame(), QRectF(44, 149, 132, 132));
    EXPECT_EQ(vectorOf(stroke)->shapeName(), QStringLiteral("custom2"));
    ASSERT_NE(page->mainlayer(), first) << "the next drawing starts on a fresh layer";
    EXPECT_EQ(surface->activeLayer(), page->mainlayer());
    for (const DFObjectDrawingLayer* layer : surface->drawing()->layers())
        EXPECT_EQ(layer->isVisible(), layer == page->mainlayer());

    // A path ends with a double click, which does not finish the drawing;
    // the next click does, and starts no path of its own.
    page->setDrawingMode(ZVCanvasView::PathMode);
    dftest::click(*surface, QPointF(10, 10));
    dftest::click(*surface, QPointF(210, 10));
    doubleClick(*surface, QPointF(210, 90));
    flush();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::PathMode);
    dftest::click(*surface, QPointF(400, 400));
    flush();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::SelectMode);
    ASSERT_EQ(page->puttyViews().size(), 2);
    EXPECT_EQ(page->puttyViews().last()->contentFrame(), QRectF(9, 9, 202, 82));

    // Keys other than Return, Enter and Escape are taken and do nothing.
    page->setDrawingMode(ZVCanvasView::LineMode);
    for (const int code : {int(Qt::Key_A), int(Qt::Key_Left), int(Qt::Key_Delete)})
        EXPECT_TRUE(surface->keyDown(key(code)));
    flush();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::LineMode);
    surface->keyDown(key(Qt::Key_Enter));
    flush();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::SelectMode);

    // The notification finishes a page that is drawing; a private drawing
    // view (a shape's) and a page that is not drawing schedule nothing.
    ZVDrawingView loose(QRectF(0, 0, 50, 50));
    NotificationCenter::defaultCenter().post(QStringLiteral("disableDrawingView"));
    EXPECT_EQ(DeferredCalls::instance().pendingCount(), 0);
    page->setDrawingMode(ZVCanvasView::LineMode);
    NotificationCenter::defaultCenter().post(QStringLiteral("disableDrawingView"));
    flush();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::SelectMode);
    EXPECT_EQ(page->puttyViews().size(), 2) << "nothing was drawn";
}

TEST_F(DrawingModes, EnteringTheSelectModeAgainConvertsNothingTwice)
{
    page->setDrawingMode(ZVCanvasView::LineMode);
    dftest::drag(*surface, {QPointF(10, 10), QPointF(200, 10)});
    // The tool bar returns at once; the release's own finishing comes later.
    page->setDrawingMode(ZVCanvasView::SelectMode);
    page->setDrawingMode(ZVCanvasView::SelectMode);
    flush();
    page->setDrawingMode(ZVCanvasView::HandMode);
    EXPECT_EQ(page->puttyViews().size(), 1);

    // A path the tool bar interrupts is kept, not hidden on an old layer.
    page->setDrawingMode(ZVCanvasView::PathMode);
    dftest::click(*surface, QPointF(10, 300));
    dftest::click(*surface, QPointF(90, 380));
    page->setDrawingMode(ZVCanvasView::FreehandMode);
    EXPECT_EQ(page->puttyViews().size(), 2);
    EXPECT_TRUE(page->mainlayer()->objects().isEmpty());
}

TEST_F(DrawingModes, EditedPointsComeBackOnTheSameElementAndUndoAsOneStep)
{
    ZVPuttyView* triangle = drawTriangle();
    ASSERT_TRUE(triangle);
    ASSERT_EQ(vertices(triangle), 3);
    const QRectF before = triangle->frame();
    // A picture fill, which the surface leaves out.
    ZVBackgroundView* fill = vectorOf(triangle)->backgroundView();
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    fill->setBackgroundImage(Image(picture));
    fill->setBackgroundType(ZVBackgroundView::ImageFill);
    ASSERT_TRUE(vectorOf(triangle)->shape()->style()->firstRendererOfClass<ZVImageAdornment>());
    endTurn();
    const int steps = document.undo.undoCount();

    // The tool bar's insert tool on the focused shape: the element leaves the
    // page, its outline lies on the surface, and the mode asked for holds.
    triangle->setIsActive(true);
    page->setFocusedPuttyView(triangle);
    page->setDrawingMode(ZVCanvasView::InsertPointMode);
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::InsertPointMode);
    EXPECT_EQ(surface->controller()->drawingToolName(), QStringLiteral("Insert Path Point"));
    EXPECT_TRUE(page->editingShape());
    EXPECT_TRUE(page->puttyViews().isEmpty());
    ASSERT_EQ(page->mainlayer()->objects().size(), 1);
    auto* outline = qobject_cast<DFDrawablePath*>(page->mainlayer()->objects().first());
    ASSERT_TRUE(outline) << "edited as a path";
    EXPECT_EQ(outline->style()->firstRendererOfClass<ZVImageAdornment>(), nullptr);
    EXPECT_NEAR(outline->bounds().center().x(), triangle->contentFrame().center().x(), 0.5);
    EXPECT_NEAR(outline->bounds().center().y(), triangle->contentFrame().center().y(), 0.5);

    // Clicks on the outline insert points and never finish; Escape does.
    const QPointF onEdge((outline->bounds().left() + outline->bounds().right()) / 2, outline->bounds().top());
    dftest::click(*surface, onEdge);
    flush();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::InsertPointMode);
    EXPECT_EQ(df::vertexCount(outline->path()), 4);
    surface->keyDown(key(Qt::Key_Escape));
    flush();
    endTurn();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::SelectMode);
    ASSERT_EQ(page->puttyViews(), QList<ZVPuttyView*> {triangle}) << "the same element, once";
    EXPECT_EQ(vertices(triangle), 4);
    EXPECT_EQ(vectorOf(triangle)->shapeName(), QStringLiteral("custom2"));
    EXPECT_TRUE(qobject_cast<DFImageShape*>(vectorOf(triangle)->shape())->image().isNull()) << "no picture fill";
    EXPECT_EQ(page->selectedViews(), QList<ZVPuttyView*> {});
    EXPECT_FALSE(page->editingShape());
    EXPECT_EQ(document.undo.undoCount(), steps + 1) << "the editing is one step";

    // One undo gives the element its old outline back, redo the edited one.
    document.undo.undo();
    EXPECT_EQ(page->puttyViews(), QList<ZVPuttyView*> {triangle});
    EXPECT_EQ(vertices(triangle), 3);
    EXPECT_EQ(triangle->frame(), before);
    document.undo.redo();
    EXPECT_EQ(vertices(triangle), 4);

    // A double click hands the shape over too; giving it back unchanged
    // leaves one element, where it stood among the others.
    ZVPuttyView* other = ZVPuttyView::initWithText().release();
    page->addPuttyView(other);
    triangle->applyToDrawingView();
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::PointSelectMode);
    EXPECT_EQ(page->oldShape(), triangle);
    page->setDrawingMode(ZVCanvasView::SelectMode);
    EXPECT_EQ(page->puttyViews(), (QList<ZVPuttyView*> {triangle, other}));
}

TEST_F(DrawingModes, OutputFinishesOpenDrawingsAndPagesReopenSelecting)
{
    page->setDrawingMode(ZVCanvasView::FreehandMode);
    dftest::drag(*surface, {QPointF(50, 50), QPointF(150, 120)});
    // Output does not wait for the finishing step.
    const SheetDocument sheets = documentForPages({page});
    EXPECT_EQ(page->puttyViews().size(), 1);
    EXPECT_EQ(page->drawingMode().toInt(), ZVCanvasView::SelectMode);

    page->setDrawingMode(ZVCanvasView::FreehandMode);
    const Result<QByteArray> data = canvas::archiveRootObject(page);
    ASSERT_TRUE(data);
    const Result<QObject*> read = canvas::unarchiveRootObject(*data, ZVCanvasView::staticMetaObject,
                                                              canvas::pageClassRegistry());
    ASSERT_TRUE(read);
    std::unique_ptr<QObject> copy(*read);
    EXPECT_EQ(qobject_cast<ZVCanvasView*>(copy.get())->drawingMode().toInt(), ZVCanvasView::SelectMode);
}
