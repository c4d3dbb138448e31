#include "GestureTestSupport.h"

#include "canvas/ZVHandleView.h"
#include "canvas/ZVRotationHandleView.h"
#include "content/ZVContentView.h"
#include "content/ZVImageView.h"
#include "platform/graphics/Image.h"
#include "platform/runtime/Deferred.h"

#include <gtest/gtest.h>

namespace {

struct Geometry {
    QRectF frame;
    double rotation;
    bool operator==(const Geometry&) const = default;
};

QList<Geometry> geometry(const QList<ZVPuttyView*>& elements)
{
    QList<Geometry> result;
    for (const ZVPuttyView* element : elements)
        result.append({element->frame(), element->frameCenterRotation()});
    return result;
}

// Twenty elements in rows of four, all selected.
QList<ZVPuttyView*> twentySelected(GesturePage& sample)
{
    QList<ZVPuttyView*> all;
    for (int i = 0; i < 20; ++i) {
        all.append(sample.add(QRectF(20 + i % 4 * 140, 20 + i / 4 * 130, 150, 140)));
        all.last()->setIsActive(true);
    }
    return all;
}

} // namespace

TEST(ElementGesture, AClickSelectsAndRecordsNothing)
{
    GesturePage sample;
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    ZVPuttyView* b = sample.add(QRectF(300, 150, 200, 180));
    sample.click(QPointF(200, 190));
    EXPECT_TRUE(a->isActive());
    EXPECT_FALSE(b->isActive());
    EXPECT_EQ(sample.page->focusedPuttyView(), a);
    EXPECT_FALSE(sample.document.undo.canUndo()) << "a click without a drag leaves no undo step";

    sample.click(QPointF(400, 260), ql::CanvasEvent::Shift);
    EXPECT_TRUE(a->isActive());
    EXPECT_TRUE(b->isActive());
    sample.click(QPointF(200, 190), ql::CanvasEvent::Shift);
    EXPECT_FALSE(a->isActive()) << "Shift toggles";
    EXPECT_TRUE(b->isActive());
    sample.click(QPointF(200, 190));
    EXPECT_TRUE(a->isActive());
    EXPECT_FALSE(b->isActive()) << "a plain click on an inactive element selects it alone";
    EXPECT_TRUE(sample.document.host.horizontalLines.isEmpty()) << "the ruler echo ends with the move";
}

TEST(ElementGesture, DraggingMovesEveryActiveElementAsOneUndoStep)
{
    GesturePage sample;
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    ZVPuttyView* b = sample.add(QRectF(300, 150, 200, 180));
    ZVPuttyView* c = sample.add(QRectF(100, 400, 200, 180));
    const QList<Geometry> before = geometry({a, b, c});
    a->setIsActive(true);
    b->setIsActive(true);
    const int passes = sample.page->guidePassCount();
    sample.drag({QPointF(200, 190), QPointF(220, 200), QPointF(241, 217)});
    EXPECT_EQ(a->frame(), QRectF(141, 127, 200, 180));
    EXPECT_EQ(b->frame(), QRectF(341, 177, 200, 180));
    EXPECT_EQ(c->frame(), before[2].frame);
    EXPECT_EQ(sample.page->guidePassCount() - passes, 2) << "one guide pass per drag step, not per element";

    EXPECT_EQ(sample.document.undo.undoCount(), 1);
    sample.document.undo.undo();
    EXPECT_EQ(geometry({a, b, c}), before);
    sample.document.undo.redo();
    EXPECT_EQ(a->frame(), QRectF(141, 127, 200, 180));
    EXPECT_EQ(b->frame(), QRectF(341, 177, 200, 180));

    // A group member drags its whole group.
    auto* group = new ZVPuttyViewGroup(QStringLiteral("Group"), sample.page);
    for (ZVPuttyView* member : {a, c}) {
        member->setGroup(group);
        group->appendUuid(member->uuid());
    }
    sample.click(QPointF(500, 600));
    sample.drag({QPointF(200, 480), QPointF(210, 490)});
    EXPECT_EQ(c->frame(), QRectF(110, 410, 200, 180));
    EXPECT_EQ(a->frame(), QRectF(151, 137, 200, 180));
}

