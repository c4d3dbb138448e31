#include "ArchiveTestSupport.h"
#include "CanvasTestSupport.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ElementPictureBudget.h"
#include "canvas/view/ElementPictureCache.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "content/text/LaidOutTexts.h"
#include "content/text/TextStorage.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/ParagraphStyle.h"
#include "platform/runtime/Deferred.h"
#include "shapes/ZVVectorView.h"

#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace ql;

namespace {

// A ring drawn as one outline of many short segments: costly by count, yet
// quick to stroke, so that the test waits little for its pictures.
BezierPath manySidedRing(int sides)
{
    BezierPath path;
    for (int i = 0; i <= sides; ++i) {
        const double angle = 2 * M_PI * i / sides;
        const QPointF p(100 + 100 * std::cos(angle), 100 + 100 * std::sin(angle));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    return path;
}

class ElementPictures : public ::testing::Test {
protected:
    ElementPictures()
    {
        view.setRulersVisible(false);
        view.resize(900, 900);
        view.setDocumentView(page);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    ZVPuttyView* addRing(int sides)
    {
        ZVPuttyView* element = ZVPuttyView::initWithVector(manySidedRing(sides), QStringLiteral("path")).release();
        element->setValueForKey(u"layerOpacity", 1.0);
        page->addPuttyView(element);
        element->setFrame(QRectF(100, 100, 280, 280));
        auto* shape = qobject_cast<ZVVectorView*>(element->contentView());
        shape->setStrokeWidth(6.0);
        shape->setStrokeColor(QVariant::fromValue(Color::deviceRgb(0, 0, 0, 1)));
        return element;
    }

    QImage grab() { return view.viewport()->grab().toImage(); }
    // The darkest pixel on the ring's left edge, where the stroke crosses
    // the content's vertical middle.
    int darkestOnRing(const QImage& shot, const ZVPuttyView& element)
    {
        const QRectF content = element.contentFrame();
        int darkest = 255;
        for (double x = content.left() - 6; x <= content.left() + 12; x += 0.5) {
            const QPoint at = view.mapFromPage(QPointF(x, content.center().y())).toPoint();
            darkest = std::min(darkest, qGray(shot.pixel(at)));
        }
        return darkest;
    }

    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVScrollView view;
};

} // namespace

TEST_F(ElementPictures, CostlyElementsArePaintedFromAPictureMadeOffTheWindowThread)
{
    ZVPuttyView* cheap = addRing(200);
    ZVPuttyView* ring = addRing(ElementPictureCache::kCostlySegments + 1000);
    cheap->setFrame(QRectF(450, 450, 100, 100));
    grab();
    ZVElementItem* cheapItem = view.pageItem()->itemFor(cheap);
    ZVElementItem* item = view.pageItem()->itemFor(ring);
    ASSERT_TRUE(cheapItem && item);
    // A cheap element's picture is made at once and kept while it is only
    // selected.
    ElementPictureCache* cheapPictures = cheapItem->pictureCache();
    EXPECT_FALSE(cheapPictures->isRendering());
    const int cheapMade = cheapPictures->pictureCount();
    EXPECT_GE(cheapMade, 1);
    cheap->setIsActive(true);
    grab();
    EXPECT_EQ(cheapPictures->pictureCount(), cheapMade);
    cheap->setIsActive(false);
    // An effect changes its drawing: the next paint makes it again.
    cheap->setValueForKey(u"shadowEnabled", true);
    grab();
    EXPECT_EQ(cheapPictures->pictureCount(), cheapMade + 1);
    ElementPictureCache* pictures = item->pictureCache();

    // The first paint hands the drawing to a worker and shows a placeholder.
    QTRY_COMPARE_WITH_TIMEOUT(pictures->pictureCount(), 1, 30000);
    EXPECT_FALSE(pictures->isRendering());
    EXPECT_LT(darkestOnRing(grab(), *ring), 80) << "the ring's stroke comes from the picture";
    EXPECT_FALSE(pictures->isRendering()) << "painting again reuses the picture";

    // Selecting the element draws over its picture.
    ring->setIsActive(true);
    grab();
    QCoreApplication::processEvents();
    EXPECT_FALSE(pictures->isRendering());
    EXPECT_EQ(pictures->pictureCount(), 1);

    // Moved, it shows its last picture in the new place until the next one
    // comes.
    ring->setFrame(ring->frame().translated(30, 10));
    EXPECT_LT(darkestOnRing(grab(), *ring), 80);
    QTRY_VERIFY_WITH_TIMEOUT(!pictures->isRendering(), 30000);

    // A new zoom needs a sharper picture; the old one stands in meanwhile.
    const int before = pictures->pictureCount();
    view.setMagnification(1.5);
    EXPECT_LT(darkestOnRing(grab(), *ring), 120) << "the old picture, stretched";
    EXPECT_TRUE(pictures->isRendering());
    QTRY_COMPARE_WITH_TIMEOUT(pictures->pictureCount(), before + 1, 30000);

    // Restyling the element makes a new picture of the new style.
    qobject_cast<ZVVectorView*>(ring->contentView())->setStrokeColor(QVariant::fromValue(Color::deviceRgb(1, 0, 0, 1)));
    grab();
    QTRY_COMPARE_WITH_TIMEOUT(pictures->pictureCount(), before + 2, 30000);
    const QImage red = grab();
    const QRectF content = ring->contentFrame();
    bool sawRed = false;
    for (double x = content.left() - 6; x <= content.left() + 12 && !sawRed; x += 0.5) {
        const QColor c = red.pixelColor(view.mapFromPage(QPointF(x, content.center().y())).toPoint());
        sawRed = c.red() > 200 && c.green() < 80 && c.blue() < 80;
    }
    EXPECT_TRUE(sawRed);
}

TEST_F(ElementPictures, AnElementGoneBeforeItsPictureArrivesIsNoHarm)
{
    ZVPuttyView* ring = addRing(ElementPictureCache::kCostlySegments + 1000);
    grab();
    ASSERT_TRUE(view.pageItem()->itemFor(ring)->pictureCache());
    page->deletePuttyView(ring);
    grab();
    // Whatever the worker finishes is dropped on arrival.
    QTest::qWait(200);
    SUCCEED();
}

TEST_F(ElementPictures, AnExposedAreaOfSeveralRectanglesShowsWhatTheWholeDrawingShowsThere)
{
    ZVPuttyView* ring = addRing(200);
    ring->setFrame(QRectF(10.4, 12.6, 180, 170));
    ElementPictureCache pictures;
    const QRectF bounds(QPointF(0, 0), ring->frame().size());
    auto drawn = [&](const QRegion& clip) {
        QImage image(220, 220, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        if (!clip.isEmpty())
            painter.setClipRegion(clip);
        painter.translate(ring->frame().topLeft());
        pictures.paint(painter, *ring, bounds, QRect());
        return image;
    };
    const QImage whole = drawn(QRegion());
    // Two overlapping rectangles, as a small move exposes, and a strip apart.
    const QRegion exposed = QRegion(20, 30, 120, 100) + QRegion(60, 70, 130, 110) + QRegion(0, 200, 220, 10);
    ASSERT_GT(exposed.rectCount(), 1);
    const QImage parts = drawn(exposed);
    int differing = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x) {
            const QRgb expected = exposed.contains(QPoint(x, y)) ? whole.pixel(x, y) : qRgb(255, 255, 255);
            differing += parts.pixel(x, y) != expected;
        }
    EXPECT_EQ(differing, 0);
}

TEST_F(ElementPictures, ACrowdedPageKeepsPicturesWithinItsBudgetAndLooksTheSame)
{
    QList<ZVPuttyView*> rings;
    for (int i = 0; i < 40; ++i) {
        ZVPuttyView* ring = addRing(60);
        ring->setFrame(QRectF(20 + (i % 8) * 90, 20 + (i / 8) * 90, 180, 180));
        ring->setValueForKey(u"shadowEnabled", true);
        rings.append(ring);
    }
    const QImage whole = grab();
    ElementPictureBudget& budget = view.pageItem()->pictureBudget();
    const auto pictures = [&] {
        QList<ElementPictureCache*> kept;
        for (ZVPuttyView* ring : std::as_const(rings))
            if (ElementPictureCache* cache = view.pageItem()->itemFor(ring)->pictureCache(); cache->hasPicture())
                kept.append(cache);
        return kept;
    };
    ASSERT_EQ(pictures().size(), rings.size());
    // Only what the ring and its shadow cover is kept, not the clear margin.
    const QRectF frame =
        view.pageItem()->itemFor(rings[0])->mapRectToScene(QRectF(QPointF(), rings[0]->frame().size()));
    EXPECT_LT(pictures().first()->pictureBytes(), qint64(frame.width() * frame.height() * 4 * 0.7));

    // With room for a quarter of them, the rest are drawn directly, alike.
    budget.setLimit(budget.used() / 4);
    for (ZVPuttyView* ring : std::as_const(rings))
        view.pageItem()->itemFor(ring)->redraw();
    EXPECT_EQ(grab(), whole);
    EXPECT_LE(budget.used(), budget.limit());
    const QList<ElementPictureCache*> kept = pictures();
    EXPECT_GT(kept.size(), 0);
    EXPECT_LT(kept.size(), rings.size());
    // Those kept are not pushed out by the others at every repaint.
    QList<int> made;
    for (const ElementPictureCache* cache : kept)
        made.append(cache->pictureCount());
    EXPECT_EQ(grab(), whole);
    for (qsizetype i = 0; i < kept.size(); ++i)
        EXPECT_EQ(kept[i]->pictureCount(), made[i]);
}

TEST_F(ElementPictures, AnElementThatDrawsNothingKeepsNoPixels)
{
    // A text box too small for a line of its text shows nothing of it.
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    page->addPuttyView(box);
    box->setFrame(QRectF(100, 100, 5, 7).adjusted(-40, -40, 40, 40));
    qobject_cast<ZVTextView*>(box->contentView())->setString(QStringLiteral("1234"));
    grab();
    ElementPictureCache* pictures = view.pageItem()->itemFor(box)->pictureCache();
    ASSERT_TRUE(pictures->hasPicture());
    EXPECT_EQ(pictures->pictureBytes(), 0);
    EXPECT_EQ(view.pageItem()->pictureBudget().used(), 0);
    const int made = pictures->pictureCount();
    grab();
    EXPECT_EQ(pictures->pictureCount(), made) << "nothing is drawn again for it";
}

TEST_F(ElementPictures, TextBoxesShownKeepTheirLinesOnlyWithinTheBudgetAndLookTheSameWhenMadeAgain)
{
    // Texts as a file gives them, which can go back to the form they were read in.
    for (int i = 0; i < 30; ++i) {
        ZVPuttyView* box = ZVPuttyView::initWithText().release();
        page->addPuttyView(box);
        box->setFrame(QRectF(20 + (i % 6) * 130, 20 + (i / 6) * 120, 110, 90).adjusted(-40, -40, 40, 40));
        qobject_cast<ZVTextView*>(box->contentView())->setString(QStringLiteral("Box %1 holds a few words that wrap").arg(i));
    }
    const std::unique_ptr<ZVCanvasView> read = readBack<ZVCanvasView>(archiveOf(page));
    ASSERT_TRUE(read);
    read->setDocument(&document);
    view.setDocumentView(read.get());
    QList<ZVTextView*> texts;
    for (ZVPuttyView* box : read->puttyViews())
        texts.append(qobject_cast<ZVTextView*>(box->contentView()));
    text::LaidOutTexts& kept = text::LaidOutTexts::shared();
    const qint64 budget = kept.maxBytes();
    const auto laidOut = [&] {
        return std::count_if(texts.cbegin(), texts.cend(),
                             [](const ZVTextView* text) { return text->textStorage()->hasDocument(); });
    };
    const QImage whole = grab();
    EXPECT_EQ(laidOut(), texts.size()) << "within the budget every text drawn stays laid out";

    // Room for a third of them: the rest let go of their lines once drawn.
    kept.setBudget(kept.keptBytes() / 3);
    const auto redrawAll = [&] {
        for (ZVTextView* text : std::as_const(texts))
            view.pageItem()->itemFor(text->puttyView())->redraw();
    };
    redrawAll();
    EXPECT_EQ(grab(), whole);
    EXPECT_LE(kept.keptBytes(), kept.maxBytes());
    const qsizetype shown = laidOut();
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, texts.size());

    // Outlined, as a click on the page outlines its elements, they say
    // whether their text overflows without laying it out again.
    read->highlightPuttyViews();
    grab();
    EXPECT_EQ(laidOut(), shown);
    read->clearPuttyViews();

    // Pictures pushed out of their budget too are made again, alike.
    ElementPictureBudget& pictures = view.pageItem()->pictureBudget();
    pictures.setLimit(0);
    redrawAll();
    EXPECT_EQ(grab(), whole);
    pictures.setLimit(ElementPictureBudget::kDefaultBytes);
    kept.setBudget(budget);
    view.setDocumentView(page);
}

TEST_F(ElementPictures, OnlyElementsThatShowTheirHandlesMakeThem)
{
    ZVPuttyView* plain = addRing(60);
    ZVPuttyView* chosen = addRing(60);
    chosen->setFrame(QRectF(450, 450, 200, 200));
    grab();
    EXPECT_FALSE(plain->hasHandles());
    EXPECT_FALSE(chosen->hasHandles());
    chosen->setIsActive(true);
    const QImage selected = grab();
    EXPECT_TRUE(chosen->hasHandles());
    EXPECT_FALSE(plain->hasHandles());
    // The knobs show: the handle's corner is drawn over the clear page.
    const QPoint corner = view.mapFromPage(chosen->contentFrame().topLeft()).toPoint();
    EXPECT_LT(qGray(selected.pixel(corner)), 250);
}

TEST_F(ElementPictures, ClearingTheSelectionKeepsThePicturesOfBoxesNotEdited)
{
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    page->addPuttyView(box);
    box->setFrame(QRectF(100, 100, 200, 80).adjusted(-40, -40, 40, 40));
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    text->setString(QStringLiteral("Not being edited"));
    grab();
    ElementPictureCache* pictures = view.pageItem()->itemFor(box)->pictureCache();
    const int made = pictures->pictureCount();
    page->clearPuttyViews();
    grab();
    EXPECT_EQ(pictures->pictureCount(), made) << "nothing of its drawing changed";

    // Leaving the text's editing draws it anew.
    text->setEditMode(true);
    grab();
    const int editing = pictures->pictureCount();
    page->clearPuttyViews();
    grab();
    EXPECT_GT(pictures->pictureCount(), editing);
}

// Moving, grouping and ungrouping boxes changes where each is drawn, not
// its picture; resizing a box or changing its text draws it anew.
TEST_F(ElementPictures, MovesAndGroupsKeepEachPictureWhileResizesAndEditsDrawAnew)
{
    QList<ZVPuttyView*> boxes;
    for (int i = 0; i < 3; ++i) {
        ZVPuttyView* box = ZVPuttyView::initWithText().release();
        page->addPuttyView(box);
        box->setFrame(QRectF(60 + i * 150, 80, 120, 60).adjusted(-40, -40, 40, 40));
        qobject_cast<ZVTextView*>(box->contentView())->setString(QStringLiteral("Box %1 of three").arg(i));
        box->setIsActive(true);
        boxes.append(box);
    }
    const auto made = [&] {
        QList<int> counts;
        for (ZVPuttyView* box : std::as_const(boxes))
            counts.append(view.pageItem()->itemFor(box)->pictureCache()->pictureCount());
        return counts;
    };
    // What the page shows once every box is drawn from scratch.
    const auto drawnAfresh = [&] {
        for (ZVPuttyView* box : std::as_const(boxes))
            view.pageItem()->itemFor(box)->redraw();
        return grab();
    };
    endTurn();
    grab();
    const QList<int> before = made();
    CanvasEvent right;
    right.keyCode = Qt::Key_Right;
    const auto step = [&](const std::function<void()>& act) {
        act();
        endTurn();
        grab();
    };
    step([&] { page->keyDown(right); });
    step([&] { document.undo.undo(); });
    step([&] { document.undo.redo(); });
    step([&] { page->groupActivePuttyViews(); });
    step([&] { document.undo.undo(); });
    step([&] { document.undo.redo(); });
    step([&] { page->ungroupActivePuttyViews(); });
    EXPECT_EQ(made(), before);
    EXPECT_EQ(boxes[2]->frame().x(), 60 + 2 * 150 - 40 + 1);
    EXPECT_FALSE(boxes[2]->group());
    const QImage moved = grab();
    EXPECT_EQ(drawnAfresh(), moved);

    // A resize and a new text are drawn as they now are.
    const QList<int> kept = made();
    boxes[0]->setNewPuttyViewFrame(boxes[0]->frame().adjusted(0, 0, 60, 30));
    const QImage resized = grab();
    EXPECT_GT(made()[0], kept[0]);
    EXPECT_EQ(drawnAfresh(), resized);
    qobject_cast<ZVTextView*>(boxes[1]->contentView())->setString(QStringLiteral("Changed"));
    const QImage edited = grab();
    EXPECT_NE(edited, resized);
    EXPECT_EQ(drawnAfresh(), edited);
}

// A resized box settles a moment later: its picture is drawn again then only
// when settling changes what it shows.
TEST_F(ElementPictures, AResizedBoxIsDrawnAgainAsItSettlesOnlyWhenSettlingChangesIt)
{
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    page->addPuttyView(box);
    box->setFrame(QRectF(100, 100, 200, 80).adjusted(-40, -40, 40, 40));
    qobject_cast<ZVTextView*>(box->contentView())->setString(QStringLiteral("Settles once"));
    grab();
    ElementPictureCache* pictures = view.pageItem()->itemFor(box)->pictureCache();
    const auto resizeAndSettle = [&] {
        box->setNewPuttyViewFrame(box->frame().adjusted(0, 0, 30, 20));
        grab();
        const int resized = pictures->pictureCount();
        DeferredCalls::instance().flush();
        grab();
        return pictures->pictureCount() - resized;
    };
    EXPECT_EQ(resizeAndSettle(), 0);
    EXPECT_TRUE(box->shadowSupported());

    // A box that says wrongly that its shadow is not supported learns it as
    // it settles, and is drawn with its shadow.
    box->setValueForKey(u"shadowSupported", false);
    grab();
    EXPECT_EQ(resizeAndSettle(), 1);
    EXPECT_TRUE(box->shadowSupported());
}

// Resizing more boxes than the laid-out texts' budget holds keeps every one
// of them laid out while the handle is held: each step draws them from the
// lines they have instead of reading and laying out each text again. Once
// the handle is let go, the budget holds again.
TEST_F(ElementPictures, ResizingManyTextBoxesKeepsTheirTextsLaidOutUntilTheHandleIsLetGo)
{
    for (int i = 0; i < 24; ++i) {
        ZVPuttyView* box = ZVPuttyView::initWithText().release();
        page->addPuttyView(box);
        box->setFrame(QRectF(40 + (i % 6) * 110, 60 + (i / 6) * 100, 60, 50).adjusted(-40, -40, 40, 40));
        qobject_cast<ZVTextView*>(box->contentView())->setString(QString::number(i));
    }
    // Texts as a file gives them, which the budget can let go of.
    const std::unique_ptr<ZVCanvasView> read = readBack<ZVCanvasView>(archiveOf(page));
    ASSERT_TRUE(read);
    read->setDocument(&document);
    view.setDocumentView(read.get());
    const QList<ZVPuttyView*> boxes = read->puttyViews();
    for (ZVPuttyView* box : boxes)
        box->setIsActive(true);
    text::LaidOutTexts& kept = text::LaidOutTexts::shared();
    const qint64 budget = kept.maxBytes();
    grab();
    kept.setBudget(kept.keptBytes() / 4);
    const auto laidOut = [&] {
        return std::count_if(boxes.cbegin(), boxes.cend(), [](const ZVPuttyView* box) {
            return qobject_cast<const ZVTextView*>(box->contentView())->textStorage()->hasDocument();
        });
    };
    const auto at = [&](QPointF point) { return view.mapFromPage(point).toPoint(); };
    const QPointF corner = boxes.last()->contentFrame().topLeft();
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at(corner));
    for (const QPointF step : {QPointF(-9, -5), QPointF(0, 0), QPointF(-9, -5)}) {
        QTest::mouseMove(view.viewport(), at(corner + step));
        grab();
        EXPECT_EQ(laidOut(), boxes.size());
    }
    EXPECT_GT(boxes.first()->contentFrame().width(), 60);
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at(corner + QPointF(-9, -5)));
    const QImage resized = grab();
    EXPECT_LE(kept.keptBytes(), kept.maxBytes());
    EXPECT_LT(laidOut(), boxes.size());
    for (ZVPuttyView* box : boxes)
        view.pageItem()->itemFor(box)->redraw();
    EXPECT_EQ(grab(), resized);
    kept.setBudget(budget);
    view.setDocumentView(page);
}

