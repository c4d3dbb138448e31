// Stacking, lock, groups and fixed turns on the page's selection: each
// command is one undo step that puts everything back, and the layer picture
// draws elements where they lie.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "platform/graphics/Image.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

struct Page {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    QList<ZVPuttyView*> elements;

    // Four elements a, b, c, d, bottom first, each added in its own turn.
    Page()
    {
        for (int i = 0; i < 4; ++i)
            elements.append(add(QRectF(50 * i, 50 * i, 200, 150)));
    }
    ZVPuttyView* add(QRectF frame, std::unique_ptr<ZVPuttyView> made = {})
    {
        ZVPuttyView* element = made ? made.release() : ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release();
        element->setFrame(frame);
        page->addPuttyView(element);
        endTurn();
        return element;
    }
    void select(const QList<int>& which)
    {
        page->clearPuttyViews();
        for (int i : which)
            elements[i]->setIsActive(true);
    }
    // The layer's order as letters, bottom first ("abcd").
    QString order(const ZVPuttyViewGroup* layer = nullptr) const
    {
        QString letters;
        for (const QString& uuid : (layer ? layer : page->currentLayoutLayer())->groupedViews()) {
            for (qsizetype i = 0; i < elements.size(); ++i) {
                if (elements[i]->uuid() == uuid)
                    letters += QChar(char16_t(u'a' + i));
            }
        }
        return letters;
    }
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
    EXPECT_EQ(sample.order(), QStringLiteral("abcd")) << "the top stays on top";
    EXPECT_EQ(sample.document.undo.undoCount(), steps) << "nothing moved, nothing to undo";
    sample.page->moveActivePuttyViewsToBack();
    endTurn();
    EXPECT_EQ(sample.order(), QStringLiteral("dabc"));
    sample.page->moveActivePuttyViewsBackward();
    EXPECT_EQ(sample.order(), QStringLiteral("dabc")) << "the bottom stays at the bottom";
    sample.document.undo.undo();
    EXPECT_EQ(sample.order(), QStringLiteral("abcd")) << "back in its place";

    sample.select({0, 1});
    sample.page->moveActivePuttyViewsToFront();
    EXPECT_EQ(sample.order(), QStringLiteral("cdab"));
    sample.page->moveActivePuttyViewsForward();
    EXPECT_EQ(sample.order(), QStringLiteral("cdab")) << "a block on top stays as it is";
    sample.page->moveActivePuttyViewsToBack();
    EXPECT_EQ(sample.order(), QStringLiteral("abcd"));
    endTurn();
    sample.select({1, 2});
    sample.page->moveActivePuttyViewsBackward();
    EXPECT_EQ(sample.order(), QStringLiteral("bcad"));
    sample.page->moveActivePuttyViewsBackward();
    EXPECT_EQ(sample.order(), QStringLiteral("bcad"));
    sample.page->moveActivePuttyViewsForward();
    sample.page->moveActivePuttyViewsForward();
    EXPECT_EQ(sample.order(), QStringLiteral("adbc"));
    endTurn();
    sample.document.undo.undo();
    EXPECT_EQ(sample.order(), QStringLiteral("abcd")) << "the whole turn's moves undo together";
    sample.document.undo.redo();
    EXPECT_EQ(sample.order(), QStringLiteral("adbc"));
}

TEST(PageArrange, ToFrontInALowerLayerUsesThatLayersOwnTop)
{
    Page sample;
    ZVPuttyViewGroup* lower = sample.page->currentLayoutLayer();
    sample.page->addLayoutLayer(QStringLiteral("Upper"));
    sample.page->setCurrentLayoutLayer(sample.page->layoutLayers().constLast());
    sample.add(QRectF(0, 0, 100, 100));
    sample.select({0});
    sample.page->moveActivePuttyViewsToFront();
    EXPECT_EQ(sample.order(lower), QStringLiteral("bcda"));
}

