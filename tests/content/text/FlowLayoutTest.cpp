#include "content/text/AttributedTextMapping.h"
#include "content/text/FlowLayout.h"
#include "content/text/TextContainer.h"
#include "content/text/TextStorage.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTextCursor>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::text;
namespace A = ql::TextAttribute;

namespace {

TextAttributes font(double size, std::optional<ParagraphStyle> style = std::nullopt)
{
    TextAttributes attributes {{A::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), size))}};
    if (style)
        attributes.insert(A::paragraphStyle, QVariant::fromValue(*style));
    return attributes;
}

QString words(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(QStringLiteral("word%1").arg(i % 17));
    return list.join(QLatin1Char(' '));
}

} // namespace

TEST(FlowLayout, LinesStayInTheirFragmentsAndContainersPartitionTheText)
{
    TextStorage storage;
    storage.setAttributedString(AttributedString(words(400) + QStringLiteral("\n") + words(300), font(11)));
    TextContainer first(QSizeF(200, 150));
    TextContainer second(QSizeF(120, 400));
    storage.layoutManager()->addTextContainer(&first);
    storage.layoutManager()->addTextContainer(&second);
    FlowLayout& layout = *storage.layoutManager();

    const FlowLayout::Range a = layout.characterRangeForTextContainer(0);
    const FlowLayout::Range b = layout.characterRangeForTextContainer(1);
    EXPECT_EQ(a.location, 0);
    EXPECT_GT(a.length, 0);
    EXPECT_EQ(b.location, a.location + a.length);
    EXPECT_TRUE(layout.hasOverflow());
    EXPECT_EQ(layout.firstOverflowCharacter(), b.location + b.length);

    for (int c = 0; c < 2; ++c) {
        const QSizeF size = layout.textContainerAt(c)->containerSize();
        int expected = layout.characterRangeForTextContainer(c).location;
        double previousBottom = 0;
        for (const FlowLayout::Line& line : layout.linesInTextContainer(c)) {
            EXPECT_LE(line.textWidth, line.rect.width() + 0.01);
            EXPECT_GE(line.textX, line.rect.left() - 0.01);
            EXPECT_LE(line.rect.bottom(), size.height() + 1e-6);
            EXPECT_GE(line.rect.top(), previousBottom - 1e-9);
            previousBottom = line.rect.bottom();
            // Lines follow each other without gap (a paragraph end between).
            EXPECT_TRUE(line.start == expected || line.start == expected + 1) << line.start << " " << expected;
            expected = line.start + line.length;
        }
    }

    // Growing the second box takes in the overflow.
    second.setContainerSize(QSizeF(120, 5000));
    EXPECT_FALSE(layout.hasOverflow());
    EXPECT_EQ(layout.characterRangeForTextContainer(0), a);
}

TEST(FlowLayout, TwelvePointLinesAreMeasuredAtSeventyTwoDpi)
{
    TextStorage storage;
    storage.setAttributedString(AttributedString(QStringLiteral("Hello\nHello"), font(12)));
    TextContainer box(QSizeF(300, 300));
    storage.layoutManager()->addTextContainer(&box);
    const QList<FlowLayout::Line> lines = storage.layoutManager()->linesInTextContainer(0);
    ASSERT_EQ(lines.size(), 2);
    // Helvetica's face is 1.2 em from line to line: 14.4 points at 12 points.
    EXPECT_NEAR(lines[0].rect.height(), 14.4, 0.3);
    EXPECT_NEAR(lines[1].rect.top(), lines[0].rect.bottom(), 1e-9);
    EXPECT_NEAR(lines[0].textWidth, 27.3, 1.0);
}

