#include "content/text/CHNotebookTextContainer.h"
#include "content/text/FlowLayout.h"
#include "content/text/TextStorage.h"
#include "content/text/ZVTextContainer.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::text;

namespace {

// Counts its proposals, so that the nested call below a full-width zone is
// seen to come through the virtual call.
class RecordingContainer : public CHNotebookTextContainer {
public:
    using CHNotebookTextContainer::CHNotebookTextContainer;
    QRectF lineFragmentRectForProposedRect(const QRectF& proposed, QRectF* remaining) const override
    {
        proposals.append(proposed);
        return CHNotebookTextContainer::lineFragmentRectForProposedRect(proposed, remaining);
    }
    mutable QList<QRectF> proposals;
};

void laidOut(TextStorage& storage, TextContainer& box, int words)
{
    QStringList list;
    for (int i = 0; i < words; ++i)
        list.append(QStringLiteral("word%1").arg(i));
    storage.setAttributedString(AttributedString(
        list.join(QLatin1Char(' ')), {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), 12))}}));
    storage.layoutManager()->addTextContainer(&box);
}

} // namespace

TEST(NotebookTextContainer, HelpersAndZones)
{
    const QList<QRectF> rects {QRectF(50, 0, 10, 30), QRectF(10, 5, 10, 10), QRectF(50, 1, 5, 5)};
    EXPECT_EQ(CHSortedRects(rects, 0), (QList<QRectF> {rects[1], rects[0], rects[2]}));
    EXPECT_EQ(CHSortedRects(rects, 7), rects);
    const QList<QRectF> row {rects[1], rects[0]};
    EXPECT_EQ(CHMergedRects(row, 0, 30), (QList<QRectF> {QRectF(10, 0, 50, 30)}));
    EXPECT_EQ(CHMergedRects(row, 0, 20), row);
    EXPECT_EQ(CHNearestBottom(rects), 6.0);
    EXPECT_EQ(CHNearestBottom({}), std::numeric_limits<double>::max());

    CHNotebookTextContainer box(QSizeF(300, 300));
    box.setClippingRect(QRectF(100, 50, 40, 40), QStringLiteral("a"));
    EXPECT_EQ(box.layoutClippings().value(QStringLiteral("a")), QRectF(85, 45, 58, 50));
    EXPECT_FALSE(box.isSimpleRectangularTextContainer());
    EXPECT_FALSE(box.containsPoint(QPointF(90, 47))); // the padding, not the rectangle
    EXPECT_TRUE(box.containsPoint(QPointF(-500, -500)));
    // A zero or non-finite rectangle adds no zone (not an 18 × 10 one).
    box.setClippingRect(QRectF(), QStringLiteral("a"));
    box.setClippingRect(QRectF(0, 0, qQNaN(), 10), QStringLiteral("b"));
    EXPECT_TRUE(box.isSimpleRectangularTextContainer());
}

