#include "CanvasTestSupport.h"

#include "canvas/CropMarks.h"
#include "canvas/ZVGuideView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/guides/GuidePositions.h"
#include "canvas/guides/TextLinks.h"
#include "platform/graphics/RulerMarker.h"
#include "platform/runtime/UserDefaults.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

using ql::UserDefaults;

// A Letter page with every guide setting at hand.
struct Page {
    TestDocument document;
    ZVCanvasView* page = document.addPage();

    void set(const char* key, const QVariant& value) { page->setValueForKey(QString::fromLatin1(key), value); }
    void fullBleed(double bleed)
    {
        set("bleedMargin", bleed);
        set("fullBleed", true);
    }
    // The overlay drawn on white, page-sized.
    QImage draw()
    {
        QImage image(page->frame().size().toSize(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        page->guideView()->drawRect(painter);
        return image;
    }
};

QList<double> locations(const QVariant& markers)
{
    QList<double> result;
    for (const QVariant& marker : markers.toList())
        result.append(marker.value<ql::RulerMarker>().location);
    return result;
}

// Whether the pixel column (or row) at `at` holds anything but white over
// the middle of the image.
bool columnInked(const QImage& image, int x)
{
    return image.pixelColor(x, image.height() / 2) != QColor(Qt::white);
}
bool rowInked(const QImage& image, int y)
{
    return image.pixelColor(image.width() / 2, y) != QColor(Qt::white);
}

class GuideOverlay : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::standard().setBool(QStringLiteral("showGuides"), true);
        UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), true);
    }
};

} // namespace

TEST_F(GuideOverlay, CropMarksStandOnTheTrimEdgesInTheBleed)
{
    const QList<QLineF> expected {
        {0, 9, 7.2, 9}, {9, 0, 9, 7.2}, {621, 0, 621, 7.2}, {622.8, 9, 630, 9},
        {0, 801, 7.2, 801}, {9, 810, 9, 802.8}, {621, 802.8, 621, 810}, {622.8, 801, 630, 801},
    };
    const QList<QLineF> marks = ql::CropMarks::lines(QSizeF(630, 810), 9);
    ASSERT_EQ(marks.size(), expected.size());
    for (qsizetype i = 0; i < marks.size(); ++i) {
        EXPECT_NEAR(marks[i].x1(), expected[i].x1(), 1e-9) << i;
        EXPECT_NEAR(marks[i].y1(), expected[i].y1(), 1e-9) << i;
        EXPECT_NEAR(marks[i].x2(), expected[i].x2(), 1e-9) << i;
        EXPECT_NEAR(marks[i].y2(), expected[i].y2(), 1e-9) << i;
    }
    EXPECT_TRUE(ql::CropMarks::lines(QSizeF(612, 792), 0).isEmpty());

    // The page switches the marks on with full bleed only, whatever
    // showBleedCropMarks says.
    Page sample;
    EXPECT_FALSE(sample.page->guideView()->showCropMarks());
    sample.fullBleed(9);
    EXPECT_EQ(sample.page->frame().size(), QSizeF(630, 810));
    EXPECT_TRUE(sample.page->guideView()->showCropMarks());
    EXPECT_EQ(sample.page->guideView()->bleedMargins(), 9);
    UserDefaults::standard().setBool(QStringLiteral("showGuides"), false);
    const QImage drawn = sample.draw();
    EXPECT_EQ(drawn.pixelColor(3, 9), QColor(Qt::black)) << "top-left horizontal mark";
    EXPECT_EQ(drawn.pixelColor(621, 3), QColor(Qt::black)) << "top-right mark on the trim edge";
    EXPECT_EQ(drawn.pixelColor(622, 3), QColor(Qt::white)) << "not a point outside it";
    sample.set("showBleedCropMarks", false);
    EXPECT_FALSE(sample.page->guideView()->showCropMarks());
}

TEST_F(GuideOverlay, ColumnAndRowGuidesWithinTheMarginsOrAcrossThePage)
{
    Page sample;
    sample.set("showColumnRowGuides", true);
    sample.set("colNumber", 2);
    sample.set("colGutter", 18);
    sample.set("rowNumber", 0);
    EXPECT_EQ(ql::guidePositions(*sample.page).columns, (QList<double>{36, 297, 315, 576}));
    EXPECT_TRUE(ql::guidePositions(*sample.page).rows.isEmpty());
    sample.set("colRowStyle", 1);
    EXPECT_EQ(ql::guidePositions(*sample.page).columns, (QList<double>{0, 297, 315, 612}));
    sample.set("colNumber", 0);
    EXPECT_TRUE(ql::guidePositions(*sample.page).columns.isEmpty());
    sample.draw();
    EXPECT_TRUE(locations(sample.page->valueForKey(u"hiddenHorizontalMarkers")).isEmpty());

    // Under full bleed the columns of style 1 span the trimmed page.
    sample.set("colNumber", 2);
    sample.fullBleed(9);
    EXPECT_EQ(ql::guidePositions(*sample.page).columns, (QList<double>{9, 306, 324, 621}));
}