TEST(ElementGesture, ArrowKeysNudgeAndUndoOneKeyAtATime)
{
    GesturePage sample;
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    ZVPuttyView* b = sample.add(QRectF(300, 150, 200, 180));
    a->setIsActive(true);
    b->setIsActive(true);
    sample.key(Qt::Key_Right);
    sample.key(Qt::Key_Up);
    EXPECT_EQ(a->frame().topLeft(), QPointF(101, 99));
    EXPECT_EQ(b->frame().topLeft(), QPointF(301, 149));
    sample.click(QPointF(400, 260));
    sample.document.undo.undo();
    EXPECT_EQ(a->frame().topLeft(), QPointF(101, 100)) << "the click recorded nothing; the last nudge goes";
    EXPECT_EQ(b->frame().topLeft(), QPointF(301, 150));

    sample.page->clearPuttyViews();
    sample.document.host.visible = QRectF(10, 10, 400, 300);
    sample.key(Qt::Key_Down);
    EXPECT_EQ(sample.document.host.visible.topLeft(), QPointF(10, 11)) << "nothing selected: the view scrolls";
    ql::DeferredCalls::instance().flush();
}

// However many elements move together, each step (a nudge, a press, its
// release, an undo, a redo) updates the page's guides and focus once, and
// records one undo step that moves them all.
TEST(ElementGesture, AManyElementStepFollowsThePageOnce)
{
    GesturePage sample;
    const QList<ZVPuttyView*> all = twentySelected(sample);
    int focusChanges = 0;
    sample.page->addObserver(QStringLiteral("focusedPuttyView"), sample.page,
                             [&focusChanges](const ql::KeyValueChange&) { ++focusChanges; });
    auto passes = [&, last = sample.page->guidePassCount()]() mutable {
        return sample.page->guidePassCount() - std::exchange(last, sample.page->guidePassCount());
    };
    const QList<Geometry> before = geometry(all);

    sample.key(Qt::Key_Right);
    EXPECT_EQ(passes(), 1) << "a nudge";
    sample.document.undo.undo();
    EXPECT_EQ(passes(), 1) << "its undo";
    EXPECT_EQ(geometry(all), before);
    sample.document.undo.redo();
    EXPECT_EQ(passes(), 1) << "its redo";
    EXPECT_EQ(all.last()->frame().topLeft(), before.last().frame.topLeft() + QPointF(1, 0));

    sample.drag({QPointF(96, 90), QPointF(106, 95)});
    EXPECT_EQ(focusChanges, 1) << "the press focuses once";
    EXPECT_EQ(all.last()->frame().topLeft(), before.last().frame.topLeft() + QPointF(11, 5));
    EXPECT_EQ(sample.document.undo.undoCount(), 2);
    sample.document.undo.undo();
    EXPECT_EQ(passes(), 2) << "the drag's step, its undo";
    sample.document.undo.undo();
    EXPECT_EQ(geometry(all), before);
    ql::DeferredCalls::instance().flush();
}