TEST(NotebookTextContainer, LinesAreCutAroundZones)
{
    CHNotebookTextContainer box(QSizeF(400, 300));
    TextContainer plain(QSizeF(400, 300));
    QRectF remaining;
    QRectF plainRemaining;
    EXPECT_EQ(box.lineFragmentRectForProposedRect(QRectF(30, 10, 100, 12), &remaining),
              plain.lineFragmentRectForProposedRect(QRectF(30, 10, 100, 12), &plainRemaining));

    // Zones 15 apart act as one; 25 apart the gap is a fragment of its own.
    box.setClippingRect(QRectF(100, 0, 40, 40), QStringLiteral("a")); // zone 85..143
    box.setClippingRect(QRectF(173, 0, 40, 40), QStringLiteral("b")); // zone 158..216
    EXPECT_EQ(box.lineFragmentRectForProposedRect(QRectF(0, 0, 400, 12), &remaining), QRectF(0, 0, 85, 12));
    EXPECT_EQ(remaining, QRectF(216, 0, 184, 12));
    box.setClippingRect(QRectF(183, 0, 40, 40), QStringLiteral("b")); // zone 168..226
    box.lineFragmentRectForProposedRect(QRectF(0, 0, 400, 12), &remaining);
    const QRectF gap = remaining;
    EXPECT_EQ(gap, QRectF(143, 0, 25, 12));
    EXPECT_EQ(box.lineFragmentRectForProposedRect(gap, &remaining), gap);
    EXPECT_TRUE(box.lineFragmentRectForProposedRect(QRectF(0, 295, 400, 12), &remaining).isNull());

    // A line starting within 20 points of a zone starts right of it; a rest
    // of 20 or less is not used; a zone past the right edge leaves width 0.
    CHNotebookTextContainer edge(QSizeF(246, 300));
    edge.setClippingRect(QRectF(20, 0, 100, 40), QStringLiteral("a"));   // zone 5..123
    EXPECT_EQ(edge.lineFragmentRectForProposedRect(QRectF(0, 0, 246, 12), &remaining), QRectF(123, 0, 123, 12));
    edge.setClippingRect(QRectF(140, 0, 200, 12), QStringLiteral("b"));  // zone 125..343
    EXPECT_EQ(edge.lineFragmentRectForProposedRect(QRectF(128, 0, 118, 12), &remaining).width(), 0.0);
    EXPECT_TRUE(remaining.isNull());
}

TEST(NotebookTextContainer, FullWidthZonesPushLinesBelowThemAndLayoutAvoidsEveryZone)
{
    RecordingContainer box(QSizeF(300, 300));
    box.setClippingRect(QRectF(0, 0, 300, 40), QStringLiteral("short")); // bottom 45
    box.setClippingRect(QRectF(10, 0, 280, 80), QStringLiteral("tall"));  // bottom 85
    QRectF remaining;
    EXPECT_EQ(box.lineFragmentRectForProposedRect(QRectF(0, 0, 300, 12), &remaining), QRectF(0, 85, 300, 12));
    EXPECT_EQ(box.proposals.mid(1), (QList<QRectF> {QRectF(0, 45, 300, 12), QRectF(0, 85, 300, 12)}));

    TextStorage storage;
    CHNotebookTextContainer laid(QSizeF(300, 400));
    laid.setClippingRect(QRectF(0, 30, 300, 40), QStringLiteral("band"));
    laid.setClippingRect(QRectF(140, 120, 200, 30), QStringLiteral("right"));
    laidOut(storage, laid, 60);
    EXPECT_FALSE(storage.layoutManager()->hasOverflow());
    for (const FlowLayout::Line& line : storage.layoutManager()->linesInTextContainer(0)) {
        for (const QRectF& zone : laid.layoutClippings())
            EXPECT_FALSE(zone.intersects(line.rect)) << line.rect.x() << "," << line.rect.y();
    }
}

TEST(NotebookTextContainer, APathContainerLaysOutAsAPlainOneAndRelaysOutWhenAttached)
{
    ZVTextContainer detached;
    detached.setBezierPaths({BezierPath()});
    EXPECT_EQ(detached.bezierPaths().size(), 1);

    TextStorage storage;
    ZVTextContainer paths(QSizeF(200, 100));
    laidOut(storage, paths, 80);
    FlowLayout& layout = *storage.layoutManager();
    const QList<FlowLayout::Line> before = layout.linesInTextContainer(0);
    QSignalSpy relaid(&layout, &FlowLayout::layoutInvalidated);
    paths.setBezierPaths({BezierPath::ovalInRect(QRectF(0, 0, 200, 100))});
    EXPECT_EQ(relaid.count(), 1);
    const QList<FlowLayout::Line> after = layout.linesInTextContainer(0);
    ASSERT_EQ(after.size(), before.size());
    for (qsizetype i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].rect, before[i].rect);
}
