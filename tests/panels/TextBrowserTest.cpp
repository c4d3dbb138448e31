#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/RtfReader.h"
#include "content/text/RtfWriter.h"
#include "platform/graphics/FontResolver.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "panels/controls/ZVDraggableTextField.h"
#include "canvas/painting/PagePainter.h"
#include "platform/runtime/Deferred.h"
#include "PanelTestSupport.h"

#include <QComboBox>
#include <QLayout>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

Font sampleFont(ZVTextContentViewController& browser)
{
    return browser.textField()->attributedStringValue().attributeAt(TextAttribute::font, 0).value<Font>();
}

struct TextPane {
    TextPane()
    {
        document.setUpForWindow(true);
        browser.setRepresentedObject(&document);
        browser.view()->resize(216, 600);
        browser.view()->show();
        QCoreApplication::processEvents();
    }
    ZVCanvasView* page() { return document.currentPage(); }
    QPushButton* button(const QString& title)
    {
        for (QPushButton* each : browser.view()->findChildren<QPushButton*>())
            if (each->text() == title)
                return each;
        return nullptr;
    }

    Document document;
    ZVTextContentViewController browser;
};

// Where the ink of a band of rows sits across: the mean of the leftmost and
// rightmost dark columns; -1 without ink.
double inkCentre(const QImage& image, int top, int bottom)
{
    int left = image.width();
    int right = -1;
    for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return right < 0 ? -1 : (left + right + 1) / 2.0;
}

} // namespace

TEST(TextBrowser, PaneShowsTheStylesOverTheSampleAndInsertsBoxesInThem)
{
    TextPane pane;
    ZVTextContentViewController& browser = pane.browser;
    EXPECT_EQ(browser.stylePicker()->geometry(), QRect(3, 1, 210, 25));
    EXPECT_EQ(browser.textField()->geometry(), QRect(5, 36, 206, 210));
    // The bar of buttons along the bottom, as high as its two rows need.
    const QRect bar = browser.actionView()->geometry();
    EXPECT_EQ(QRect(bar.left(), bar.bottom(), bar.width(), 1), QRect(0, 599, 216, 1));
    EXPECT_EQ(bar.height(), browser.actionView()->layout()->totalSizeHint().height());
    EXPECT_EQ(browser.stylePicker()->count(), 7);
    EXPECT_EQ(browser.textField()->text(), QStringLiteral("Drag this text box to the canvas to edit it."));
    EXPECT_EQ(sampleFont(browser), Font(QStringLiteral("Helvetica"), 14)) << "a fresh pane shows style 0";

    browser.stylePicker()->setCurrentIndex(6);
    EXPECT_EQ(sampleFont(browser), Font(QStringLiteral("HelveticaNeue-Italic"), 11));
    browser.stylePicker()->setCurrentIndex(5);
    EXPECT_EQ(sampleFont(browser), Font(QStringLiteral("HelveticaNeue-Bold"), 16));
    browser.stylePicker()->setCurrentIndex(-1);
    EXPECT_FALSE(browser.textField()->attributedStringValue().attributeAt(TextAttribute::font, 0).isValid())
        << "no style, no font";

    browser.stylePicker()->setCurrentIndex(1);
    browser.insertButton()->click();
    ASSERT_EQ(pane.page()->puttyViews().size(), 1);
    ZVPuttyView* box = pane.page()->puttyViews().first();
    EXPECT_EQ(box->frame(), QRectF(166, 256, 280, 280));
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    EXPECT_EQ(text->string(), QStringLiteral("Double click to edit."));
    EXPECT_EQ(text->attributedString().attributeAt(TextAttribute::font, 0).value<Font>(),
              Font(QStringLiteral("Helvetica"), 32));
    EXPECT_TRUE(box->isHighlighted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return box->isActive(); }, 5000)) << "active a moment later";
    EXPECT_EQ(pane.page()->focusedPuttyView(), box);
}