TEST(FlowLayout, ExtraLineHeightGoesAboveAndIndentsApplyInsideFragments)
{
    ParagraphStyle style;
    style.lineHeightMultiple = 2.0;
    style.firstLineHeadIndent = 30;
    style.headIndent = 10;
    style.paragraphSpacing = 6;
    TextStorage storage;
    storage.setAttributedString(AttributedString(words(40) + QStringLiteral("\nNext"), font(12, style)));
    TextContainer box(QSizeF(200, 1000));
    storage.layoutManager()->addTextContainer(&box);
    const QList<FlowLayout::Line> lines = storage.layoutManager()->linesInTextContainer(0);
    ASSERT_GE(lines.size(), 3);
    const double natural = lines[0].rect.height() / 2;
    EXPECT_GT(lines[0].baseline - lines[0].rect.top(), natural);
    EXPECT_NEAR(lines[0].textX, 30, 0.01);
    EXPECT_NEAR(lines[1].textX, 10, 0.01);
    EXPECT_LE(lines[0].textWidth, 170.01);
    // The next paragraph starts below the paragraph spacing.
    const FlowLayout::Line& next = lines.back();
    EXPECT_NEAR(next.rect.top(), lines[lines.size() - 2].rect.bottom() + 6, 1e-9);
}

TEST(FlowLayout, AnEndlessWordOverflowsQuicklyInATinyBox)
{
    TextStorage storage;
    storage.setAttributedString(AttributedString(QString(5000, QLatin1Char('m')), font(12)));
    TextContainer box(QSizeF(40, 40));
    storage.layoutManager()->addTextContainer(&box);
    QElapsedTimer timer;
    timer.start();
    FlowLayout& layout = *storage.layoutManager();
    EXPECT_TRUE(layout.hasOverflow());
    EXPECT_LT(timer.elapsed(), 1000);
    const QList<FlowLayout::Line> lines = layout.linesInTextContainer(0);
    ASSERT_FALSE(lines.isEmpty());
    for (const FlowLayout::Line& line : lines)
        EXPECT_LE(line.textWidth, 40.01);
    EXPECT_EQ(layout.firstOverflowCharacter(), lines.back().start + lines.back().length);

    // A line taller than the box fits nowhere.
    storage.setAttributedString(AttributedString(QStringLiteral("Big"), font(72)));
    EXPECT_EQ(layout.firstOverflowCharacter(), 0);
    EXPECT_FALSE(layout.caretRect(0).isValid());
}

TEST(FlowLayout, CaretsAndHitTestsAlsoForEmptyText)
{
    TextStorage storage;
    TextContainer box(QSizeF(100, 100));
    storage.layoutManager()->addTextContainer(&box);
    FlowLayout& layout = *storage.layoutManager();
    const FlowLayout::Caret empty = layout.caretRect(0);
    ASSERT_TRUE(empty.isValid());
    EXPECT_EQ(empty.rect.x(), 0);
    EXPECT_GT(empty.rect.height(), 10);
    EXPECT_EQ(layout.characterIndexForPoint(0, QPointF(50, 50)), 0);

    storage.setAttributedString(AttributedString(QStringLiteral("Hello world and more words"), font(12)));
    const FlowLayout::Caret afterHello = layout.caretRect(5);
    ASSERT_TRUE(afterHello.isValid());
    EXPECT_EQ(layout.characterIndexForPoint(0, afterHello.rect.center()), 5);
    const QList<FlowLayout::Line> lines = layout.linesInTextContainer(0);
    ASSERT_GE(lines.size(), 2);
    // The start of the second line has its caret there, not at the end of the first.
    const FlowLayout::Caret second = layout.caretRect(lines[1].start);
    EXPECT_NEAR(second.rect.top(), lines[1].rect.top(), 1e-9);
    EXPECT_EQ(layout.characterIndexForPoint(0, QPointF(-20, lines[1].rect.center().y())), lines[1].start);
    EXPECT_EQ(layout.characterIndexForPoint(0, QPointF(500, 500)), storage.length());
}

