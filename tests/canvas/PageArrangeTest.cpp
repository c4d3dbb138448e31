// Stacking, lock, groups and fixed turns on the page's selection: each
// command is one undo step that puts everything back, and the layer picture
// draws elements where they lie.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "platform/graphics/Image.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// Four elements a, b, c, d on the page's layer, bottom first.
struct Page {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    QList<ZVPuttyView*> elements;

    Page()
    {
        for (int i = 0; i < 4; ++i)
            elements.append(add(ZVPuttyView::initWith3DText(QStringLiteral("Deep")), QRectF(50 * i, 50 * i, 200, 150)));
    }
    ZVPuttyView* add(std::unique_ptr<ZVPuttyView> made, QRectF frame)
    {
        made->setFrame(frame);
        page->addPuttyView(made.get());
        endTurn();
        return made.release();
    }
    void select(const QList<int>& which)
    {
        page->clearPuttyViews();
        for (int i : which)
            elements[i]->setIsActive(true);
    }
    QString order(const ZVPuttyViewGroup* layer) const
    {
        QString letters;
        for (const QString& uuid : layer->groupedViews())
            for (qsizetype i = 0; i < elements.size(); ++i)
                letters += elements[i]->uuid() == uuid ? QString(QChar(char16_t(u'a' + i))) : QString();
        return letters;
    }
    QString order() const { return order(page->currentLayoutLayer()); }
};

} // namespace

TEST(PageArrange, StackingKeepsTheSelectionsOrderAndUndoesInOneStep)
{
    Page sample;
    const int steps = sample.document.undo.undoCount();
    sample.select({3});
    sample.page->moveActivePuttyViewsToFront();
    sample.page->moveActivePuttyViewsForward();
    endTurn();
    EXPECT_EQ(sample.order(), QStringLiteral("abcd"));
    EXPECT_EQ(sample.document.undo.undoCount(), steps) << "nothing moved, nothing to undo";
    sample.page->moveActivePuttyViewsToBack();
    endTurn();
    sample.page->moveActivePuttyViewsBackward();
    EXPECT_EQ(sample.order(), QStringLiteral("dabc")) << "the bottom stays at the bottom";
    sample.document.undo.undo();
    EXPECT_EQ(sample.order(), QStringLiteral("abcd"));

    sample.select({0, 1});
    sample.page->moveActivePuttyViewsToFront();
    sample.page->moveActivePuttyViewsForward();
    EXPECT_EQ(sample.order(), QStringLiteral("cdab")) << "a block on top stays as it is";
    sample.select({2, 3});
    sample.page->moveActivePuttyViewsBackward();
    sample.page->moveActivePuttyViewsBackward();
    EXPECT_EQ(sample.order(), QStringLiteral("cdab"));
    sample.page->moveActivePuttyViewsForward();
    EXPECT_EQ(sample.order(), QStringLiteral("acdb"));
    endTurn();
    sample.document.undo.undo();
    EXPECT_EQ(sample.order(), QStringLiteral("abcd")) << "the whole turn's moves undo together";

    // To front in a lower layer: the top of that layer, not a place counted
    // in the current one.
    ZVPuttyViewGroup* lower = sample.page->currentLayoutLayer();
    sample.page->setCurrentLayoutLayer(sample.page->addLayoutLayer(QStringLiteral("Upper")));
    sample.add(ZVPuttyView::initWithText(), QRectF(0, 0, 100, 100));
    sample.select({0});
    sample.page->moveActivePuttyViewsToFront();
    EXPECT_EQ(sample.order(lower), QStringLiteral("bcda"));
}

