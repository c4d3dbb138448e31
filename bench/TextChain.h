#pragma once
// A book: one chain of linked text boxes, one per Letter page (468 × 648
// points of text each), holding ordinary words in paragraphs of about 600
// characters, as a document's file data. The text-flow and text-chain
// benches open it.
#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QByteArray>
#include <QStringList>

inline QString sampleText(int characters)
{
    static const QStringList words = QStringLiteral(
        "the quick brown fox jumps over a lazy dog while page layout programs flow long articles through "
        "linked boxes on many pages and every line must find its place quickly").split(QLatin1Char(' '));
    QString text;
    text.reserve(characters + 16);
    for (int word = 0; text.size() < characters; ++word)
        text += words[word % words.size()] + ((word + 1) % 100 == 0 ? QLatin1Char('\n') : QLatin1Char(' '));
    text.truncate(characters);
    return text;
}

// `characters` of sample text in `runs` runs that take turns, as a richly
// formatted book has them on every line: Helvetica, Helvetica bold and
// underlined, Times.
inline ql::AttributedString richText(int characters, int runs, double pointSize)
{
    namespace A = ql::TextAttribute;
    const ql::TextAttributes looks[] = {
        {{A::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), pointSize))}},
        {{A::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica-Bold"), pointSize))}, {A::underline, 1}},
        {{A::font, QVariant::fromValue(ql::Font(QStringLiteral("Times-Roman"), pointSize))}},
    };
    const QString text = sampleText(characters);
    ql::AttributedString rich;
    for (qint64 run = 0; run < runs; ++run) {
        const qint64 from = run * characters / runs;
        rich.append(text.mid(from, (run + 1) * characters / runs - from), looks[run % 3]);
    }
    return rich;
}

// `text` through `pages` linked boxes.
inline QByteArray chainedDocument(int pages, const ql::AttributedString& text)
{
    ql::Document document;
    for (int i = 0; i < pages; ++i) {
        ZVCanvasView* page = document.newPage();
        page->setPageSize(0);
        page->setPageWidth(612);
        page->setPageHeight(792);
        page->setCanvasFrames();
        document.contentPages().append(page);
    }
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    document.contentPages().first()->addPuttyView(box);
    box->setFrame(QRectF(72, 72, 468, 648).adjusted(-40, -40, 40, 40));
    qobject_cast<ZVTextView*>(box->contentView())->setAttributedString(text);
    for (int i = 1; i < pages; ++i)
        box = box->createLinkedTextViewAtPage(i);
    return document.dataOfType(ql::kDesktopDocumentType).value();
}

// `characters` of Helvetica at `pointSize` through `pages` linked boxes.
inline QByteArray chainedDocument(int pages, int characters, double pointSize)
{
    return chainedDocument(
        pages, ql::AttributedString(sampleText(characters), {{ql::TextAttribute::font,
                                                              QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"),
                                                                                           pointSize))}}));
}