TEST(FlowLayout, AnEditRelaysOutOnlyUntilParagraphsLandWhereTheyWere)
{
    TextStorage storage;
    QString text;
    for (int i = 0; i < 200; ++i)
        text += words(30) + QLatin1Char('\n');
    storage.setAttributedString(AttributedString(text, font(12)));
    TextContainer box(QSizeF(300, 100000));
    storage.layoutManager()->addTextContainer(&box);
    FlowLayout& layout = *storage.layoutManager();
    layout.ensureLayout();
    EXPECT_EQ(layout.relaidBlockCount(), 201);
    const QList<FlowLayout::Line> before = layout.linesInTextContainer(0);

    QTextCursor cursor(storage.document());
    cursor.setPosition(5000);
    cursor.insertText(QStringLiteral("x"));
    layout.ensureLayout();
    // The changed paragraph, and the next one found where it was.
    EXPECT_EQ(layout.relaidBlockCount(), 202);
    cursor.deletePreviousChar();
    layout.ensureLayout();
    const QList<FlowLayout::Line> after = layout.linesInTextContainer(0);
    ASSERT_EQ(after.size(), before.size());
    for (qsizetype i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].start, before[i].start);
        EXPECT_EQ(after[i].rect, before[i].rect);
    }
}

TEST(FlowLayout, ParagraphsThatFitNowhereAreLaidOutNowhereAndKeepNothing)
{
    TextStorage storage;
    storage.setAttributedString(AttributedString(QString(100000, QLatin1Char('\n')), font(12)));
    TextContainer box(QSizeF(300, 300));
    FlowLayout& layout = *storage.layoutManager();
    layout.addTextContainer(&box);
    const int small = int(layout.linesInTextContainer(0).size());
    EXPECT_LT(layout.relaidBlockCount(), 2 * small);
    const int overflow = layout.firstOverflowCharacter();

    box.setContainerSize(QSizeF(300, 600));
    EXPECT_TRUE(layout.caretRect(overflow + 3).isValid());
    // Shrunk back: no caret and no lines are left below the bottom.
    box.setContainerSize(QSizeF(300, 300));
    EXPECT_EQ(layout.firstOverflowCharacter(), overflow);
    EXPECT_FALSE(layout.caretRect(overflow + 3).isValid());

    // Typing past the overflow moves nothing; a second box takes the text on.
    const qint64 relaid = layout.relaidBlockCount();
    QTextCursor(storage.document()).insertText(QStringLiteral("x"));
    EXPECT_EQ(layout.firstOverflowCharacter(), overflow + 1);
    QTextCursor end(storage.document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("more\nand more"));
    EXPECT_EQ(layout.relaidBlockCount(), relaid + 1);
    TextContainer next(QSizeF(300, 300));
    layout.addTextContainer(&next);
    EXPECT_EQ(layout.characterRangeForTextContainer(1).location, overflow + 1);
    EXPECT_EQ(int(layout.linesInTextContainer(1).size()), small);
}

TEST(FlowLayout, HyphenationDrawsAHyphenAndKeepsTheText)
{
    ParagraphStyle hyphenated;
    hyphenated.hyphenationFactor = 1.0;
    TextStorage storage;
    TextContainer box(QSizeF(60, 500));
    storage.layoutManager()->addTextContainer(&box);
    FlowLayout& layout = *storage.layoutManager();

    const QString word = QStringLiteral("internationalization");
    storage.setAttributedString(AttributedString(word, font(12, hyphenated)));
    QList<FlowLayout::Line> lines = layout.linesInTextContainer(0);
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].hyphenated);
    EXPECT_EQ(storage.string(), word);
    int covered = 0;
    for (const FlowLayout::Line& line : lines) {
        EXPECT_LE(line.textWidth, 60.01);
        covered += line.length;
    }
    EXPECT_EQ(covered, word.size());
    // Caret positions map back to the stored text.
    EXPECT_EQ(layout.characterIndexForPoint(0, layout.caretRect(lines[1].start + 1).rect.center()), lines[1].start + 1);

    storage.setAttributedString(AttributedString(word, font(12)));
    lines = layout.linesInTextContainer(0);
    for (const FlowLayout::Line& line : lines)
        EXPECT_FALSE(line.hyphenated);

    // A paragraph of many hyphens: its lines still tile the stored text, each
    // hyphenated one ending inside a word, and carets map back far into it.
    const QString paragraph = QStringList(40, word).join(u' ');
    TextContainer tall(QSizeF(60, 20000));
    layout.removeTextContainer(&box);
    layout.addTextContainer(&tall);
    storage.setAttributedString(AttributedString(paragraph, font(12, hyphenated)));
    lines = layout.linesInTextContainer(0);
    int next = 0;
    int hyphenatedLines = 0;
    for (const FlowLayout::Line& line : lines) {
        EXPECT_EQ(line.start, next);
        next = line.start + line.length;
        if (line.hyphenated) {
            ++hyphenatedLines;
            EXPECT_TRUE(paragraph.at(next - 1).isLetter() && paragraph.at(next).isLetter()) << next;
        }
    }
    EXPECT_EQ(next, paragraph.size());
    EXPECT_GE(hyphenatedLines, 40);
    const FlowLayout::Line& late = lines[lines.size() - 2];
    EXPECT_EQ(layout.characterIndexForPoint(0, layout.caretRect(late.start + 1).rect.center()), late.start + 1);
}