TEST(PageArrange, LockAndGroupUndoAndRedoTheSameMembers)
{
    Page sample;
    sample.select({0, 1});
    sample.page->lockActivePuttyViews();
    endTurn();
    EXPECT_TRUE(sample.elements[0]->isLocked() && sample.elements[1]->isLocked());
    sample.document.undo.undo();
    EXPECT_FALSE(sample.elements[0]->isLocked() || sample.elements[1]->isLocked());
    sample.document.undo.redo();
    EXPECT_TRUE(sample.elements[0]->isLocked() && sample.elements[1]->isLocked());

    sample.page->groupActivePuttyViews();
    endTurn();
    ZVPuttyViewGroup* pair = sample.elements[0]->group();
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(sample.elements[1]->group(), pair);
    sample.select({0});
    EXPECT_EQ(sample.page->activeViews().size(), 2) << "one member brings its partner";

    // Grouping a member with another element takes its partner in; undo
    // gives the pair their own group back, redo the same three again.
    sample.select({1, 2});
    sample.page->groupActivePuttyViews();
    endTurn();
    ZVPuttyViewGroup* trio = sample.elements[2]->group();
    ASSERT_NE(trio, pair);
    EXPECT_EQ(sample.elements[0]->group(), trio);
    sample.document.undo.undo();
    EXPECT_EQ(sample.elements[0]->group(), pair);
    EXPECT_EQ(sample.elements[1]->group(), pair);
    EXPECT_EQ(sample.elements[2]->group(), nullptr);
    sample.document.undo.redo();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(sample.elements[i]->group(), trio);

    // Ungrouping one selected member leaves the others together.
    sample.select({2});
    sample.elements[3]->setIsActive(true);
    sample.page->ungroupActivePuttyViews();
    EXPECT_EQ(sample.elements[2]->group(), nullptr);
    EXPECT_EQ(sample.elements[0]->group(), trio);
    EXPECT_FALSE(trio->listsUuid(sample.elements[2]->uuid()));
}

TEST(PageArrange, FixedTurnsSetEveryAngleAndUndoThemAll)
{
    Page sample;
    sample.elements[1]->setRotation(30);
    endTurn();
    QList<QRectF> frames;
    for (const ZVPuttyView* element : sample.elements)
        frames.append(element->frame());
    sample.select({0, 1, 2});
    sample.page->setFocusedPuttyView(sample.elements[0]);
    sample.page->rotate90Right();
    endTurn();
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(sample.elements[i]->frameCenterRotation(), 90.0);
    sample.page->rotate90Left();
    EXPECT_DOUBLE_EQ(sample.elements[2]->frameCenterRotation(), -90.0) << "absolute, not added";
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
    const QImage empty = sample.page->imageRepresentationOfLayoutLayer(sample.page->addLayoutLayer(QStringLiteral("Empty")));
    EXPECT_EQ(empty.size(), sample.page->frame().size().toSize());
    EXPECT_EQ(empty.pixel(300, 300), qRgb(255, 255, 255));

    QImage red(80, 40, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ZVPuttyViewGroup* pictures = sample.page->addLayoutLayer(QStringLiteral("Pictures"));
    sample.page->setCurrentLayoutLayer(pictures);
    for (const double angle : {0.0, -90.0, 45.0}) {
        ZVPuttyView* picture = sample.add(QRectF(300, 400, 160, 120), ZVPuttyView::initWithImage(ql::Image(red)));
        picture->setRotation(angle);
        const QImage image = sample.page->imageRepresentationOfLayoutLayer(pictures);
        const QPoint centre = picture->mapToPage(picture->bounds().center()).toPoint();
        EXPECT_GT(qRed(image.pixel(centre)), 250) << angle;
        EXPECT_LT(qGreen(image.pixel(centre)), 5) << angle;
        EXPECT_EQ(image.pixel(centre + QPoint(0, 60)), qRgb(255, 255, 255)) << "nothing 40 points off: " << angle;
        sample.page->deletePuttyView(picture);
    }
}