// A page of every kind of text box among a shape, a group and a turned box,
// all selected and resized by a handle in steps, with and without a kept
// ratio: after each step, its undo and its redo, every element has the frame
// and shows what the page read back from a file (laid out afresh) has and
// shows.
TEST_F(ElementPictures, AResizedMixedPageShowsWhatItsFileShowsThroughUndoAndRedo)
{
    using Alignment = ParagraphStyle::Alignment;
    const auto addText = [&](QRectF content, const QString& text, Alignment alignment) {
        ZVPuttyView* box = ZVPuttyView::initWithText().release();
        page->addPuttyView(box);
        box->setFrame(content.adjusted(-40, -40, 40, 40));
        auto* textView = qobject_cast<ZVTextView*>(box->contentView());
        textView->setString(text);
        textView->setAlignment(int(alignment));
        return box;
    };
    addText(QRectF(60, 60, 120, 40), QStringLiteral("Left"), Alignment::Left);
    addText(QRectF(240, 60, 120, 40), QStringLiteral("Centred"), Alignment::Center);
    addText(QRectF(420, 60, 120, 40), QStringLiteral("Rechts"), Alignment::Right);
    addText(QRectF(60, 160, 120, 40), QString::fromUtf8("שלום עולם"), Alignment::Natural);
    addText(QRectF(240, 160, 120, 40), QStringLiteral("a\tb\tc"), Alignment::Natural);
    addText(QRectF(420, 160, 120, 40), QStringLiteral("Short\tline"), Alignment::Left);
    addText(QRectF(60, 260, 120, 40),
            QStringLiteral("A long paragraph that wraps and runs on past the foot of its box"), Alignment::Natural);
    addText(QRectF(240, 260, 120, 60), QStringLiteral("One\nTwo\nThree"), Alignment::Left);
    addText(QRectF(420, 260, 120, 40), QStringLiteral("Turned"), Alignment::Left)->setRotation(30);
    ZVPuttyView* ring = addRing(24);
    ring->setFrame(QRectF(60, 360, 160, 160));
    addText(QRectF(300, 400, 100, 40), QStringLiteral("In a group"), Alignment::Left)->setIsActive(true);
    addText(QRectF(300, 480, 100, 40), QStringLiteral("Grouped"), Alignment::Left)->setIsActive(true);
    page->groupActivePuttyViews();
    endTurn();
    // The page as a file gives it, drawn as the user sees it on opening.
    const std::unique_ptr<ZVCanvasView> opened = readBack<ZVCanvasView>(archiveOf(page));
    ASSERT_TRUE(opened);
    ZVCanvasView* live = opened.get();
    live->setDocument(&document);
    view.setDocumentView(live);
    document.undo.removeAllActions();
    grab();

    const auto frames = [](const ZVCanvasView& of) {
        QList<QRectF> all;
        for (const ZVPuttyView* element : of.puttyViews())
            all << element->frame();
        return all;
    };
    const auto shown = [&] {
        for (ZVPuttyView* element : live->puttyViews())
            element->setIsActive(false);
        endTurn();
        DeferredCalls::instance().flush();
        return grab();
    };
    const auto check = [&](const char* when) {
        const QImage seen = shown();
        const std::unique_ptr<ZVCanvasView> read = readBack<ZVCanvasView>(archiveOf(live));
        ASSERT_TRUE(read);
        read->setDocument(&document);
        EXPECT_EQ(frames(*read), frames(*live)) << when;
        view.setDocumentView(read.get());
        EXPECT_TRUE(grab() == seen) << when;
        view.setDocumentView(live);
    };
    check("opened");
    ZVPuttyView* handleBox = live->puttyViews().first();
    const auto at = [&](QPointF point) { return view.mapFromPage(point).toPoint(); };
    for (const bool keepRatio : {false, true}) {
        for (const QPointF step : {QPointF(-30, -10), QPointF(25, 6), QPointF(-12, 9)}) {
            live->selectAll();
            for (ZVPuttyView* element : live->puttyViews())
                element->setKeepAspectRatio(keepRatio);
            grab();
            const QPointF corner = handleBox->contentFrame().bottomRight();
            QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at(corner));
            QTest::mouseMove(view.viewport(), at(corner + step / 2));
            grab();
            QTest::mouseMove(view.viewport(), at(corner + step));
            grab();
            QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at(corner + step));
            endTurn();
            check("resized");
            document.undo.undo();
            endTurn();
            check("undone");
            document.undo.redo();
            endTurn();
            check("redone");
        }
    }
    view.setDocumentView(page);
}