namespace {

// A container with an obstacle across part of its width, as text wrap makes
// them: lines go left of it and continue in what remains to its right.
class ObstacleContainer : public TextContainer {
public:
    ObstacleContainer(QSizeF size, QRectF obstacle) : TextContainer(size), m_obstacle(obstacle) {}
    bool isSimpleRectangularTextContainer() const override { return false; }
    QRectF lineFragmentRectForProposedRect(const QRectF& proposed, QRectF* remaining) const override
    {
        const QRectF base = TextContainer::lineFragmentRectForProposedRect(proposed, remaining);
        if (base.isEmpty() || !base.intersects(m_obstacle))
            return base;
        if (base.left() >= m_obstacle.left()) {
            *remaining = QRectF();
            return QRectF(m_obstacle.right(), base.y(), base.right() - m_obstacle.right(), base.height());
        }
        *remaining = QRectF(m_obstacle.right(), base.y(), base.right() - m_obstacle.right(), base.height());
        return QRectF(base.left(), base.y(), m_obstacle.left() - base.left(), base.height());
    }

private:
    QRectF m_obstacle;
};

} // namespace

TEST(FlowLayout, TextFlowsBesideObstaclesAndSkipsSliversItCannotUse)
{
    TextStorage storage;
    storage.setAttributedString(AttributedString(words(120), font(12)));
    const QRectF obstacle(90, 0, 40, 100);
    ObstacleContainer box(QSizeF(220, 400), obstacle);
    storage.layoutManager()->addTextContainer(&box);
    FlowLayout& layout = *storage.layoutManager();
    bool left = false;
    bool right = false;
    int expected = 0;
    for (const FlowLayout::Line& line : layout.linesInTextContainer(0)) {
        EXPECT_LE(line.textWidth, line.rect.width() + 0.01);
        if (line.rect.top() < obstacle.bottom()) {
            // Beside the obstacle, never over it.
            EXPECT_TRUE(line.rect.right() <= obstacle.left() + 1e-9 || line.rect.left() >= obstacle.right() - 1e-9);
            (line.rect.left() < obstacle.left() ? left : right) = true;
        }
        EXPECT_TRUE(line.start == expected || line.start == expected + 1);
        expected = line.start + line.length;
    }
    EXPECT_TRUE(left);
    EXPECT_TRUE(right);
    EXPECT_FALSE(layout.hasOverflow());

    // A sliver too narrow for any word is left empty, and a word wider than
    // the whole box still breaks once a fragment is at least half its width.
    ObstacleContainer sliver(QSizeF(220, 400), QRectF(8, 0, 100, 60));
    storage.layoutManager()->removeTextContainer(&box);
    storage.layoutManager()->addTextContainer(&sliver);
    storage.setAttributedString(AttributedString(QString(300, QLatin1Char('w')), font(12)));
    for (const FlowLayout::Line& line : layout.linesInTextContainer(0)) {
        EXPECT_GE(line.rect.width(), 110.0 - 1e-9);
        EXPECT_LE(line.textWidth, line.rect.width() + 0.01);
    }
    EXPECT_GT(layout.linesInTextContainer(0).size(), 3);
}

