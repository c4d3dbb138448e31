// Text that flows as output draws it, through page-render and read back by
// pdftotext: a chain of boxes over several pages, and page-number and date
// boxes on a master page.
#include "OutputTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "platform/undo/UndoManager.h"
#include "support/NumberedWords.h"

#include <QCoreApplication>
#include <QDate>
#include <gtest/gtest.h>

namespace ql::testing {
namespace {

class TextFlowRender : public ::testing::Test {
protected:
    // The words of each page of the document's PDF, with their boxes.
    QList<QList<PdfWord>> rendered()
    {
        QCoreApplication::processEvents();
        const QString saved = folder.filePath(QStringLiteral("Flow.qvleaf"));
        save(document, saved);
        const ProgramRun run = pageRender({saved, folder.path()});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return pdfPageWords(folder.filePath(QStringLiteral("Flow.pdf")));
    }
    QList<QStringList> renderedWords()
    {
        QList<QStringList> pages;
        for (const QList<PdfWord>& words : rendered()) {
            QStringList texts;
            for (const PdfWord& word : words)
                texts.append(word.text);
            pages.append(texts);
        }
        return pages;
    }

    Document document;
    QTemporaryDir folder;
};

} // namespace

TEST_F(TextFlowRender, AChainRunsThroughItsPagesInOrderAndADeletedBoxHandsItsWordsOn)
{
    const QList<ZVCanvasView*> pages {addPage(document), addPage(document), addPage(document)};
    ZVPuttyView* first = ZVPuttyView::initWithText().release();
    pages[0]->addPuttyView(first);
    first->setFrame(QRectF(60, 60, 300, 200));
    const QStringList words = numberedWordList(300);
    textOf(first)->setString(words.join(QLatin1Char(' ')));
    ZVPuttyView* middle = first->createLinkedTextViewAtPage(1);
    ZVPuttyView* last = middle->createLinkedTextViewAtPage(2);
    last->setFrame(QRectF(60, 60, 500, 700));

    const QList<QStringList> chained = renderedWords();
    ASSERT_EQ(chained.size(), 3);
    EXPECT_FALSE(chained[1].isEmpty());
    EXPECT_EQ(chained[0] + chained[1] + chained[2], words) << "every word once, in order";

    pages[1]->deletePuttyView(middle);
    const QList<QStringList> without = renderedWords();
    EXPECT_TRUE(without[1].isEmpty());
    EXPECT_EQ(without[0], chained[0]);
    EXPECT_EQ(without[2].mid(0, chained[1].size()), chained[1]);
    EXPECT_EQ(without[0] + without[2], words);

    document.undoManager()->undo();
    EXPECT_EQ(renderedWords(), chained);
}

TEST_F(TextFlowRender, TextWrapsAroundAShapeAboveItInItsLayer)
{
    ZVCanvasView* page = addPage(document);
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    page->addPuttyView(box);
    box->setFrame(QRectF(60, 60, 480, 400).adjusted(-40, -40, 40, 40));
    textOf(box)->setString(numberedWords(260));
    const QRectF shape(220, 150, 120, 100);
    ZVPuttyView* wrapper = addFilledRect(*page, shape, Qt::red);
    wrapper->setValueForKey(u"causesWrap", true);

    const QList<PdfWord> words = rendered().value(0);
    ASSERT_GT(words.size(), 200);
    bool left = false;
    bool right = false;
    for (const PdfWord& word : words) {
        const QRectF bounds(QPointF(word.xMin, word.yMin), QPointF(word.xMax, word.yMax));
        EXPECT_FALSE(bounds.intersects(shape)) << word.text.toStdString();
        if (bounds.center().y() > shape.top() && bounds.center().y() < shape.bottom()) {
            left = left || bounds.right() <= shape.left();
            right = right || bounds.left() >= shape.right();
        }
    }
    EXPECT_TRUE(left);
    EXPECT_TRUE(right);
}

TEST_F(TextFlowRender, MasterFieldsShowEachPagesNumberAndTodaysDate)
{
    ZVCanvasView* master = document.newPage();
    document.masterPages().append(master);
    ZVPuttyView* number = ZVPuttyView::initWithText().release();
    master->addPuttyView(number);
    number->setFrame(QRectF(60, 640, 300, 120));
    textOf(number)->setTextViewType(ZVTextView::PageNumber);
    ZVPuttyView* date = ZVPuttyView::initWithText().release();
    master->addPuttyView(date);
    date->setFrame(QRectF(330, 640, 240, 120));
    textOf(date)->setDateFormat(QStringLiteral("yyyy-MM-dd"));
    textOf(date)->setTextViewType(ZVTextView::Date);
    for (int i = 0; i < 10; ++i)
        addPage(document)->setMasterPage(master);

    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const QList<QStringList> pages = renderedWords();
    ASSERT_EQ(pages.size(), 10);
    for (int n = 1; n <= 10; ++n) {
        // Written near midnight, the date may be tomorrow's.
        const QString shown = pages[n - 1].join(QLatin1Char(' '));
        EXPECT_TRUE(shown.contains(QStringLiteral("Page %1 of 10").arg(n))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(today) || shown.contains(QDate::currentDate().addDays(1).toString(Qt::ISODate)))
            << shown.toStdString();
    }
}

} // namespace ql::testing
