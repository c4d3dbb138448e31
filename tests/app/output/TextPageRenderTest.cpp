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

#include <QSet>
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
                    const ql::ParagraphStyle& base = {}, const QString& language = {})
    {
        ZVPuttyView* element = ZVPuttyView::initWithText().release();
        page->addPuttyView(element);
        element->setFrame(content.adjusted(-40, -40, 40, 40));
        auto* text = qobject_cast<ZVTextView*>(element->contentView());
        ql::ParagraphStyle style = base;
        style.alignment = ql::ParagraphStyle::Alignment(ZVTextView::alignmentFromJustification(justification));
        ql::TextAttributes attributes {{A::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), size))}};
        attributes.insert(A::paragraphStyle, QVariant::fromValue(style));
        if (!language.isEmpty())
            attributes.insert(A::language, language);
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

TEST_F(TextPageRender, AccentedWordsBreakOnlyWhereTheirLanguagesPatternsAllow)
{
    // A word of each shipped language (German's patterns are Latin-1, the
    // others UTF-8) with accented letters before its breaks, in a box
    // narrow enough to break it more than once: where each may break.
    const struct {
        const char* language;
        const char16_t* syllables;
        double width;
    } cases[] = {
        {"fr", u"dé-ve-lop-pe-ment", 48},        {"fr", u"par-ti-cu-liè-re-ment", 48},
        {"fr", u"in-com-pré-hen-si-bi-lité", 48}, {"es", u"pú-bli-ca-mente", 48},
        {"es", u"cien-tí-fi-ca-mente", 48},      {"it", u"dé-bâ-cle", 30},
        {"en", u"hörigkeit-snach-weis", 48},      {"en-GB", u"coördin-a-tion", 48},
        {"de", u"Prü-fungs-ord-nung", 48},
    };
    ql::ParagraphStyle hyphenated;
    hyphenated.hyphenationFactor = 1.0;
    const qsizetype count = qsizetype(std::size(cases));
    QList<QRectF> boxes;
    for (qsizetype i = 0; i < count; ++i) {
        const QRectF content(36 + double(i % 4) * 140, 36 + double(i / 4) * 220, cases[i].width, 200);
        add(content, QString::fromUtf16(cases[i].syllables).remove(u'-'), 8, 0, hyphenated,
            QString::fromLatin1(cases[i].language));
        boxes.append(content);
    }
    const QList<Word> words = pdfWords(render());
    for (qsizetype i = 0; i < count; ++i) {
        const QString syllables = QString::fromUtf16(cases[i].syllables);
        SCOPED_TRACE(syllables.toStdString());
        const QString word = QString(syllables).remove(u'-');
        QSet<qsizetype> allowed;
        for (qsizetype at = 0; const QChar c : syllables) {
            if (c == u'-')
                allowed.insert(at);
            else
                ++at;
        }
        QList<Word> lines = wordsOn(words, boxes[i]);
        std::sort(lines.begin(), lines.end(), [](const Word& a, const Word& b) { return a.yMin < b.yMin; });
        ASSERT_GE(lines.size(), 2);
        QString read;
        for (qsizetype line = 0; line < lines.size(); ++line) {
            // Read back, a ligature ("ﬁ") stands for its letters.
            QString piece = lines[line].text.normalized(QString::NormalizationForm_KC);
            if (line + 1 < lines.size()) {
                ASSERT_TRUE(piece.endsWith(u'-')) << piece.toStdString();
                piece.chop(1);
                EXPECT_TRUE(allowed.contains(read.size() + piece.size())) << (read + piece + u'-').toStdString();
            }
            read += piece;
        }
        EXPECT_EQ(read.toStdString(), word.toStdString());
    }
}
