// The sheet drawing itself, in process: what prints of masters and layers,
// page numbers of master boxes on each page without touching the document,
// and crop marks.
#include "OutputTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "app/output/PdfOutput.h"
#include "app/output/SheetBitmap.h"
#include "app/output/SheetDocument.h"
#include "app/output/ZVEPSPage.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/LaidOutTexts.h"
#include "content/text/TextStorage.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql::testing {
namespace {

QImage sheetImage(const SheetDocument& sheets, int index)
{
    Result<SheetBitmap> bitmap = imageForSheet(sheets.page(index), ZVDesignHelper::sharedInstance(), 72, 0);
    EXPECT_TRUE(bitmap.ok());
    return bitmap.ok() ? bitmap->pixels : QImage();
}

// The document's pages written as a PDF into `folder`; its path.
QString writtenPdf(Document& document, const QTemporaryDir& folder)
{
    const Result<QByteArray> pdf = pdfData(documentForPages(document.pages()), ZVDesignHelper::sharedInstance());
    EXPECT_TRUE(pdf.ok());
    QFile file(folder.filePath(QStringLiteral("pages.pdf")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pdf.ok() ? *pdf : QByteArray());
    return file.fileName();
}

// A page for each picture, showing it in the same place.
void addPicturePages(Document& document, const QList<Image>& pictures)
{
    for (const Image& picture : pictures) {
        auto element = ZVPuttyView::initWithImage(picture);
        element->setFrame(QRectF(100, 100, 200, 150));
        addPage(document)->addPuttyView(element.release());
    }
}

// A text box on the page whose text fills `content`.
ZVTextView* addText(ZVCanvasView* page, const QRectF& content, const QString& string)
{
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page->addPuttyView(element);
    element->setFrame(content.adjusted(-40, -40, 40, 40));
    auto* text = qobject_cast<ZVTextView*>(element->contentView());
    text->setString(string);
    return text;
}

bool isDark(QColor c)
{
    return c.red() < 100 && c.green() < 100 && c.blue() < 100;
}

TEST(PageRenderer, MasterPageNumbersShowEachPagesOwnNumberAndChangeNothing)
{
    Document document;
    ZVCanvasView* master = document.newPage();
    document.masterPages().append(master);
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    box->setFrame(QRectF(100, 100, 300, 60).adjusted(-40, -40, 40, 40));
    master->addPuttyView(box);
    auto* field = qobject_cast<ZVTextView*>(box->contentView());
    ASSERT_TRUE(field);
    field->setTextViewType(1);
    for (int i = 0; i < 3; ++i) {
        ZVCanvasView* page = addPage(document);
        page->setMasterPage(master);
    }
    QCoreApplication::processEvents();
    document.undoManager()->removeAllActions();
    const QString masterText = field->textStorage() ? field->textStorage()->document()->toPlainText() : QString();
    const Result<QByteArray> before = document.dataOfType(kDesktopDocumentType);
    ASSERT_TRUE(before.ok());

    const Result<QByteArray> pdf = pdfData(documentForPages(document.pages()), ZVDesignHelper::sharedInstance());
    ASSERT_TRUE(pdf.ok()) << pdf.error().describe().toStdString();
    QCoreApplication::processEvents();

    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("numbers.pdf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(*pdf);
    file.close();
    for (int page = 1; page <= 3; ++page) {
        const ProgramRun text = runProgram(QStringLiteral("pdftotext"),
                                           {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                            QString::number(page), file.fileName(), QStringLiteral("-")});
        EXPECT_EQ(text.out.simplified(), QStringLiteral("Page %1 of 3").arg(page));
    }
    EXPECT_EQ(document.dataOfType(kDesktopDocumentType).value(), before.value());
    EXPECT_FALSE(document.undoManager()->canUndo());
    EXPECT_EQ(field->textStorage() ? field->textStorage()->document()->toPlainText() : QString(), masterText);
    EXPECT_EQ(box->canvas(), master);
}

TEST(PageRenderer, PrintsPrintableLayersMasterFirstAndLeavesOutHiddenElements)
{
    Document document;
    ZVCanvasView* master = document.newPage();
    document.masterPages().append(master);
    ZVCanvasView* page = addPage(document);
    page->setMasterPage(master);

    // Master: one layer shown but not printed, one printed but hidden.
    ZVPuttyViewGroup* shown = master->addLayoutLayer(QStringLiteral("shown"));
    shown->setPrintable(false);
    master->setCurrentLayoutLayer(shown);
    addFilledRect(*master, QRectF(10, 10, 50, 50), Qt::red);
    ZVPuttyViewGroup* printed = master->addLayoutLayer(QStringLiteral("printed"));
    printed->setVisible(false);
    master->setCurrentLayoutLayer(printed);
    addFilledRect(*master, QRectF(100, 10, 50, 50), Qt::red);
    ZVPuttyView* hidden = addFilledRect(*master, QRectF(200, 10, 50, 50), Qt::red);
    hidden->setValueForKey(u"hideFromPrinting", true);
    // Page: a layer shown but not printed; a half-transparent black square
    // listed twice; a page element over a master one.
    ZVPuttyViewGroup* notPrinted = page->addLayoutLayer(QStringLiteral("not printed"));
    notPrinted->setPrintable(false);
    page->setCurrentLayoutLayer(notPrinted);
    addFilledRect(*page, QRectF(300, 10, 50, 50), Qt::red);
    ZVPuttyViewGroup* twice = page->addLayoutLayer(QStringLiteral("twice"));
    page->setCurrentLayoutLayer(twice);
    ZVPuttyView* doubled = addFilledRect(*page, QRectF(400, 10, 50, 50), Qt::black);
    doubled->setValueForKey(u"layerOpacity", 0.5);
    ZVPuttyView* single = addFilledRect(*page, QRectF(500, 10, 50, 50), Qt::black);
    single->setValueForKey(u"layerOpacity", 0.5);
    twice->appendUuid(doubled->uuid());
    addFilledRect(*page, QRectF(120, 30, 10, 10), Qt::blue);

    const QImage image = sheetImage(documentForPages({page}), 0);
    EXPECT_TRUE(isWhite(image.pixelColor(35, 35)));   // master layer not printed
    EXPECT_TRUE(isRed(image.pixelColor(110, 20)));    // master layer printed, though hidden
    EXPECT_GT(image.pixelColor(125, 35).blue(), 250);  // the page's own over the master's
    EXPECT_TRUE(isWhite(image.pixelColor(225, 35)));  // hidden from printing
    EXPECT_TRUE(isWhite(image.pixelColor(325, 35)));  // page layer not printed
    EXPECT_NEAR(image.pixelColor(525, 35).red(), 128, 3);
    EXPECT_NEAR(image.pixelColor(425, 35).red(), 64, 3); // drawn twice
}

TEST(PageRenderer, TextDrawnForOutputKeepsItsLinesForTheNextDrawingAndChainsKeepTheirLayout)
{
    Document document;
    ZVCanvasView* page = addPage(document);
    ZVTextView* alone =
        addText(page, QRectF(20, 20, 120, 90), QStringLiteral("Lines that wrap in a box of their own, twice over."));
    ZVTextView* first =
        addText(page, QRectF(200, 20, 100, 40), QStringLiteral("A chain of two boxes sharing one longer text."));
    ZVTextView* second = addText(page, QRectF(200, 100, 100, 60), QString());
    second->joinTextChain(first, 1);
    const int lines = int(alone->layoutManager()->linesInTextContainer(0).size());
    const qint64 aloneBefore = alone->layoutManager()->relaidBlockCount();
    first->layoutManager()->ensureLayout();
    const qint64 chainBefore = first->layoutManager()->relaidBlockCount();

    const SheetDocument sheets = documentForPages({page});
    const QImage once = sheetImage(sheets, 0);
    const QImage again = sheetImage(sheets, 0);
    EXPECT_EQ(once, again);
    EXPECT_EQ(alone->layoutManager()->relaidBlockCount(), aloneBefore) << "nothing changed, nothing laid out again";
    EXPECT_EQ(first->layoutManager()->relaidBlockCount(), chainBefore);
    EXPECT_EQ(alone->layoutManager()->linesInTextContainer(0).size(), lines);
    EXPECT_GT(lines, 1);
}

TEST(PageRenderer, KeptLinesFollowEveryEditAndOnlyTheBudgetsWorthIsKept)
{
    QTemporaryDir folder;
    Document document;
    ZVCanvasView* page = addPage(document);
    ZVTextView* box = addText(page, QRectF(40, 40, 300, 100), QStringLiteral("Alpha bravo charlie"));
    const auto words = [&] {
        const QString path = folder.filePath(QStringLiteral("page.pdf"));
        Result<QByteArray> pdf = pdfData(documentForPages({page}), ZVDesignHelper::sharedInstance());
        QFile file(path);
        EXPECT_TRUE(pdf.ok() && file.open(QIODevice::WriteOnly) && file.write(*pdf) == pdf->size());
        file.close();
        QStringList found;
        for (const PdfWord& word : pdfPageWords(path).value(0))
            found.append(word.text);
        return found.join(QLatin1Char(' '));
    };
    EXPECT_EQ(words(), QStringLiteral("Alpha bravo charlie"));
    box->setString(QStringLiteral("Delta echo"));
    EXPECT_EQ(words(), QStringLiteral("Delta echo"));

    // A narrower box wraps the kept lines anew, as a box drawn first does.
    box->puttyView()->setFrame(QRectF(40, 40, 60, 100).adjusted(-40, -40, 40, 40));
    const QImage narrowed = sheetImage(documentForPages({page}), 0);
    Document fresh;
    ZVCanvasView* other = addPage(fresh);
    ZVPuttyView* same = ZVPuttyView::initWithText().release();
    other->addPuttyView(same);
    same->setFrame(QRectF(40, 40, 60, 100).adjusted(-40, -40, 40, 40));
    qobject_cast<ZVTextView*>(same->contentView())->setString(QStringLiteral("Delta echo"));
    EXPECT_EQ(narrowed, sheetImage(documentForPages({other}), 0));

    // Past the budget the least recently drawn let go; the output stays.
    text::LaidOutTexts& kept = text::LaidOutTexts::shared();
    const qint64 budget = kept.maxBytes();
    kept.setBudget(box->textStorage()->laidOutBytes() * 3 / 2); // room for one such text
    addText(page, QRectF(40, 300, 300, 100), QStringLiteral("Foxtrot golf"));
    const QImage once = sheetImage(documentForPages({page}), 0);
    EXPECT_EQ(kept.keptTexts(), 1);
    EXPECT_EQ(once, sheetImage(documentForPages({page}), 0));
    kept.setBudget(budget);
}

TEST(PageRenderer, CropMarksSitOnTheTrimLinesOfPagesThatShowThem)
{
    Document document;
    ZVCanvasView* bled = addPage(document);
    bled->setValueForKey(u"fullBleed", true);
    bled->setValueForKey(u"bleedMargin", 18.0);
    bled->setCanvasFrames();
    ZVCanvasView* plain = addPage(document);
    const SheetDocument sheets = documentForPages({bled, plain});
    const QImage marked = sheetImage(sheets, 0);
    ASSERT_EQ(marked.size(), QSize(612 + 36, 792 + 36));
    const int w = marked.width();
    const int h = marked.height();
    // A vertical mark at x = 18 from the top edge, 0.8 × 18 long, and the
    // same at every corner; nothing inside the trim.
    for (const QPoint& at : {QPoint(18, 5), QPoint(5, 18), QPoint(w - 18, 5), QPoint(w - 5, 18),
                             QPoint(18, h - 5), QPoint(5, h - 18), QPoint(w - 18, h - 5), QPoint(w - 5, h - 18)}) {
        const QColor c = marked.pixelColor(at);
        EXPECT_TRUE(isDark(c) || isDark(marked.pixelColor(at - QPoint(1, 1))) || c.red() < 200) << at.x() << "," << at.y();
    }
    EXPECT_TRUE(isWhite(marked.pixelColor(18, 20)));
    EXPECT_TRUE(isWhite(marked.pixelColor(20, 18)));
    const QImage unmarked = sheetImage(sheets, 1);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_TRUE(isWhite(unmarked.pixelColor(x, y)));
    }
}

TEST(PageRenderer, AnEpsPageWidgetDrawsItsSheetWhereverItIsPlaced)
{
    Document document;
    ZVCanvasView* left = addPage(document, QSizeF(200, 100));
    ZVCanvasView* right = addPage(document, QSizeF(200, 100));
    addFilledRect(*right, QRectF(10, 10, 50, 50), Qt::red);
    ZVEPSPage widget;
    widget.setCanvases({left, right});
    widget.resize(400, 100);
    const QImage shown = widget.grab().toImage();
    EXPECT_TRUE(isRed(shown.pixelColor(235, 35)));
    EXPECT_TRUE(isWhite(shown.pixelColor(35, 35)));
}

TEST(PageRenderer, PdfShadowsAreRasterLayersAtTwiceScreenResolution)
{
    Document document;
    ZVPuttyView* shape = addFilledRect(*addPage(document), QRectF(100, 100, 100, 100), Qt::red);
    shape->setValueForKey(u"shadowEnabled", true);
    QTemporaryDir folder;
    const QString pdf = writtenPdf(document, folder);
    const QList<QStringList> rows = pdfImageRows(pdf);
    ASSERT_FALSE(rows.isEmpty());
    for (const QStringList& row : rows) {
        ASSERT_GE(row.size(), 14);
        EXPECT_GE(row[12].toInt(), 143) << row.join(' ').toStdString(); // x-ppi
    }
    EXPECT_TRUE(isRed(pdfPage(pdf, 1).pixelColor(150, 150)));
}

TEST(PageRenderer, APictureShownOnEveryPageIsStoredOnceAndShownOnEach)
{
    Document document;
    QImage bitmap(64, 48, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    const Image picture(bitmap);
    addPicturePages(document, {picture, picture, picture});
    QTemporaryDir folder;
    const QString pdf = writtenPdf(document, folder);
    const QList<QStringList> rows = pdfImageRows(pdf);
    ASSERT_EQ(rows.size(), 3);
    QSet<QString> objects;
    for (int page = 1; page <= 3; ++page) {
        const QStringList& columns = rows[page - 1];
        ASSERT_GE(columns.size(), 12);
        EXPECT_EQ(columns[0].toInt(), page);
        objects.insert(columns[10]);
        const QImage shown = pdfPage(pdf, page);
        EXPECT_TRUE(isRed(shown.pixelColor(200, 175))) << "page " << page;
    }
    EXPECT_EQ(objects.size(), 1) << "one picture object for all pages";
}

// Two pictures of equal pixels and transparency, each drawn by its own
// element, are one picture and one mask in the PDF, shown on both pages.
TEST(PageRenderer, EqualTransparentPicturesAreStoredOnceWithOneMask)
{
    Document document;
    QImage bitmap(64, 48, QImage::Format_ARGB32);
    bitmap.fill(Qt::transparent);
    // Opaque on the left, half clear in the middle: a soft mask.
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x)
            bitmap.setPixelColor(x, y, QColor(255, 0, 0, x < 32 ? 255 : 128));
    }
    addPicturePages(document, {Image(bitmap), Image(bitmap.copy())});
    QTemporaryDir folder;
    const QString pdf = writtenPdf(document, folder);
    const QList<QStringList> rows = pdfImageRows(pdf);
    ASSERT_EQ(rows.size(), 4);
    // Each page lists its picture and the mask, both by the picture's object.
    QSet<QString> objects;
    for (const QStringList& row : rows)
        objects.insert(row.value(2) + row.value(10));
    EXPECT_EQ(objects.size(), 2);
    for (int page = 1; page <= 2; ++page) {
        const QImage shown = pdfPage(pdf, page);
        EXPECT_TRUE(isRed(shown.pixelColor(150, 175))) << "page " << page;
        const QColor half = shown.pixelColor(215, 175);
        EXPECT_GT(half.red(), 240) << "page " << page;
        EXPECT_NEAR(half.green(), 128, 24) << "page " << page;
    }
}

} // namespace
} // namespace ql::testing
