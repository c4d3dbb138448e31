#include "CanvasTestSupport.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/PagePainter.h"
#include "canvas/view/ZVClipView.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>
#include <QUuid>
#include <QTest>
#include <gtest/gtest.h>

using namespace ql;

namespace {

// An element that counts the presses it receives.
class CountingElement : public ZVPuttyView {
public:
    CountingElement()
    {
        auto* content = new ZVTextView;
        content->setPuttyView(this);
        setContentView(content);
        setUuid(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    }
    void mouseDown(const CanvasEvent& event) override
    {
        ++presses;
        last = event.location;
    }
    int presses = 0;
    QPointF last;
};

bool near(QColor found, QColor expected, int tolerance = 4)
{
    return std::abs(found.red() - expected.red()) <= tolerance && std::abs(found.green() - expected.green()) <= tolerance &&
           std::abs(found.blue() - expected.blue()) <= tolerance;
}

class CanvasView : public ::testing::Test {
protected:
    CanvasView()
    {
        view.setRulersVisible(false);
        view.resize(1000, 900);
        view.setDocumentView(page);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // A solid element of `colour` with the given frame.
    CountingElement* add(const QRectF& frame, QColor colour, ZVPuttyViewGroup* layer = nullptr, ZVCanvasView* on = nullptr)
    {
        auto* element = new CountingElement;
        element->backgroundView()->setBackgroundColor(QVariant::fromValue(Color::fromQColor(colour)));
        element->backgroundView()->setBackgroundType(ZVBackgroundView::Colour);
        element->setValueForKey(u"layerOpacity", 1.0);
        if (layer)
            element->setLayoutLayerGroup(layer);
        (on ? on : page)->addPuttyView(element);
        element->setFrame(frame);
        return element;
    }

    QImage grab() { return view.viewport()->grab().toImage(); }
    QColor at(const QImage& image, QPointF pagePoint) const
    {
        return image.pixelColor(view.mapFromPage(pagePoint).toPoint());
    }

    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVScrollView view;
};

} // namespace

TEST_F(CanvasView, PageSitsCentredOnWholePointsAtAnyZoom)
{
    ASSERT_EQ(view.viewport()->size(), QSize(1000, 900));
    EXPECT_EQ(ZVClipView::constrainBoundsRect(QRectF(0, 0, 1000, 900), QRectF(0, 0, 612, 792)),
              QRectF(-194, -54, 1000, 900));
    EXPECT_EQ(view.mapFromPage(QPointF(0, 0)), QPointF(194, 54));
    QImage shot = grab();
    EXPECT_EQ(shot.pixelColor(194, 54), QColor(Qt::white));
    EXPECT_NE(shot.pixelColor(193, 54), QColor(Qt::white)) << "the ground starts just left of the page";
    EXPECT_NE(shot.pixelColor(194, 53), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(10, 10), view.surroundColor());

    view.setMagnification(0.5);
    EXPECT_EQ(view.mapFromPage(QPointF(0, 0)), QPointF(347, 252));
    shot = grab();
    EXPECT_EQ(shot.pixelColor(348, 253), QColor(Qt::white));
    EXPECT_NE(shot.pixelColor(345, 250), QColor(Qt::white));

    // Larger than the visible area: scrolls, with 15 pixels around the page.
    view.setMagnification(2.0);
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->minimum());
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->minimum());
    EXPECT_EQ(view.mapFromPage(QPointF(0, 0)), QPointF(15, 15));
    view.setMagnification(9);
    EXPECT_EQ(view.magnification(), 5.0) << "kept within the limits";
    view.setMagnification(0.01);
    EXPECT_EQ(view.magnification(), 0.1);
}

TEST_F(CanvasView, MagnificationAnnouncesOnlyRealChanges)
{
    int announced = 0;
    QObject::connect(&view, &ZVScrollView::magnificationChanged, [&announced] { ++announced; });
    view.setMagnification(1.0);
    EXPECT_EQ(announced, 0);
    view.setMagnification(1.5);
    view.setMagnification(1.5);
    EXPECT_EQ(announced, 1);
}