// Turning or resizing many elements follows the page once a step, not once
// an element: a turn step, Rotate 90°, its undo and redo wrap the page's
// text once, a resize step runs the guide pass of its own element, of its
// snap, and one for the others. The angles and frames are those of one
// element at a time.
TEST(ElementGesture, AManyElementTurnOrResizeFollowsThePageOnce)
{
    GesturePage sample;
    const QList<ZVPuttyView*> all = twentySelected(sample);
    const auto counter = [](auto count) {
        return [count, last = count()]() mutable { return count() - std::exchange(last, count()); };
    };
    auto wraps = counter([&] { return sample.page->wrapPassCount(); });
    auto passes = counter([&] { return sample.page->guidePassCount(); });
    const QList<Geometry> before = geometry(all);

    // The top-left rotation handle of the first, a quarter turn about (95, 90).
    sample.drag({QPointF(47.5, 47.5), QPointF(137.5, 42.5)});
    EXPECT_EQ(wraps(), 1) << "the press, the step, the release";
    EXPECT_NEAR(all.last()->frameCenterRotation(), 90, 1e-4);
    sample.document.undo.undo();
    EXPECT_EQ(wraps(), 1) << "its undo";
    EXPECT_EQ(geometry(all), before);

    sample.page->rotate90Right();
    endTurn();
    EXPECT_EQ(wraps(), 1) << "Rotate 90°";
    QList<Geometry> turned = before;
    for (Geometry& each : turned) {
        ZVPuttyView alone;
        alone.setFrame(each.frame);
        alone.setRotation(90);
        each = {alone.frame(), 90};
    }
    EXPECT_EQ(geometry(all), turned);
    EXPECT_EQ(sample.document.undo.undoCount(), 1);
    sample.document.undo.undo();
    EXPECT_EQ(wraps(), 1) << "its undo";
    EXPECT_EQ(geometry(all), before);
    sample.document.undo.redo();
    EXPECT_EQ(wraps(), 1) << "its redo";
    EXPECT_EQ(geometry(all), turned);
    sample.document.undo.undo();

    // The bottom-right handle of the last: its content 70 × 60 grows by 35.
    passes();
    sample.drag({QPointF(550, 640), QPointF(585, 640)});
    EXPECT_EQ(all.last()->contentFrame(), QRectF(480, 580, 105, 90));
    EXPECT_EQ(passes(), 3) << "the element's, its snap's, the others'";
    EXPECT_DOUBLE_EQ(all.first()->frame().width(), 150 * 185.0 / 150);
    sample.document.undo.undo();
    EXPECT_EQ(geometry(all), before);
    ql::DeferredCalls::instance().flush();
}

TEST(ElementGesture, LockedElementsShowTheyCannotMove)
{
    GesturePage sample;
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    a->setValueForKey(u"isLocked", true);
    auto& events = sample.routed();
    events.mouseDown(GesturePage::at(QPointF(200, 190)));
    events.mouseDragged(GesturePage::at(QPointF(230, 200)));
    EXPECT_EQ(sample.document.host.cursor, ql::CanvasCursor::standard(ql::CanvasCursor::Shape::Forbidden));
    events.mouseUp(GesturePage::at(QPointF(230, 200)));
    endTurn();
    EXPECT_EQ(a->frame(), QRectF(100, 100, 200, 180));
    EXPECT_EQ(sample.document.host.cursor.shape, ql::CanvasCursor::Shape::Arrow) << "the pointer again after the release";
    EXPECT_FALSE(sample.document.undo.canUndo());
}

// Every command that moves, resizes or turns leaves a locked element where it
// is and moves the rest; a selection that is all locked records nothing.
TEST(ElementGesture, LockedElementsStayPutForEveryCommand)
{
    GesturePage sample;
    QList<ZVPuttyView*> all;
    for (int i = 0; i < 4; ++i) {
        QImage bitmap(4, 2, QImage::Format_ARGB32);
        bitmap.fill(Qt::white);
        bitmap.setPixel(0, 0, qRgb(255, 0, 0));
        all.append(sample.add(QRectF(60 + 120 * i, 100 + 150 * i, 160, 140),
                              ZVPuttyView::initWithImage(ql::Image(bitmap))));
    }
    ZVPuttyView* locked = all[1];
    locked->setValueForKey(u"isLocked", true);
    const auto pixels = [](const ZVPuttyView* e) {
        const auto* image = static_cast<const ZVImageView*>(e->contentView());
        return image->originalImage().bitmap().convertToFormat(QImage::Format_ARGB32);
    };
    const QImage lockedPixels = pixels(locked);
    const QList<Geometry> before = geometry(all);
    const auto everyCommand = [&] {
        sample.key(Qt::Key_Right);
        sample.key(Qt::Key_Down);
        for (auto command : {&ZVCanvasView::alignViewLeft, &ZVCanvasView::alignViewBottom,
                             &ZVCanvasView::alignEdgesTop, &ZVCanvasView::rotate90Right,
                             &ZVCanvasView::flipHorizontal, &ZVCanvasView::flipVertical}) {
            (sample.page->*command)();
            endTurn();
        }
        sample.page->distributeEdgesHorizontalByCenter(true);
        endTurn();
    };

    for (ZVPuttyView* element : all)
        element->setIsActive(true);
    sample.page->setFirstActiveView(all[0]);
    everyCommand();
    EXPECT_EQ(geometry({locked}), before.mid(1, 1));
    EXPECT_EQ(pixels(locked), lockedPixels) << "not flipped";
    EXPECT_EQ(all[2]->frameCenterRotation(), 90.0) << "the others are turned";
    EXPECT_NE(pixels(all[2]), lockedPixels) << "and flipped";

    // Dragging or resizing a partner leaves the locked element too.
    all[3]->setRotation(0);
    all[3]->setFrame(QRectF(400, 500, 160, 140));
    const QList<Geometry> placed = geometry(all);
    sample.drag({QPointF(480, 570), QPointF(510, 590)});
    EXPECT_EQ(all[3]->frame().topLeft(), QPointF(430, 520));
    sample.drag({QPointF(550, 620), QPointF(580, 630)}); // the bottom-right handle
    EXPECT_GT(all[3]->frame().width(), 160);
    EXPECT_EQ(geometry({locked}), placed.mid(1, 1));

    // Locked alone: nothing happens, nothing is recorded.
    sample.page->clearPuttyViews();
    locked->setIsActive(true);
    endTurn();
    const int steps = sample.document.undo.undoCount();
    everyCommand();
    EXPECT_EQ(geometry({locked}), placed.mid(1, 1));
    EXPECT_EQ(pixels(locked), lockedPixels);
    EXPECT_EQ(sample.document.undo.undoCount(), steps);
    ql::DeferredCalls::instance().flush();
}

