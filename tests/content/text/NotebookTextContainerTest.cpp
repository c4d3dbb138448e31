#include "content/text/CHNotebookTextContainer.h"
#include "content/text/FlowLayout.h"
#include "content/text/TextStorage.h"
#include "content/text/ZVTextContainer.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::text;

namespace {

AttributedString helvetica(const QString& text)
{
    return AttributedString(text, {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), 12))}});
}

QString words(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QStringLiteral("w%1").arg(i, 4, 10, QLatin1Char('0')));
    return list.join(QLatin1Char(' '));
}

// Records every proposal, so that the nested call of a full-width obstacle
// is seen to come through the virtual call.
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

} // namespace

TEST(NotebookTextContainer, RectHelpersSortStablyMergeWithinTheGapAndFindTheNearestBottom)
{
    const QList<QRectF> rects {QRectF(50, 0, 10, 30), QRectF(10, 5, 10, 10), QRectF(50, 1, 5, 5)};
    EXPECT_EQ(CHSortedRects(rects, 0), (QList<QRectF> {rects[1], rects[0], rects[2]}));
    EXPECT_EQ(CHSortedRects(rects, 1), (QList<QRectF> {rects[0], rects[2], rects[1]}));
    EXPECT_EQ(CHSortedRects(rects, 7), rects);

    // 30 apart joins with a gap of 30, not with 20; another axis keeps the
    // first of each run.
    const QList<QRectF> row {QRectF(10, 5, 10, 10), QRectF(50, 0, 10, 30)};
    EXPECT_EQ(CHMergedRects(row, 0, 30), (QList<QRectF> {QRectF(10, 0, 50, 30)}));
    EXPECT_EQ(CHMergedRects(row, 0, 20), row);
    EXPECT_EQ(CHMergedRects(row, 2, 30), (QList<QRectF> {row[0]}));
    EXPECT_TRUE(CHMergedRects({}, 0, 20).isEmpty());

    EXPECT_EQ(CHNearestBottom(rects), 6.0);
    EXPECT_EQ(CHNearestBottom({}), std::numeric_limits<double>::max());
}

TEST(NotebookTextContainer, ZonesAreStoredPaddedAndNothingToAvoidAddsNoZone)
{
    CHNotebookTextContainer box(QSizeF(300, 300));
    EXPECT_TRUE(box.isSimpleRectangularTextContainer());
    box.setClippingRect(QRectF(100, 50, 40, 40), QStringLiteral("a"));
    EXPECT_EQ(box.layoutClippings().value(QStringLiteral("a")), QRectF(85, 45, 58, 50));
    EXPECT_FALSE(box.isSimpleRectangularTextContainer());
    // Inside the padding but outside the given rectangle.
    EXPECT_FALSE(box.containsPoint(QPointF(90, 47)));
    EXPECT_TRUE(box.containsPoint(QPointF(80, 47)));
    EXPECT_TRUE(box.containsPoint(QPointF(-500, -500))); // bounds are not tested

    // A zero or non-finite rectangle removes the key; a null key is ignored.
    box.setClippingRect(QRectF(), QStringLiteral("a"));
    box.setClippingRect(QRectF(0, 0, qQNaN(), 10), QStringLiteral("b"));
    box.setClippingRect(QRectF(1, 1, 1, 1), QString());
    EXPECT_TRUE(box.layoutClippings().isEmpty());
    EXPECT_TRUE(box.isSimpleRectangularTextContainer());
}

