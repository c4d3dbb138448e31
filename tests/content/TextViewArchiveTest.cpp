#include "../canvas/ArchiveTestSupport.h"
#include "TextTestSupport.h"

#include "app/document/Document.h"
#include "content/ArchivedClassChains.h"
#include "content/text/FlowLayout.h"
#include "content/text/LaidOutTexts.h"
#include "content/text/TextEditor.h"
#include "platform/graphics/Gradient.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

const QStringList kTextKeys = QStringLiteral(
    "frame textStorage textContainerIndex textViewType dateFormat pageNumberFormat startPage selectedPageNumberFormat "
    "gradient gradientAngle gradientType tiledImage clippingRects fontTypeFaces currentFont currentFontFamilyName "
    "currentFontSize currentFontTypeFaceIndex currentTextColor currentEmphasis currentJustification "
    "currentLetterSpacing currentLineSpacing currentParagraphSpacing currentParagraphIndent currentParagraphNextIndent "
    "currentVerticalInsetMargins currentHorizontalInsetMargins currentHighlightColor currentLineHeight strokeEnabled "
    "allowHyphenation strokeWidth strokeColor").split(QLatin1Char(' '));

ZVTextView* textOf(const ZVPuttyView* element)
{
    return qobject_cast<ZVTextView*>(element->contentView());
}

// A text box whose every setting differs from the defaults, with text whose
// attributes differ from the settings.
void fill(ZVTextView* text)
{
    text->setValueForKey(u"dateFormat", QStringLiteral("d.M.yyyy"));
    text->setValueForKey(u"pageNumberFormat", QStringLiteral("<NUM>"));
    text->setValueForKey(u"startPage", 3);
    text->setValueForKey(u"selectedPageNumberFormat",
                         QVariantMap {{QStringLiteral("title"), QStringLiteral("1")}, {QStringLiteral("format"), QStringLiteral("<NUM>")}});
    text->setValueForKey(u"selectedDateFormat", QVariantMap {{QStringLiteral("title"), QStringLiteral("x")}});
    text->setValueForKey(u"gradient", QVariant::fromValue(ql::Gradient(QList<ql::Color> {ql::Color::white(), ql::Color::black()})));
    text->setValueForKey(u"gradientAngle", 45);
    text->setValueForKey(u"gradientType", 1);
    text->setClippingRects({QRectF(1, 2, 3, 4)});
    text->setValueForKey(u"currentFontFamilyName", QStringLiteral("Nimbus Roman"));
    text->setValueForKey(u"currentFontSize", 17.5);
    text->setValueForKey(u"currentFontTypeFaceIndex", 2);
    text->setValueForKey(u"currentLetterSpacing", 1.5);
    text->setValueForKey(u"currentLineSpacing", 1.25);
    text->setValueForKey(u"currentParagraphSpacing", 6);
    text->setValueForKey(u"currentParagraphIndent", 10);
    text->setValueForKey(u"currentParagraphNextIndent", 4);
    text->setValueForKey(u"currentVerticalInsetMargins", 8);
    text->setValueForKey(u"currentHorizontalInsetMargins", 9.5);
    text->setValueForKey(u"currentHighlightColor", QVariant::fromValue(ql::Color::deviceRgb(1, 1, 0)));
    text->setValueForKey(u"currentLineHeight", 30);
    text->setValueForKey(u"strokeEnabled", true);
    text->setValueForKey(u"allowHyphenation", true);
    text->setValueForKey(u"strokeWidth", 3);
    text->setValueForKey(u"strokeColor", QVariant::fromValue(ql::Color::deviceCmyk(0, 1, 0, 0)));
    text->setValueForKey(u"currentFont", QVariant::fromValue(ql::Font(QStringLiteral("Times-Roman"), 17.5)));
    text->setValueForKey(u"currentTextColor", QVariant::fromValue(ql::Color::calibratedWhite(0.5)));
    text->setValueForKey(u"currentEmphasis", QVariantList {0, 2});
    text->setValueForKey(u"currentJustification", 3);
    text->setValueForKey(u"fontTypeFaces", QStringList {QStringLiteral("Regular"), QStringLiteral("Bold")});
    text->setAttributedString(ql::AttributedString(QStringLiteral("Hello world"), fontAttributes(QStringLiteral("Courier"), 9)));
}

} // namespace