TEST(TextBrowser, DraggedSampleCarriesItsStyledTextAfterTheDrawingStepsAside)
{
    TextPane pane;
    pane.browser.stylePicker()->setCurrentIndex(2);
    ZVDraggableTextField* sample = pane.browser.textField();
    DragRecorder recorder;
    QTest::mousePress(sample, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(sample, QPoint(140, 120));
    ASSERT_EQ(recorder.drags, 1);
    EXPECT_EQ(recorder.disabledBeforeDrag, 1) << "the drawing surface steps aside first";
    for (const char* type : {"text/rtf", "text/html", "text/plain", "application/x-quiverleaf-sample-text"})
        EXPECT_TRUE(recorder.formats.contains(QLatin1String(type))) << type;
    EXPECT_LE(recorder.pixmapSize.width(), 190);
    EXPECT_LE(recorder.pixmapSize.height(), 190);
    EXPECT_GT(recorder.pixmapSize.height(), 0);
    EXPECT_EQ(QString::fromUtf8(recorder.data.value(QStringLiteral("text/plain"))), sample->text());
    QTextDocument html;
    html.setHtml(QString::fromUtf8(recorder.data.value(QStringLiteral("text/html"))));
    EXPECT_EQ(html.toPlainText(), sample->text());
    EXPECT_TRUE(html.begin().begin().fragment().charFormat().font().italic());
}

TEST(RtfWriter, WritesFontsSizesAndEscapedCharacters)
{
    AttributedString text(QStringLiteral("a{b}\\c\n€"), {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("HelveticaNeue-Italic"), 11))}});
    text.append(QStringLiteral("\tbold"), {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica-Bold"), 9.5))}});
    const QByteArray rtf = text::rtfFromAttributedString(text);
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi")) << rtf.constData();
    EXPECT_TRUE(rtf.endsWith('}'));
    EXPECT_TRUE(rtf.contains("{\\f0\\fnil\\fcharset0 HelveticaNeue-Italic;}{\\f1\\fnil\\fcharset0 Helvetica-Bold;}"));
    EXPECT_TRUE(rtf.contains("\\f0\\fs22\\b0\\i a\\{b\\}\\\\c\\par\n\\u8364?")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\f1\\fs19\\b\\i0 \\tab bold}")) << rtf.constData();
    // What our reader makes of it: the same characters, faces and sizes.
    const std::optional<AttributedString> read = text::attributedStringFromRtf(rtf);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->string(), text.string());
    for (qsizetype at : {0, 9}) {
        const Font written = text.attributeAt(TextAttribute::font, at).value<Font>();
        const Font back = read->attributeAt(TextAttribute::font, at).value<Font>();
        EXPECT_EQ(FontResolver::face(back.postScriptName()), FontResolver::face(written.postScriptName())) << at;
        EXPECT_EQ(back.pointSize(), written.pointSize()) << at;
    }
}

TEST(TextBrowser, PageNumberAndDateFromThePaneAreCentredOnThePage)
{
    TextPane pane;
    ASSERT_EQ(pane.page()->frame().size(), QSizeF(612, 792));
    for (const QString& title : {QStringLiteral("Page Number"), QStringLiteral("Date")}) {
        QPushButton* button = pane.button(title);
        ASSERT_NE(button, nullptr) << title.toStdString();
        button->click();
    }
    DeferredCalls::instance().flush();
    ASSERT_EQ(pane.page()->puttyViews().size(), 2);
    // The number's text lies in the bottom 35 points, the date's in the top 35.
    const QImage drawn = PagePainter::image(*pane.page());
    EXPECT_NEAR(inkCentre(drawn, 792 - 35, 792), 306, 2) << "page number";
    EXPECT_NEAR(inkCentre(drawn, 0, 35), 306, 2) << "date";

    // The inspector shows it centred, and a paragraph change keeps it so.
    ZVPuttyView* number = pane.page()->puttyViews().first();
    EXPECT_EQ(number->valueForKeyPath(QStringLiteral("contentView.currentJustification")), QVariant(1));
    number->setValueForKeyPath(QStringLiteral("contentView.currentLineSpacing"), 1.2);
    EXPECT_NEAR(inkCentre(PagePainter::image(*pane.page()), 792 - 35, 792), 306, 2) << "after a spacing change";
}