TEST(PageArrange, LockAndGroupUndoAndRedoTheSameMembers)
{
    Page sample;
    sample.select({0, 1});
    sample.page->lockActivePuttyViews();
    sample.page->groupActivePuttyViews();
    endTurn();
    ZVPuttyViewGroup* pair = sample.elements[0]->group();
    ASSERT_NE(pair, nullptr);
    EXPECT_TRUE(sample.elements[1]->isLocked() && sample.elements[1]->group() == pair);
    sample.document.undo.undo();
    EXPECT_FALSE(sample.elements[1]->isLocked() || sample.elements[1]->group());
    sample.document.undo.redo();
    EXPECT_TRUE(sample.elements[1]->isLocked() && sample.elements[1]->group() == pair);

    // A member brings its partner; undo gives the pair their group back.
    sample.select({1, 2});
    sample.page->groupActivePuttyViews();
    endTurn();
    ZVPuttyViewGroup* trio = sample.elements[2]->group();
    EXPECT_EQ(sample.elements[0]->group(), trio);
    sample.document.undo.undo();
    EXPECT_EQ(sample.elements[0]->group(), pair);
    EXPECT_EQ(sample.elements[2]->group(), nullptr);
    sample.document.undo.redo();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(sample.elements[i]->group(), trio);

    sample.select({2});
    sample.page->ungroupActivePuttyViews();
    EXPECT_EQ(sample.elements[2]->group(), nullptr);
    EXPECT_EQ(sample.elements[0]->group(), trio) << "the others stay together";

    // Ungrouping the rest rewrites the group's list once, not once a member.
    int rewrites = 0;
    trio->addObserver(QStringLiteral("groupedViews"), trio, [&rewrites](const ql::KeyValueChange&) { ++rewrites; });
    sample.select({0, 1});
    sample.page->ungroupActivePuttyViews();
    EXPECT_EQ(rewrites, 1);
    EXPECT_TRUE(trio->groupedViews().isEmpty());
    EXPECT_EQ(sample.elements[1]->group(), nullptr);
}

TEST(PageArrange, FixedTurnsSetEveryAngleAndUndoThemAll)
{
    Page sample;
    sample.elements[1]->setRotation(30);
    QList<QRectF> frames;
    for (const ZVPuttyView* element : sample.elements)
        frames.append(element->frame());
    sample.select({0, 1, 2});
    sample.page->setFocusedPuttyView(sample.elements[0]);
    sample.page->rotate90Right();
    endTurn();
    sample.page->rotate90Left();
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(sample.elements[i]->frameCenterRotation(), -90.0) << "absolute, not added";
    endTurn();
    sample.document.undo.undo();
    sample.document.undo.undo();
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(sample.elements[i]->frameCenterRotation(), i == 1 ? 30.0 : 0.0);
        EXPECT_EQ(sample.elements[i]->frame(), frames[i]);
    }
}

TEST(PageArrange, LayerPictureDrawsItsElementsWhereTheyLie)
{
    Page sample;
    ZVPuttyViewGroup* pictures = sample.page->addLayoutLayer(QStringLiteral("Pictures"));
    const QImage empty = sample.page->imageRepresentationOfLayoutLayer(pictures);
    EXPECT_EQ(empty.size(), sample.page->frame().size().toSize());
    EXPECT_EQ(empty.pixel(300, 300), qRgb(255, 255, 255));

    QImage red(80, 40, QImage::Format_ARGB32);
    red.fill(Qt::red);
    sample.page->setCurrentLayoutLayer(pictures);
    for (const double angle : {0.0, -90.0, 45.0}) {
        ZVPuttyView* picture = sample.add(ZVPuttyView::initWithImage(ql::Image(red)), QRectF(300, 400, 160, 120));
        picture->setRotation(angle);
        const QImage image = sample.page->imageRepresentationOfLayoutLayer(pictures);
        const QPoint centre = picture->mapToPage(picture->bounds().center()).toPoint();
        EXPECT_GT(qRed(image.pixel(centre)), 250) << angle;
        EXPECT_LT(qGreen(image.pixel(centre)), 5) << angle;
        EXPECT_EQ(image.pixel(centre + QPoint(0, 60)), qRgb(255, 255, 255)) << "nothing 40 points off: " << angle;
        sample.page->deletePuttyView(picture);
    }
}