TEST(TextViewArchive, EveryKeyComesBackAndReadingAppliesNothing)
{
    TextBox box;
    fill(box.text);
    const ql::AttributedString stored = box.text->attributedString();
    const std::unique_ptr<ZVCanvasView> page = readBack<ZVCanvasView>(archiveOf(box.page));
    ASSERT_TRUE(page);
    ZVTextView* read = textOf(page->puttyViews().first());
    ASSERT_TRUE(read);
    for (const QString& key : kTextKeys) {
        if (key == QLatin1String("textStorage") || key == QLatin1String("frame") || key == QLatin1String("clippingRects"))
            continue;
        EXPECT_EQ(read->valueForKey(key), box.text->valueForKey(key)) << qPrintable(key);
    }
    // The page works the wrap out anew from what lies above the box: nothing.
    EXPECT_TRUE(read->clippingRects().isEmpty());
    EXPECT_EQ(read->currentFontSize().typeId(), QMetaType::Double);
    EXPECT_EQ(read->startPage().typeId(), QMetaType::Int);
    EXPECT_EQ(read->frame(), box.text->frame());
    EXPECT_FALSE(read->selectedDateFormat().isValid());
    // The text keeps its own attributes whatever the settings say.
    EXPECT_EQ(read->attributedString(), stored);
    EXPECT_TRUE(read->isObserving());
    EXPECT_EQ(read->textContainerInset(), QSizeF(9.5, 8));
    EXPECT_EQ(read->textContainer()->containerSize(), box.text->textContainer()->containerSize());
}

TEST(TextViewArchive, PlistlibReadsTheKeysInOrderAndAChainsTextOnce)
{
    TextBox box;
    fill(box.text);
    ZVPuttyView* second = ZVPuttyView::initWithText().release();
    box.page->addPuttyView(second);
    textOf(second)->joinTextChain(box.text, 1);
    const QJsonObject view = plistlibView(archiveOf(box.page));

    const QList<QJsonObject> texts = recordsOfClass(view, QStringLiteral("ZVTextView"));
    ASSERT_EQ(texts.size(), 2);
    const QList<QPair<QString, QString>> keys = keyKinds(texts.first());
    ASSERT_EQ(keys.size(), kTextKeys.size());
    for (int i = 0; i < kTextKeys.size(); ++i)
        EXPECT_EQ(keys.at(i).first, kTextKeys.at(i));
    const QMap<QString, QString> kinds = kindMap(keys);
    EXPECT_EQ(kinds.value("frame"), "string");
    EXPECT_EQ(kinds.value("textStorage"), "object:NSTextStorage");
    EXPECT_EQ(kinds.value("textContainerIndex"), "int");
    EXPECT_EQ(kinds.value("textViewType"), "ref:int");
    EXPECT_EQ(kinds.value("dateFormat"), "ref:string");
    EXPECT_EQ(kinds.value("selectedPageNumberFormat"), "object:NSMutableDictionary");
    EXPECT_EQ(kinds.value("gradient"), "object:NSGradient");
    EXPECT_EQ(kinds.value("tiledImage"), "null");
    EXPECT_EQ(kinds.value("clippingRects"), "object:NSMutableArray");
    EXPECT_EQ(kinds.value("currentFont"), "object:NSFont");
    EXPECT_EQ(kinds.value("currentFontSize"), "ref:real");
    EXPECT_EQ(kinds.value("currentFontTypeFaceIndex"), "int");
    EXPECT_EQ(kinds.value("currentTextColor"), "object:NSColor");
    EXPECT_EQ(kinds.value("currentEmphasis"), "object:NSMutableArray");
    EXPECT_EQ(kinds.value("currentVerticalInsetMargins"), "ref:int");
    EXPECT_EQ(kinds.value("strokeEnabled"), "bool");
    EXPECT_EQ(kinds.value("allowHyphenation"), "bool");
    EXPECT_EQ(kinds.value("strokeColor"), "object:NSColor");
    EXPECT_EQ(texts.at(1).value("values").toObject().value("textContainerIndex").toInt(), 1);

    const QList<QJsonObject> storages = recordsOfClass(view, QStringLiteral("NSTextStorage"));
    ASSERT_EQ(storages.size(), 1);
    EXPECT_EQ(storages.first().value("values").toObject().value("NSString").toString(), QStringLiteral("Hello world"));
}