TEST_F(GuideOverlay, GuidesDrawOnlyWhileShownButTheHiddenListsAlwaysRefill)
{
    Page sample;
    sample.set("showColumnRowGuides", true);
    sample.set("colNumber", 2);
    sample.set("colGutter", 18);
    sample.set("rowNumber", 2);
    sample.set("rowGutter", 20);
    sample.set("showMarginGuides", true);
    ql::RulerMarker guide;
    guide.location = 100;
    sample.page->setHorizontalMarkers({guide});
    sample.page->guideView()->setVLines({450});

    QImage shown = sample.draw();
    EXPECT_TRUE(columnInked(shown, 100)) << "ruler guide";
    EXPECT_TRUE(columnInked(shown, 297)) << "column guide";
    EXPECT_TRUE(rowInked(shown, 36)) << "margin guide";
    EXPECT_EQ(shown.pixelColor(450, 400), QColor(0, 0, 255)) << "smart guide in blue";
    EXPECT_FALSE(columnInked(shown, 200));

    UserDefaults::standard().setBool(QStringLiteral("showGuides"), false);
    sample.page->setValueForKey(u"hiddenHorizontalMarkers", QVariantList());
    const QImage hidden = sample.draw();
    EXPECT_FALSE(columnInked(hidden, 100));
    EXPECT_FALSE(columnInked(hidden, 297));
    EXPECT_FALSE(columnInked(hidden, 450));
    EXPECT_EQ(locations(sample.page->valueForKey(u"hiddenHorizontalMarkers")), (QList<double>{36, 297, 315, 576}));
    EXPECT_EQ(locations(sample.page->valueForKey(u"hiddenVerticalMarkers")).size(), 4);

    // For output only the crop marks are drawn.
    UserDefaults::standard().setBool(QStringLiteral("showGuides"), true);
    sample.fullBleed(9);
    sample.page->guideView()->setOnlyRenderCropMarks(true);
    sample.page->showTextLinks();
    const QImage output = sample.draw();
    EXPECT_EQ(output.pixelColor(3, 9), QColor(Qt::black));
    EXPECT_FALSE(columnInked(output, 109));
    EXPECT_FALSE(columnInked(output, 306));
}

TEST_F(GuideOverlay, LinkLinesFollowTheChainAcrossPages)
{
    TestDocument document;
    ZVCanvasView* first = document.addPage();
    ZVCanvasView* second = document.addPage();
    auto* chain = new ZVPuttyViewGroup(QStringLiteral("chain"), &document);
    QList<ZVPuttyView*> boxes;
    for (ZVCanvasView* page : {first, second, second}) {
        ZVPuttyView* box = ZVPuttyView::initWithText().release();
        box->setFrame(QRectF(100 + 50 * boxes.size(), 100 + 200 * boxes.size(), 280, 180));
        box->setTextGroup(chain);
        chain->appendUuid(box->uuid());
        page->addPuttyView(box);
        boxes.append(box);
    }
    QList<ZVPuttyView*> all = first->puttyViews() + second->puttyViews();
    const QList<QLineF> onFirst = ql::textLinkLines(*first, all);
    ASSERT_EQ(onFirst.size(), 1);
    EXPECT_EQ(onFirst[0].p1(), boxes[0]->mapToPage(ql::linkBadgeCenter(*boxes[0])));
    EXPECT_EQ(onFirst[0].p2(), QPointF(612, 396)) << "middle of the right edge";

    const QList<QLineF> onSecond = ql::textLinkLines(*second, all);
    ASSERT_EQ(onSecond.size(), 2);
    EXPECT_EQ(onSecond[0].p1(), QPointF(0, 396));
    EXPECT_EQ(onSecond[0].p2(), QPointF(190, 340)) << "the second box's content corner";
    EXPECT_EQ(onSecond[1].p2(), QPointF(240, 540));
    // The badge is centred on the content's right edge, a quarter of the
    // content's height down: (180 - 80) / 4 below the content's top at 40.
    EXPECT_EQ(ql::linkBadgeCenter(*boxes[0]), QPointF(240, 65));
    ZVPuttyView tall;
    tall.setFrame(QRectF(0, 0, 300, 300));
    EXPECT_EQ(ql::linkBadgeCenter(tall), QPointF(260, 95));

    // A turned box links from its turned corner.
    boxes[2]->setFrameCenterRotation(90);
    EXPECT_EQ(ql::textLinkLines(*second, all)[1].p2(), boxes[2]->mapToPage(QPointF(40, 40)));
}