TEST(FlowLayout, TabStopsAreInPoints)
{
    ParagraphStyle columns;
    columns.tabStops = QList<double> {100, 200};
    TextStorage storage;
    AttributedString text(QStringLiteral("a\tb\tc\n"), font(12, columns));
    text.append(AttributedString(QStringLiteral("\td\tTwo"), font(12)));
    storage.setAttributedString(text);
    TextContainer box(QSizeF(400, 400));
    storage.layoutManager()->addTextContainer(&box);
    FlowLayout& layout = *storage.layoutManager();
    // The paragraph's own stops, then the default ones every 28 points.
    EXPECT_NEAR(layout.caretRect(2).rect.x(), 100, 0.5);
    EXPECT_NEAR(layout.caretRect(4).rect.x(), 200, 0.5);
    EXPECT_NEAR(layout.caretRect(7).rect.x(), 28, 0.5);
    EXPECT_NEAR(layout.caretRect(9).rect.x(), 56, 0.5);
}

// A box resized so that every line keeps its place keeps its lines: growing
// a box of short lines, or changing only the height of any box whose text
// still fits, lays nothing out again. Whatever the resize, the box shows
// what a layout made from scratch at its new size shows.
TEST(FlowLayout, AResizeThatLeavesEveryLineInPlaceKeepsTheLinesAndShowsAFreshLayout)
{
    ParagraphStyle centred;
    centred.alignment = ParagraphStyle::Alignment::Center;
    ParagraphStyle indented;
    indented.firstLineHeadIndent = 12;
    indented.tailIndent = -20;
    struct Case {
        const char* what;
        AttributedString text;
        QSizeF from, to;
        bool keeps;
    };
    AttributedString shortLines(QStringLiteral("Short\n\nlines here"), font(12));
    shortLines.append(AttributedString(QStringLiteral("\nbigger\tone"), font(20, indented)));
    const AttributedString paragraph(words(40), font(11));
    const Case cases[] = {
        {"wider", shortLines, {200, 120}, {260, 150}, true},
        {"narrower, still fitting", shortLines, {200, 120}, {160, 96}, true},
        {"too narrow", shortLines, {200, 120}, {50, 120}, false},
        {"too low", shortLines, {200, 120}, {200, 30}, false},
        {"centred", AttributedString(QStringLiteral("Middle"), font(12, centred)), {200, 60}, {260, 60}, false},
        {"right to left", AttributedString(QStringLiteral("\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD"), font(12)),
         {200, 60}, {260, 70}, false},
        {"wrapped, higher", paragraph, {150, 300}, {150, 400}, true},
        {"wrapped, wider", paragraph, {150, 300}, {180, 300}, false},
        {"wrapped, cut", paragraph, {150, 300}, {150, 40}, false},
    };
    const auto shown = [](FlowLayout& layout, QSizeF size) {
        QImage image(size.toSize() + QSize(20, 20), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        layout.drawTextContainer(&painter, 0, QPointF(10, 10));
        return image;
    };
    const auto linesOf = [](FlowLayout& layout) {
        QList<QList<double>> lines;
        for (const FlowLayout::Line& line : layout.linesInTextContainer(0))
            lines.append({line.rect.x(), line.rect.y(), line.rect.width(), line.rect.height(), line.baseline,
                          double(line.start), double(line.length), line.textX, line.textWidth});
        return lines;
    };
    for (const Case& test : cases) {
        TextStorage storage;
        storage.setAttributedString(test.text);
        TextContainer box(test.from);
        box.setLineFragmentPadding(5);
        FlowLayout& layout = *storage.layoutManager();
        layout.addTextContainer(&box);
        layout.ensureLayout();
        const qint64 laidOut = layout.relaidBlockCount();
        box.setContainerSize(test.to);
        const QImage resized = shown(layout, test.to);
        const auto lines = linesOf(layout);
        const bool overflows = layout.hasOverflow();
        EXPECT_EQ(layout.relaidBlockCount() == laidOut, test.keeps) << test.what;
        layout.discardLayout();
        EXPECT_EQ(linesOf(layout), lines) << test.what;
        EXPECT_EQ(layout.hasOverflow(), overflows) << test.what;
        EXPECT_EQ(shown(layout, test.to), resized) << test.what;
    }
}