TEST(TextViewArchive, AChainReadsBackSharedAndInOrder)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    // The second box of the chain comes first in the page's list.
    ZVPuttyView* tail = ZVPuttyView::initWithText().release();
    ZVPuttyView* head = ZVPuttyView::initWithText().release();
    page->addPuttyView(tail);
    page->addPuttyView(head);
    ZVPuttyView* other = ZVPuttyView::initWithText().release();
    page->addPuttyView(other);
    textOf(head)->setString(QStringLiteral("one text in two boxes"));
    textOf(tail)->joinTextChain(textOf(head), 1);
    textOf(other)->setString(QStringLiteral("alone"));

    const std::unique_ptr<ZVCanvasView> read = readBack<ZVCanvasView>(archiveOf(page));
    ASSERT_TRUE(read);
    ZVTextView* readTail = textOf(read->puttyViews().at(0));
    ZVTextView* readHead = textOf(read->puttyViews().at(1));
    ZVTextView* readOther = textOf(read->puttyViews().at(2));
    EXPECT_EQ(readTail->textStorage(), readHead->textStorage());
    EXPECT_NE(readOther->textStorage(), readHead->textStorage());
    EXPECT_FALSE(readHead->textStorage()->hasDocument() || readOther->textStorage()->hasDocument())
        << "read texts become documents when used";
    // Saved again unchanged, the texts are written as read: a long text
    // costs no document to save.
    const std::unique_ptr<ZVCanvasView> again = readBack<ZVCanvasView>(archiveOf(read.get()));
    ASSERT_TRUE(again);
    EXPECT_FALSE(readHead->textStorage()->hasDocument() || readOther->textStorage()->hasDocument());
    EXPECT_EQ(textOf(again->puttyViews().at(0))->string(), QStringLiteral("one text in two boxes"));
    EXPECT_EQ(readHead->textContainerIndex(), 0);
    EXPECT_EQ(readTail->textContainerIndex(), 1);
    EXPECT_EQ(readTail->string(), QStringLiteral("one text in two boxes"));
    EXPECT_EQ(readOther->string(), QStringLiteral("alone"));
}

TEST(TextViewArchive, RecordsHoldingTheTextInPlaceStillRead)
{
    ql::AttributedString text(QStringLiteral("old text"), fontAttributes(QStringLiteral("Helvetica"), 10));
    ForgedRecord old(ql::fields::viewClassChain(QStringLiteral("ZVTextView"), {QStringLiteral("NSTextView"), QStringLiteral("NSText")}),
                     [&](ql::KeyedArchiver& coder) {
                         coder.encodeRect(QStringLiteral("frame"), QRectF(40, 40, 200, 100));
                         coder.encodeObject(QStringLiteral("textStorage"), QVariant::fromValue(text));
                         coder.encodeObject(QStringLiteral("textViewType"), 0);
                         coder.encodeObject(QStringLiteral("clippingRects"), QVariantList {QRectF(1, 1, 5, 5)});
                         coder.encodeObject(QStringLiteral("currentHorizontalInsetMargins"), 7);
                         // A key of the wrong kind keeps its default.
                         coder.encodeObject(QStringLiteral("currentFontSize"), QStringLiteral("large"));
                     });
    const std::unique_ptr<ZVTextView> read = readBack<ZVTextView>(archiveOf(&old));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->attributedString(), text);
    EXPECT_EQ(read->clippingRects(), QList<QRectF> {QRectF(1, 1, 5, 5)});
    EXPECT_EQ(read->currentHorizontalInsetMargins(), QVariant(7));
    EXPECT_EQ(read->currentFontSize(), QVariant(12));
    EXPECT_EQ(read->frame(), QRectF(40, 40, 200, 100));
}

