#include "LargeDocument.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/AttributedString.h"

namespace ql::tools {

namespace {

AttributedString longNotes()
{
    AttributedString notes;
    const QString filler = QStringLiteral("A long set of notes that keeps the writer busy. ").repeated(200);
    for (int i = 0; i < 500; ++i) {
        TextAttributes attributes;
        attributes.insert(TextAttribute::foregroundColor,
                          QVariant::fromValue(Color::deviceRgb((i % 7) / 7.0, (i % 11) / 11.0, (i % 13) / 13.0, 1.0)));
        attributes.insert(TextAttribute::kern, double(i % 5));
        notes.append(QStringLiteral("Paragraph %1. ").arg(i) + filler + QLatin1Char('\n'), attributes);
    }
    return notes;
}

} // namespace

void fillLargeDocument(Document& document)
{
    document.setNotes(longNotes());
    document.showFirstPage();
    while (document.contentPages().size() < kLargeDocumentPages)
        document.contentPages().append(document.newPage());
    for (ZVCanvasView* page : document.contentPages()) {
        page->setMasterPage(document.masterPages().first());
        for (int i = 0; i < 10; ++i) {
            std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
            element->setFrame(QRectF(20 * i, 30 * i, 200, 100));
            if (auto* text = qobject_cast<ZVTextView*>(element->contentView()))
                text->setString(QStringLiteral("Text box %1 with a few words in it").arg(i));
            page->addPuttyView(element.release());
        }
    }
}

void setVersion(Document& document, int version)
{
    AttributedString notes(QStringLiteral("version %1\n").arg(version));
    AttributedString body = document.notes();
    const qsizetype start = body.string().indexOf(QLatin1Char('\n')) + 1;
    if (body.string().startsWith(QStringLiteral("version ")))
        body = body.substring(start, body.length() - start);
    notes.append(body);
    document.setNotes(notes);
}

} // namespace ql::tools