TEST(NotebookTextContainer, LinesAreCutAroundZones)
{
    CHNotebookTextContainer box(QSizeF(400, 300));
    TextContainer plain(QSizeF(400, 300));
    QRectF remaining(1, 1, 1, 1);
    QRectF plainRemaining;
    // Without zones it answers as a plain container.
    for (const QRectF& proposed : {QRectF(0, 0, 400, 12), QRectF(30, 10, 100, 12), QRectF(0, 295, 400, 12)}) {
        EXPECT_EQ(box.lineFragmentRectForProposedRect(proposed, &remaining),
                  plain.lineFragmentRectForProposedRect(proposed, &plainRemaining));
        EXPECT_EQ(remaining, plainRemaining);
    }

    // Zones 15 apart act as one; the line runs left of them and on after.
    box.setClippingRect(QRectF(100, 0, 40, 40), QStringLiteral("a"));  // zone 85..143
    box.setClippingRect(QRectF(173, 0, 40, 40), QStringLiteral("b"));  // zone 158..216
    EXPECT_EQ(box.lineFragmentRectForProposedRect(QRectF(0, 0, 400, 12), &remaining), QRectF(0, 0, 85, 12));
    EXPECT_EQ(remaining, QRectF(216, 0, 184, 12));

    // 25 apart the gap is the remaining rectangle, a fragment of its own.
    box.setClippingRect(QRectF(183, 0, 40, 40), QStringLiteral("b")); // zone 168..226
    EXPECT_EQ(box.lineFragmentRectForProposedRect(QRectF(0, 0, 400, 12), &remaining), QRectF(0, 0, 85, 12));
    EXPECT_EQ(remaining, QRectF(143, 0, 25, 12));
    const QRectF gap = remaining;
    EXPECT_EQ(box.lineFragmentRectForProposedRect(gap, &remaining), gap);
    EXPECT_TRUE(remaining.isNull());

    // A line starting within 20 points of an obstacle starts right of it;
    // a rest of 20 points or less is not used.
    CHNotebookTextContainer left(QSizeF(400, 300));
    left.setClippingRect(QRectF(20, 0, 100, 40), QStringLiteral("a")); // zone 5..123
    EXPECT_EQ(left.lineFragmentRectForProposedRect(QRectF(0, 0, 400, 12), &remaining), QRectF(123, 0, 277, 12));
    CHNotebookTextContainer narrow(QSizeF(246, 300));
    narrow.setClippingRect(QRectF(100, 0, 125, 40), QStringLiteral("a")); // zone 85..228, 18 left
    EXPECT_EQ(narrow.lineFragmentRectForProposedRect(QRectF(0, 0, 246, 12), &remaining), QRectF(0, 0, 85, 12));
    EXPECT_TRUE(remaining.isNull());

    // Past the bottom only the plain answer counts.
    EXPECT_TRUE(box.lineFragmentRectForProposedRect(QRectF(0, 295, 400, 12), &remaining).isNull());

    // An obstacle reaching past the right edge leaves no room, never a
    // negative width.
    CHNotebookTextContainer edge(QSizeF(300, 300));
    edge.setClippingRect(QRectF(140, 0, 200, 12), QStringLiteral("a")); // zone 125..343
    const QRectF blocked = edge.lineFragmentRectForProposedRect(QRectF(120, 0, 180, 12), &remaining);
    EXPECT_EQ(blocked.width(), 0.0);
    EXPECT_TRUE(remaining.isNull());
}

TEST(NotebookTextContainer, FullWidthZonesPushTheLineBelowThemOneAtATime)
{
    RecordingContainer box(QSizeF(300, 300));
    box.setClippingRect(QRectF(0, 0, 300, 40), QStringLiteral("short")); // bottom 45
    box.setClippingRect(QRectF(10, 0, 280, 80), QStringLiteral("tall"));  // bottom 85
    QRectF remaining(1, 1, 1, 1);
    EXPECT_EQ(box.lineFragmentRectForProposedRect(QRectF(0, 0, 300, 12), &remaining), QRectF(0, 85, 300, 12));
    EXPECT_TRUE(remaining.isNull());
    ASSERT_EQ(box.proposals.size(), 3);
    EXPECT_EQ(box.proposals[1], QRectF(0, 45, 300, 12));
    EXPECT_EQ(box.proposals[2], QRectF(0, 85, 300, 12));

    // Laid out, no line touches a zone and no text is lost.
    TextStorage storage;
    storage.setAttributedString(helvetica(words(60)));
    CHNotebookTextContainer laid(QSizeF(300, 400));
    laid.setClippingRect(QRectF(0, 30, 300, 40), QStringLiteral("band"));
    laid.setClippingRect(QRectF(140, 120, 200, 30), QStringLiteral("right"));
    storage.layoutManager()->addTextContainer(&laid);
    FlowLayout& layout = *storage.layoutManager();
    EXPECT_FALSE(layout.hasOverflow());
    bool below = false;
    for (const FlowLayout::Line& line : layout.linesInTextContainer(0)) {
        for (const QRectF& zone : laid.layoutClippings())
            EXPECT_FALSE(zone.intersects(line.rect)) << line.rect.x() << "," << line.rect.y();
        below = below || line.rect.top() >= 75;
    }
    EXPECT_TRUE(below);
}

TEST(NotebookTextContainer, PathContainerLaysOutAsAPlainOneAndRelaysOutOnlyWhenAttached)
{
    ZVTextContainer detached(QSizeF(200, 100));
    detached.setBezierPaths({BezierPath()});
    EXPECT_EQ(detached.bezierPaths().size(), 1);

    TextStorage storage;
    storage.setAttributedString(helvetica(words(80)));
    ZVTextContainer paths(QSizeF(200, 100));
    storage.layoutManager()->addTextContainer(&paths);
    FlowLayout& layout = *storage.layoutManager();
    const QList<FlowLayout::Line> before = layout.linesInTextContainer(0);
    QSignalSpy relaid(&layout, &FlowLayout::layoutInvalidated);
    BezierPath across;
    across.moveTo(QPointF(0, 0));
    across.lineTo(QPointF(200, 100));
    paths.setBezierPaths({across});
    EXPECT_EQ(relaid.count(), 1);
    const QList<FlowLayout::Line> after = layout.linesInTextContainer(0);
    ASSERT_EQ(after.size(), before.size());
    for (qsizetype i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].rect, before[i].rect);
}