// A box is read without text of its own, taking the stored one; a record
// without any must still give a box that is like a new one and takes text.
TEST(TextViewArchive, ARecordWithoutItsTextReadsAsANewBox)
{
    ForgedRecord bare(ql::fields::viewClassChain(QStringLiteral("ZVTextView"), {QStringLiteral("NSTextView"), QStringLiteral("NSText")}),
                      [](ql::KeyedArchiver& coder) { coder.encodeRect(QStringLiteral("frame"), QRectF(0, 0, 80, 40)); });
    const std::unique_ptr<ZVTextView> read = readBack<ZVTextView>(archiveOf(&bare));
    ASSERT_TRUE(read);
    const ZVTextView fresh;
    for (const QString& key : kTextKeys) {
        if (key != QLatin1String("textStorage") && key != QLatin1String("frame")) {
            EXPECT_EQ(read->valueForKey(key), fresh.valueForKey(key)) << qPrintable(key);
        }
    }
    ASSERT_TRUE(read->textStorage());
    EXPECT_GE(read->layoutManager()->indexOfTextContainer(read->textContainer()), 0);
    read->setString(QStringLiteral("typed"));
    EXPECT_EQ(read->string(), QStringLiteral("typed"));
}

TEST(TextViewArchive, AReadDocumentHasNothingToUndoAndItsTextAsStored)
{
    ql::Document document;
    document.showFirstPage();
    ZVCanvasView* page = document.currentPage();
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page->addPuttyView(element);
    fill(textOf(element));
    const ql::AttributedString stored = textOf(element)->attributedString();
    const ql::Result<QByteArray> data = document.dataOfType(ql::kDesktopDocumentType);
    ASSERT_TRUE(data.ok());

    ql::Document reread;
    ASSERT_TRUE(reread.readFromData(*data, ql::kDesktopDocumentType).ok());
    reread.showFirstPage();
    endTurn();
    EXPECT_FALSE(reread.undoManager()->canUndo());
    ZVTextView* read = textOf(reread.currentPage()->puttyViews().first());
    EXPECT_EQ(read->attributedString(), stored);
    EXPECT_EQ(read->currentFontSize(), QVariant(17.5));
}

TEST(TextViewArchive, ABoxWhoseTextRecordHoldsNothingReadsAsANewBox)
{
    ForgedRecord emptyText(ql::text::TextStorage().archiveClassChain(), [](ql::KeyedArchiver&) {});
    ForgedRecord damaged(
        ql::fields::viewClassChain(QStringLiteral("ZVTextView"), {QStringLiteral("NSTextView"), QStringLiteral("NSText")}),
        [&](ql::KeyedArchiver& coder) {
            coder.encodeRect(QStringLiteral("frame"), QRectF(40, 40, 200, 100));
            coder.encodeObject(QStringLiteral("textStorage"), &emptyText);
        });
    const std::unique_ptr<ZVTextView> read = readBack<ZVTextView>(archiveOf(&damaged));
    ASSERT_TRUE(read && read->textStorage());
    ZVTextView fresh(QRectF(40, 40, 200, 100));
    for (const QString& key : kTextKeys.mid(3))
        EXPECT_EQ(read->valueForKey(key), fresh.valueForKey(key)) << qPrintable(key);
    read->setString(QStringLiteral("typed"));
    fresh.setString(QStringLiteral("typed"));
    EXPECT_EQ(read->attributedString(), fresh.attributedString());
}

namespace {

// A page of one text box set up by `setUp`, as a file gives it back: its
// text kept as read until something needs it.
std::unique_ptr<ZVCanvasView> readBackBox(const QRectF& frame, const std::function<void(ZVTextView*)>& setUp)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page->addPuttyView(element);
    element->setFrame(frame);
    setUp(textOf(element));
    return readBack<ZVCanvasView>(archiveOf(page));
}

} // namespace