TEST(ElementGesture, CandidateFramesOfEveryHandle)
{
    const QRectF f(100, 100, 200, 180);
    const QRectF c = f.adjusted(40, 40, -40, -40); // 120 × 100, k = 5/6
    const double dx = 12, dy = 6;
    const double k = 100.0 / 120.0;
    const QRectF expected[] = {
        QRectF(c.x() + dx, c.y() + dx * k, c.width() - dx, c.height() - dx * k).adjusted(-40, -40, 40, 40),
        QRectF(100, 100 - dy, 200, 180 + dy),
        QRectF(c.x(), c.y() - dx * k, c.width() + dx, c.height() + dx * k).adjusted(-40, -40, 40, 40),
        QRectF(100, 100, 200 + dx, 180),
        QRectF(100 + dx, 100, 200 - dx, 180),
        QRectF(c.x() + dx, c.y(), c.width() - dx, c.height() - dx * k).adjusted(-40, -40, 40, 40),
        QRectF(100, 100, 200, 180 - dy),
        QRectF(c.x(), c.y(), c.width() + dx, c.height() + dx * k).adjusted(-40, -40, 40, 40),
    };
    for (int position = 0; position < 8; ++position)
        EXPECT_EQ(ZVHandleView::candidateFrame(position, f, c, dx, dy), expected[position]) << "position " << position;

    // Page displacement into the element's axes; upward positive.
    EXPECT_EQ(ZVHandleView::pointerMeasure(QPointF(12, -6), 0), QPointF(12, 6));
    const QPointF turned = ZVHandleView::pointerMeasure(QPointF(10, 0), 90);
    EXPECT_NEAR(turned.x(), 0.0, 1e-12) << "at 90 degrees a sideways move drives no corner";
    EXPECT_NEAR(turned.y(), 10.0, 1e-12);
}

TEST(ElementGesture, ResizingByHandles)
{
    GesturePage sample;
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    ZVPuttyView* b = sample.add(QRectF(300, 400, 200, 180));
    ZVPuttyView* c = sample.add(QRectF(50, 600, 100, 100));
    const QList<Geometry> before = geometry({a, b, c});
    a->setIsActive(true);
    b->setIsActive(true);
    // Bottom-right of a's content (120 × 100): 30 to the right, whatever the height.
    sample.drag({QPointF(260, 240), QPointF(275, 250), QPointF(290, 300)});
    EXPECT_EQ(a->contentFrame(), QRectF(140, 140, 150, 125));
    // b follows by a's offset (none) and scale (230/200, 205/180).
    EXPECT_EQ(b->frame().topLeft(), QPointF(300, 400));
    EXPECT_DOUBLE_EQ(b->frame().width(), 200 * 230.0 / 200.0);
    EXPECT_DOUBLE_EQ(b->frame().height(), 180 * 205.0 / 180.0);
    EXPECT_EQ(sample.document.undo.undoCount(), 1);
    sample.document.undo.undo();
    EXPECT_EQ(geometry({a, b, c}), before) << "every resized element comes back";
    sample.document.undo.redo();
    EXPECT_EQ(a->contentFrame(), QRectF(140, 140, 150, 125));
    sample.document.undo.undo();

    // Too small: the element and its followers stay.
    sample.drag({QPointF(260, 240), QPointF(150, 240)});
    EXPECT_EQ(geometry({a, b}), before.mid(0, 2));
    EXPECT_EQ(sample.document.undo.undoCount(), 0) << "nothing changed, nothing recorded";

    // The right-centre handle changes the width only.
    b->setIsActive(false);
    sample.drag({QPointF(260, 190), QPointF(300, 260)});
    EXPECT_EQ(a->frame(), QRectF(100, 100, 240, 180));
    ql::DeferredCalls::instance().flush();
}