TEST_F(CanvasView, ElementsAreClippedByThePageAndOutlinedBeyondIt)
{
    CountingElement* half = add(QRectF(-60, 100, 200, 120), Qt::red);
    QImage shot = grab();
    EXPECT_TRUE(near(at(shot, QPointF(50, 160)), Qt::red)) << "the part on the page";
    EXPECT_FALSE(near(at(shot, QPointF(-10, 160)), Qt::red)) << "clipped at the page's edge";
    EXPECT_EQ(at(shot, QPointF(-10, 160)), view.surroundColor()) << "no outline while not selected";

    half->setIsActive(true);
    QCoreApplication::processEvents();
    shot = grab();
    EXPECT_TRUE(near(at(shot, QPointF(-10, 160)), QColor(230, 230, 230), 2)) << "white 0.9 outside the page";
    EXPECT_TRUE(near(at(shot, QPointF(50, 160)), Qt::red)) << "the page covers the outline inside";

    // An element of a hidden layer shows nowhere, outline included.
    ZVPuttyViewGroup* hidden = page->addLayoutLayer(QStringLiteral("Hidden"));
    CountingElement* ghost = add(QRectF(-60, 400, 200, 120), Qt::blue, hidden);
    ghost->setIsActive(true);
    hidden->setVisible(false);
    page->layoutPuttyViews();
    shot = grab();
    EXPECT_EQ(at(shot, QPointF(-10, 460)), view.surroundColor());
    EXPECT_TRUE(near(at(shot, QPointF(50, 460)), Qt::white));
    EXPECT_EQ(view.pageItem()->itemFor(ghost), nullptr);
}

TEST_F(CanvasView, StackingFollowsTheLayersWithTheMasterUnderneath)
{
    ZVPuttyViewGroup* lower = page->currentLayoutLayer();
    ZVPuttyViewGroup* upper = page->addLayoutLayer(QStringLiteral("Upper"));
    add(QRectF(100, 100, 200, 200), Qt::red, upper);
    add(QRectF(150, 150, 200, 200), Qt::blue, lower);
    const QPointF overlap(200, 200);
    EXPECT_TRUE(near(at(grab(), overlap), Qt::red)) << "the upper layer on top, whatever the order of adding";

    page->setLayoutLayers({upper, lower});
    page->layoutPuttyViews();
    EXPECT_TRUE(near(at(grab(), overlap), Qt::blue)) << "reordering the layers restacks";

    ZVCanvasView* master = document.addMaster();
    CountingElement* lent = add(QRectF(380, 500, 200, 200), Qt::green, nullptr, master);
    master->backgroundView()->setBackgroundColor(QVariant::fromValue(Color::deviceRgb(1, 1, 0)));
    master->backgroundView()->setBackgroundType(ZVBackgroundView::Colour);
    add(QRectF(400, 520, 200, 200), Qt::magenta);
    page->setMasterPage(master);
    const QImage shot = grab();
    EXPECT_TRUE(near(at(shot, QPointF(500, 620)), Qt::magenta)) << "the page's own over the master's";
    EXPECT_TRUE(near(at(shot, QPointF(430, 550)), Qt::green)) << "the master's element shows";
    EXPECT_TRUE(near(at(shot, QPointF(30, 700)), QColor(255, 255, 0))) << "the master's background";
    EXPECT_TRUE(view.pageItem()->itemFor(lent)->isInert());

    // The painter draws the same page into an image.
    const QImage painted = PagePainter::image(*page);
    const QPoint corner = view.mapFromPage(QPointF(0, 0)).toPoint();
    qint64 difference = 0;
    for (int y = 0; y < painted.height(); y += 3) {
        for (int x = 0; x < painted.width(); x += 3) {
            const QColor a = painted.pixelColor(x, y);
            const QColor b = shot.pixelColor(corner + QPoint(x, y));
            difference += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
        }
    }
    const double samples = double(painted.width() / 3 + 1) * (painted.height() / 3 + 1);
    EXPECT_LT(difference / samples, 1.0) << "mean difference per pixel, out of 765";
}