TEST(TextViewArchive, ATextDrawnAndLetGoIsMadeAgainTheSame)
{
    const std::unique_ptr<ZVCanvasView> read = readBackBox(QRectF(0, 0, 220, 160), fill);
    ASSERT_TRUE(read);
    ZVTextView* box = textOf(read->puttyViews().first());
    const auto draw = [box] {
        QImage image(220, 160, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        box->drawText(painter);
        return image;
    };
    const QImage first = draw();
    const ql::AttributedString text = box->attributedString();
    ASSERT_TRUE(box->textStorage()->hasDocument());
    // With no room among the texts kept, a box drawn for output lets go at
    // once; drawn on screen, where it is drawn again soon, it stays as it is.
    ql::text::LaidOutTexts& kept = ql::text::LaidOutTexts::shared();
    const qint64 budget = kept.maxBytes();
    kept.setBudget(0);
    box->releaseDrawingCaches(ZVContentView::DrawnFor::Screen);
    EXPECT_TRUE(box->textStorage()->hasDocument());
    box->releaseDrawingCaches(ZVContentView::DrawnFor::Output);
    EXPECT_FALSE(box->textStorage()->hasDocument());
    EXPECT_EQ(draw(), first);
    EXPECT_EQ(box->attributedString(), text);

    box->setString(QStringLiteral("changed"));
    box->releaseDrawingCaches(ZVContentView::DrawnFor::Output);
    EXPECT_TRUE(box->textStorage()->hasDocument()) << "a changed text keeps its document";
    EXPECT_EQ(box->string(), QStringLiteral("changed"));
    kept.setBudget(budget);
}

TEST(TextViewArchive, ATextLetGoTellsWhetherItOverflowsUntilItsBoxChanges)
{
    const std::unique_ptr<ZVCanvasView> read = readBackBox(QRectF(0, 0, 120, 100), [](ZVTextView* text) {
        text->setString(QStringLiteral("more words than a box this small can ever show at once"));
    });
    ASSERT_TRUE(read);
    ZVTextView* box = textOf(read->puttyViews().first());
    ql::text::TextStorage* storage = box->textStorage();
    ASSERT_TRUE(storage->hasOverflow());
    storage->releaseDocument();
    ASSERT_FALSE(storage->hasDocument());
    EXPECT_TRUE(storage->hasOverflow());
    EXPECT_FALSE(storage->hasDocument()) << "answered without laying the text out again";

    // A box grown to hold it all answers anew.
    box->puttyView()->setFrame(QRectF(0, 0, 600, 400));
    EXPECT_FALSE(storage->hasOverflow());
}

// A paragraph that ends with CR and an empty one that ends with LF, as a
// Return typed after a CR or the text between them deleted leaves them,
// are saved as two paragraphs (the first ending with CR LF while they
// meet, since CR then LF reads as one break); undo gives back the text,
// the CR too once they part.
TEST(TextViewArchive, ACarriageReturnMeetingALineFeedIsSavedAsTwoParagraphs)
{
    const ql::TextAttributes plain = fontAttributes(QStringLiteral("Helvetica"), 12);
    ql::AttributedString returned(QStringLiteral("x\r\n"), plain);
    returned.append(QStringLiteral("\n"), fontAttributes(QStringLiteral("Courier"), 12));
    returned.append(QStringLiteral("y"), plain);
    enum Keys { Return, Delete, BackSpaceTwice };
    const struct {
        const char* text;
        int from, to;
        Keys keys;
        ql::AttributedString edited;
    } edits[] = {{"x\ry", 2, 2, Return, returned},
                 {"x\ry\nz", 2, 3, Delete, ql::AttributedString(QStringLiteral("x\r\n\nz"), plain)},
                 {"x\r\r\n\nz", 3, 3, BackSpaceTwice, ql::AttributedString(QStringLiteral("x\nz"), plain)}};
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.text);
        TextBox box;
        const ql::AttributedString original(QString::fromLatin1(edit.text), plain);
        box.text->setAttributedString(original);
        endTurn();
        box.document.undo.removeAllActions();
        box.text->setEditMode(true);
        ql::text::TextEditor* editor = box.text->editor();
        editor->setPosition(edit.from);
        editor->setPosition(edit.to, true);
        if (edit.keys == Return) {
            box.text->setTypingAttributes(fontAttributes(QStringLiteral("Courier"), 12));
            editor->insertText(QStringLiteral("\n"));
        } else if (edit.keys == Delete) {
            editor->perform(QKeySequence::Delete);
        } else {
            for (int i = 0; i < 2; ++i)
                editor->keyPress(QKeyCombination(Qt::Key_Backspace), QStringLiteral("\b"));
        }
        endTurn();
        EXPECT_EQ(box.text->attributedString(), edit.edited);
        const std::unique_ptr<ZVCanvasView> read = readBack<ZVCanvasView>(archiveOf(box.page));
        ASSERT_TRUE(read);
        EXPECT_EQ(textOf(read->puttyViews().first())->attributedString(), edit.edited);
        box.document.undo.undo();
        EXPECT_EQ(box.text->attributedString(), original);
        box.document.undo.redo();
        EXPECT_EQ(box.text->attributedString(), edit.edited);
    }
}