TEST(ElementGesture, RotationTurnsEveryActiveElementToOneAngle)
{
    EXPECT_DOUBLE_EQ(ZVRotationHandleView::roundToFortyFive(40), 45);
    EXPECT_DOUBLE_EQ(ZVRotationHandleView::roundToFortyFive(22.5), 45);
    EXPECT_DOUBLE_EQ(ZVRotationHandleView::roundToFortyFive(-22.5), -45);
    EXPECT_DOUBLE_EQ(ZVRotationHandleView::roundToFortyFive(67), 45);
    EXPECT_DOUBLE_EQ(ZVRotationHandleView::pointPairToBearingDegrees(QPointF(0, 10), QPointF(0, 0)), 90);

    GesturePage sample;
    ZVPuttyView* d = sample.add(QRectF(300, 400, 200, 200));
    ZVPuttyView* e = sample.add(QRectF(50, 50, 200, 200));
    d->setRotation(10);
    e->setRotation(70);
    const QList<Geometry> before = geometry({d, e});
    d->setIsActive(true);
    e->setIsActive(true);
    // The bottom-right rotation handle lies on the diagonal from the centre
    // (400, 500): bearing 45 at the press, 75 after the drag: 10 + 30.
    const QPointF handle = d->mapToPage(QPointF(172.5, 172.5));
    const QPointF centre(400, 500);
    const double radius = std::hypot(handle.x() - centre.x(), handle.y() - centre.y());
    const double startBearing = ZVRotationHandleView::pointPairToBearingDegrees(handle, centre);
    const double end = qDegreesToRadians(startBearing + 30);
    const QPointF target = centre + QPointF(std::cos(end), std::sin(end)) * radius;
    sample.drag({handle, target});
    EXPECT_NEAR(d->frameCenterRotation(), 40, 1e-4);
    EXPECT_EQ(e->frameCenterRotation(), d->frameCenterRotation()) << "one absolute angle";
    EXPECT_EQ(sample.document.undo.undoCount(), 1);
    sample.document.undo.undo();
    EXPECT_EQ(geometry({d, e}), before) << "both turn back, bit for bit";

    sample.drag({handle, target}, ql::CanvasEvent::Shift);
    EXPECT_EQ(d->frameCenterRotation(), 45);
    EXPECT_EQ(e->frameCenterRotation(), 45);

    d->setRotation(33.333333333);
    EXPECT_EQ(d->frameCenterRotation(), 33.33333206176758);
    d->setValueForKey(u"cropMode", true);
    d->setRotation(80);
    EXPECT_EQ(d->frameCenterRotation(), 33.33333206176758) << "crop mode blocks rotation";
    ql::DeferredCalls::instance().flush();
}

TEST(ElementGesture, DoubleClickOpensTheContentInspector)
{
    GesturePage sample;
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    auto& events = sample.routed();
    events.mouseDown(GesturePage::at(QPointF(200, 190)));
    events.mouseUp(GesturePage::at(QPointF(200, 190)));
    events.mouseDown(GesturePage::at(QPointF(200, 190), 0, 2));
    events.mouseUp(GesturePage::at(QPointF(200, 190), 0, 2));
    EXPECT_TRUE(a->contentView()->editMode());
    EXPECT_EQ(sample.document.host.inspectorTab, 2);
}