TEST_F(CanvasView, ItemsFollowTheStackIncrementallyAndRepaintOnlyTheirOwnChanges)
{
    CountingElement* left = add(QRectF(20, 20, 150, 150), Qt::red);
    CountingElement* right = add(QRectF(400, 600, 150, 150), Qt::blue);
    grab();
    ZVElementItem* leftItem = view.pageItem()->itemFor(left);
    ZVElementItem* rightItem = view.pageItem()->itemFor(right);
    ASSERT_TRUE(leftItem && rightItem);
    QCoreApplication::processEvents();
    const int leftBefore = leftItem->paintCount();
    const int rightBefore = rightItem->paintCount();
    left->backgroundView()->setBackgroundColor(QVariant::fromValue(Color::deviceRgb(0, 1, 0)));
    QTest::qWait(20);
    EXPECT_GT(leftItem->paintCount(), leftBefore);
    EXPECT_EQ(rightItem->paintCount(), rightBefore) << "far away, untouched";
    // A content's layers change on objects of their own; the content says so.
    const int leftLaidOut = leftItem->paintCount();
    left->contentView()->layout();
    QTest::qWait(20);
    EXPECT_GT(leftItem->paintCount(), leftLaidOut);
    EXPECT_EQ(rightItem->paintCount(), rightBefore);

    add(QRectF(300, 300, 100, 100), Qt::black);
    EXPECT_EQ(view.pageItem()->itemFor(left), leftItem) << "adding keeps the other items";
    EXPECT_EQ(view.pageItem()->elementItems().size(), 3);

    left->setFrameCenterRotation(90);
    EXPECT_EQ(leftItem->sceneBoundingRect(), left->pageTransform().mapRect(left->bounds()));

    ZVCanvasView* other = document.addPage();
    view.setDocumentView(other);
    EXPECT_TRUE(view.pageItem()->elementItems().isEmpty()) << "another page, other items";
}

TEST_F(CanvasView, PressesReachPageElementsAndTheGroundInPagePoints)
{
    CountingElement* inside = add(QRectF(100, 100, 200, 200), Qt::red);
    CountingElement* outside = add(QRectF(-100, 300, 200, 200), Qt::blue);
    inside->setIsActive(true);

    // A sub-pixel press on the element, in page points.
    const QPointF viewportPoint = view.mapFromPage(QPointF(150.25, 160.75));
    QMouseEvent press(QEvent::MouseButtonPress, viewportPoint, view.viewport()->mapToGlobal(viewportPoint),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &press);
    EXPECT_EQ(inside->presses, 1);
    EXPECT_EQ(inside->last, QPointF(150.25, 160.75)) << "unrounded";
    EXPECT_EQ(view.router().receiver(), CanvasEventRouter::Receiver::Text) << "a text box not being edited hands the press to its element";
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, viewportPoint.toPoint());

    // On the grey ground: everything is deselected, then the elements lying there receive it.
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, view.mapFromPage(QPointF(-20, 400)).toPoint());
    EXPECT_FALSE(inside->isActive());
    EXPECT_EQ(outside->presses, 1);
    EXPECT_EQ(view.clipView()->draggingView(), outside);
    EXPECT_EQ(view.router().receiver(), CanvasEventRouter::Receiver::Ground);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, view.mapFromPage(QPointF(-20, 400)).toPoint());

    // On the empty page: the page starts a band at the press.
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, view.mapFromPage(QPointF(500, 50)).toPoint());
    EXPECT_EQ(view.router().receiver(), CanvasEventRouter::Receiver::Page);
    EXPECT_FALSE(page->selectionViewHidden());
    EXPECT_EQ(page->selectionViewOrigin(), QPointF(500, 50));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, view.mapFromPage(QPointF(500, 50)).toPoint());
    EXPECT_TRUE(page->selectionViewHidden());

    // Elements of another layer than the current one take no press.
    ZVPuttyViewGroup* other = page->addLayoutLayer(QStringLiteral("Other"));
    page->setCurrentLayoutLayer(other);
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, viewportPoint.toPoint());
    EXPECT_EQ(inside->presses, 1);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, viewportPoint.toPoint());
}

