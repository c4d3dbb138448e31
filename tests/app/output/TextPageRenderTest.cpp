// Text boxes as output draws them: a saved page written to PDF by
// page-render, read back by poppler's pdftotext, whose words must stand where
// the layout put its lines.
#include "OutputTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/FlowLayout.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ParagraphStyle.h"

#include <gtest/gtest.h>

namespace {

namespace A = ql::TextAttribute;

using Word = ql::testing::PdfWord;

// The words of the first page.
QList<Word> pdfWords(const QString& file)
{
    return ql::testing::pdfPageWords(file).value(0);
}

struct Box {
    ZVTextView* text;
    QString content;
    bool justified = false;
};

class TextPageRender : public ::testing::Test {
protected:
    ZVTextView* add(const QRectF& content, const QString& string, double size, int justification,
                    const ql::ParagraphStyle& base = {})
    {
        ZVPuttyView* element = ZVPuttyView::initWithText().release();
        page->addPuttyView(element);
        element->setFrame(content.adjusted(-40, -40, 40, 40));
        auto* text = qobject_cast<ZVTextView*>(element->contentView());
        ql::ParagraphStyle style = base;
        style.alignment = ql::ParagraphStyle::Alignment(ZVTextView::alignmentFromJustification(justification));
        ql::TextAttributes attributes {{A::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), size))}};
        attributes.insert(A::paragraphStyle, QVariant::fromValue(style));
        text->setAttributedString(ql::AttributedString(string, attributes));
        return text;
    }

    // The words of one layout line in the PDF: those whose middle lies in the line's row and fragment.
    static QList<Word> wordsOn(const QList<Word>& words, const QRectF& row)
    {
        QList<Word> found;
        for (const Word& word : words) {
            const QPointF middle((word.xMin + word.xMax) / 2, (word.yMin + word.yMax) / 2);
            if (row.contains(middle))
                found.append(word);
        }
        std::sort(found.begin(), found.end(), [](const Word& a, const Word& b) { return a.xMin < b.xMin; });
        return found;
    }

    // The page through page-render: the PDF it writes.
    QString render()
    {
        const QString saved = folder.filePath(QStringLiteral("Text.qvleaf"));
        ql::testing::save(document, saved);
        const ql::testing::ProgramRun run = ql::testing::pageRender({saved, folder.path()});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return folder.filePath(QStringLiteral("Text.pdf"));
    }

    ql::Document document;
    ZVCanvasView* page = ql::testing::addPage(document);
    QTemporaryDir folder;
};

} // namespace

TEST_F(TextPageRender, PdfWordsStandOnTheLayoutsOwnLines)
{
    const QString prose = QStringLiteral(
        "Quiet rivers carry small boats past the old mill where the baker sells warm bread every morning.");
    ql::ParagraphStyle indented;
    indented.firstLineHeadIndent = 24;
    indented.headIndent = 8;
    QList<Box> boxes {
        {add(QRectF(36, 36, 260, 150), prose, 12, 0), prose},
        {add(QRectF(316, 36, 260, 150), prose, 12, 1), prose},
        {add(QRectF(36, 210, 260, 200), prose, 16, 3), prose, true},
        {add(QRectF(316, 210, 260, 200), prose, 9, 0, indented), prose},
        {add(QRectF(36, 430, 540, 160), QStringLiteral("Big type here"), 72, 2), QStringLiteral("Big type here")},
        {add(QRectF(36, 610, 540, 150), prose, 20, 3, indented), prose, true},
    };
    const QList<Word> words = pdfWords(render());
    ASSERT_FALSE(words.isEmpty());

    int linesChecked = 0;
    for (const Box& box : boxes) {
        ZVTextView* text = box.text;
        const QPointF origin = text->puttyView()->frame().topLeft() + text->frame().topLeft() + text->textContainerOrigin();
        const QList<ql::text::FlowLayout::Line> lines = text->layoutManager()->linesInTextContainer(0);
        ASSERT_FALSE(lines.isEmpty());
        QStringList seen;
        double previousTop = -1;
        for (int index = 0; index < lines.size(); ++index) {
            const ql::text::FlowLayout::Line& line = lines[index];
            const QRectF row = line.rect.translated(origin);
            const QList<Word> on = wordsOn(words, row);
            ASSERT_FALSE(on.isEmpty()) << "line " << index << " of " << box.content.toStdString();
            for (const Word& word : on)
                seen.append(word.text);
            // The first word starts where the layout put the glyphs; the last
            // ends at their natural width, or at the fragment's edge when
            // the line is justified (every line but a paragraph's last).
            const double left = origin.x() + line.textX;
            const bool stretched = box.justified && index + 1 < lines.size();
            const double right = stretched ? origin.x() + line.rect.right() : left + line.textWidth;
            EXPECT_NEAR(on.first().xMin, left, 0.5) << on.first().text.toStdString();
            EXPECT_NEAR(on.last().xMax, right, 0.5) << on.last().text.toStdString();
            // Rows are as far apart in the PDF as in the layout.
            if (previousTop >= 0) {
                EXPECT_NEAR(on.first().yMin - previousTop, line.baseline - lines[index - 1].baseline, 0.5);
            }
            previousTop = on.first().yMin;
            ++linesChecked;
        }
        EXPECT_EQ(seen.join(QLatin1Char(' ')), box.content);
    }
    EXPECT_GE(linesChecked, 12);
}

TEST_F(TextPageRender, HyphenationDrawsAHyphenAndKeepsTheStoredText)
{
    ql::ParagraphStyle hyphenated;
    hyphenated.hyphenationFactor = 1.0;
    const QString word = QStringLiteral("internationalization");
    ZVTextView* with = add(QRectF(36, 36, 60, 200), word, 12, 0, hyphenated);
    ZVTextView* without = add(QRectF(236, 36, 60, 200), word, 12, 0);
    const QList<Word> words = pdfWords(render());
    QStringList left, right;
    for (const Word& w : words)
        (w.xMin < 200 ? left : right).append(w.text);
    ASSERT_GE(left.size(), 2);
    EXPECT_TRUE(left.first().endsWith(QLatin1Char('-'))) << left.join(QLatin1Char('|')).toStdString();
    for (const QString& piece : right)
        EXPECT_FALSE(piece.endsWith(QLatin1Char('-'))) << right.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(right.join(QString()), word);
    // The stored text has no hyphen in it either way.
    EXPECT_EQ(with->string(), word);
    EXPECT_EQ(without->string(), word);
}
