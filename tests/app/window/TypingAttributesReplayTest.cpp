// Text typed into a box through the real window takes the style of the text
// it joins: read back run by run from the saved file, and as glyph heights
// from the PDF page-render writes of it.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Font.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

using namespace ql;

namespace {

class TypingAttributesReplay : public ql::testing::ReplayFixture {
protected:
    // Saves a one-page document, empty or with one box of `text` at `size`
    // whose content stands at (100, 100).
    QString makeDocument(const QString& text = {}, double size = 0)
    {
        Document* document = controller.newDocument();
        if (!text.isEmpty()) {
            auto box = ZVPuttyView::initWithText();
            box->setFrame(QRectF(60, 60, 400, 200));
            qobject_cast<ZVTextView*>(box->contentView())
                ->setAttributedString(AttributedString(
                    text, {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), size))}}));
            document->currentPage()->addPuttyView(box.release());
        }
        const QString file = path(QStringLiteral("start.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    // The runs of the file's first text as "text@font size" joined by "|".
    QString runs(const QString& file)
    {
        const QJsonArray texts = QJsonDocument::fromJson(readWith(QStringLiteral("text_runs.py"), file).toUtf8()).array();
        QStringList found;
        for (const QJsonValue run : texts.at(0).toArray())
            found.append(QStringLiteral("%1@%2 %3").arg(run[0].toString(), run[2].toString()).arg(run[1].toDouble()));
        return found.join(QLatin1Char('|'));
    }

    // The height of each word of the first page of the PDF page-render
    // writes of the file, by word.
    QMap<QString, double> wordHeights(const QString& file)
    {
        const QString out = path(QStringLiteral("pdf"));
        EXPECT_TRUE(QDir().mkpath(out));
        const ql::testing::ProgramRun run = ql::testing::pageRender({file, out});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QMap<QString, double> heights;
        for (const ql::testing::PdfWord& word :
             ql::testing::pdfPageWords(out + QLatin1Char('/') + QFileInfo(file).completeBaseName() + ".pdf").value(0))
            heights.insert(word.text, word.yMax - word.yMin);
        return heights;
    }
};

} // namespace

TEST_F(TypingAttributesReplay, TextTypedBeforeThePlaceholderTakesItsSize)
{
    const QString out = path(QStringLiteral("hello.qvleaf"));
    // The Normal box of the Text pane lands in the middle of the page.
    const ql::testing::ToolRun run = replay(makeDocument(), QStringLiteral("key Ctrl+Shift+1\n"
                                                                           "button Insert Text Box\n"
                                                                           "wait 50\n"
                                                                           "dclick 306 396\n"
                                                                           "type Hello\n"),
                                            out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(runs(out), QStringLiteral("HelloDouble click to edit.@Helvetica 14"));
    // Every word as tall as the placeholder's.
    const QMap<QString, double> heights = wordHeights(out);
    ASSERT_TRUE(heights.contains(QStringLiteral("click")));
    for (auto word = heights.cbegin(); word != heights.cend(); ++word)
        EXPECT_NEAR(word.value(), heights[QStringLiteral("click")], 0.1) << word.key().toStdString();
}

TEST_F(TypingAttributesReplay, TextTypedAtTheStartTakesTheSizeOfTheFirstCharacter)
{
    const QString out = path(QStringLiteral("hours.qvleaf"));
    const QString document = makeDocument(QStringLiteral("Open daily from nine"), 14);
    const ql::testing::ToolRun run =
        replay(document, QStringLiteral("dclick 200 130\nkey Ctrl+Home\ntype NEW OPENING HOURS:\nkey Space\n"), out);
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(runs(out), QStringLiteral("NEW OPENING HOURS: Open daily from nine@Helvetica 14"));
    const QMap<QString, double> heights = wordHeights(out);
    ASSERT_TRUE(heights.contains(QStringLiteral("OPENING"))) << QStringList(heights.keys()).join(' ').toStdString();
    for (const QString word : {QStringLiteral("NEW"), QStringLiteral("OPENING"), QStringLiteral("HOURS:")})
        EXPECT_NEAR(heights.value(word), heights[QStringLiteral("daily")], 0.1) << word.toStdString();

    // A style chosen in the inspector at the caret is what is typed next.
    ASSERT_EQ(replay(document, QStringLiteral("dclick 200 130\nkey Ctrl+End\nbutton B\ntype !\n"), out).exitCode, 0);
    EXPECT_EQ(runs(out), QStringLiteral("Open daily from nine@Helvetica 14|!@NimbusSans-Bold 14"));
}