TEST_F(CanvasView, RulersMeasureInTheirUnitsFromTheOriginOffsetAndEchoLines)
{
    ZVRulerView* ruler = view.horizontalRulerView();
    EXPECT_FALSE(ruler->setMeasurementUnits(QStringLiteral("Furlongs")));
    EXPECT_TRUE(ruler->setMeasurementUnits(QStringLiteral("Centimeters")));
    EXPECT_EQ(ruler->measurementUnits(), QStringLiteral("Centimeters"));
    EXPECT_DOUBLE_EQ(ZVRulerView::pointsPerUnit(QStringLiteral("Inches")), 72.0);
    EXPECT_DOUBLE_EQ(ZVRulerView::pointsPerUnit(QStringLiteral("Centimeters")), 28.35);

    ruler->setClientView(page);
    ruler->addMarker(RulerMarker {100.0});
    ruler->moveRulerline(-1, 120);
    ruler->moveRulerline(-1, 320);
    ruler->moveRulerline(120, 130);
    EXPECT_EQ(ruler->rulerlines(), (QList<double>{320, 130}));
    ruler->setClientView(page);
    EXPECT_TRUE(ruler->markers().isEmpty()) << "pointing at the page again empties the markers";
    EXPECT_TRUE(ruler->rulerlines().isEmpty());

    // The ruler follows zoom and scroll: page x 100 lies where the canvas shows it.
    view.setMagnification(2.0);
    EXPECT_DOUBLE_EQ(ruler->rulerPosition(100), view.mapFromPage(QPointF(100, 0)).x());
    view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->value() + 40);
    EXPECT_DOUBLE_EQ(ruler->rulerPosition(100), view.mapFromPage(QPointF(100, 0)).x());
}

TEST_F(CanvasView, ADragRepaintsWhatAWholeRepaintShows)
{
    // Highlighted elements inside the page and across its edges, at zooms
    // that put the page's edges between pixels; one selected element moves
    // from the middle across the top left corner, a step at a time.
    const auto picture = [](QColor colour) {
        QImage bitmap(8, 8, QImage::Format_RGB32);
        bitmap.fill(colour);
        return ZVPuttyView::initWithImage(Image(bitmap)).release();
    };
    for (int i = 0; i < 36; ++i) {
        ZVPuttyView* element = picture(QColor::fromHsv(i * 10, 200, 220).toRgb());
        page->addPuttyView(element);
        element->setFrame(QRectF(-90 + i % 6 * 77.3, -80 + i / 6 * 61.7, 130, 120));
        element->setIsHighlighted(true);
    }
    ZVPuttyView* moved = picture(Qt::darkGreen);
    page->addPuttyView(moved);
    moved->setFrame(QRectF(160, 150, 160, 140));
    moved->setIsActive(true);
    const QRectF start = moved->frame();
    // The rulers put the viewport off the window's corner.
    view.setRulersVisible(true);
    const QPoint origin = view.viewport()->mapTo(view.window(), QPoint());
    // What the window shows: the repaints so far, as they reached the screen.
    const auto shown = [&] {
        return view.screen()
            ->grabWindow(view.window()->winId(), origin.x(), origin.y(), view.viewport()->width(),
                         view.viewport()->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    for (const double zoom : {1.0, 0.83, 1.37}) {
        view.setMagnification(zoom);
        moved->setFrame(start);
        QCoreApplication::processEvents();
        for (int step = 1; step <= 40; ++step) {
            moved->setFrame(start.translated(-5.3 * step, -4.1 * step));
            QCoreApplication::processEvents();
        }
        const QImage whole = grab().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(shown(), whole) << "at zoom " << zoom;
        // The page's soft edge is even along the free right and bottom sides,
        // where the pieces it is drawn in meet too.
        const QPointF top = view.mapFromPage(page->bounds().topRight());
        const QPointF corner = view.mapFromPage(page->bounds().bottomRight());
        // Rows and columns that lie wholly beside the page, to where its
        // parts meet; the page's own last pixels are left out.
        const int firstRow = std::max(int(std::ceil(top.y())), 0);
        const int endRow = std::min(int(std::floor(corner.y())), whole.height());
        const int firstColumn = int(std::ceil(view.mapFromPage(page->bounds().bottomLeft()).x()));
        const int endColumn = int(std::floor(corner.x()));
        for (int x = endColumn; x <= endColumn + 4; ++x)
            for (int y = firstRow; y < endRow; ++y)
                ASSERT_EQ(whole.pixel(x, y), whole.pixel(x, (firstRow + endRow) / 2)) << x << "," << y << " at zoom " << zoom;
        for (int y = endRow; y <= endRow + 4 && y < whole.height(); ++y)
            for (int x = firstColumn; x < endColumn; ++x)
                ASSERT_EQ(whole.pixel(x, y), whole.pixel((firstColumn + endColumn) / 2, y)) << x << "," << y << " at zoom " << zoom;
    }
}
