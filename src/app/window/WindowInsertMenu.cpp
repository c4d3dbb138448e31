// The Insert menu: pictures, text boxes in each style, page numbers, dates,
// 3D text, the shape library and the clip-art and code browsers. The
// toolbar's insert buttons act through the same commands.
#include "app/window/WindowMenus.h"

#include "app/AppDelegate.h"
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace ql {

void WindowMenus::buildInsertMenu()
{
    QMenu* insert = m_window.menuBar()->addMenu(tr("&Insert"));
    DocumentWindow& window = m_window;
    const auto onDocument = [&window](void (Document::*command)()) {
        return [&window, command] {
            if (Document* document = window.document())
                (document->*command)();
        };
    };
    addItem(insert, tr("Image…"), QStringLiteral("insertImage:"), {}, onDocument(&Document::insertImage));
    addItem(insert, tr("Text Box"), QStringLiteral("insertText:"), {}, onDocument(&Document::insertText));

    QMenu* styles = insert->addMenu(tr("Text Style"));
    const std::pair<QString, const char*> styleItems[] = {
        {tr("Normal"), "insertTextNormal:"},       {tr("Title"), "insertTextTitle:"},
        {tr("Subtitle"), "insertTextSubtitle:"},   {tr("Heading 1"), "insertTextHeading1:"},
        {tr("Heading 2"), "insertTextHeading2:"},  {tr("Heading 3"), "insertTextHeading3:"},
        {tr("Caption"), "insertTextCaption:"},
    };
    for (int style = 0; style < int(std::size(styleItems)); ++style) {
        addItem(styles, styleItems[style].first, QString::fromLatin1(styleItems[style].second), {}, [&window, style] {
            if (Document* document = window.document())
                document->insertTextWithStyle(style);
        });
    }
    addItem(insert, tr("Page Number"), QStringLiteral("insertPageNumber:"), {}, onDocument(&Document::insertPageNumber));
    addItem(insert, tr("Date"), QStringLiteral("insertDate:"), {}, onDocument(&Document::insertDate));
    addItem(insert, tr("3D Text"), QStringLiteral("insert3DText:"), {}, onDocument(&Document::insert3DText));
    insert->addSeparator();

    // One item per entry of the shape library, in its order; the tag is the position.
    QMenu* shapes = insert->addMenu(tr("Shape"));
    const QStringList shapeTitles {
        tr("Circle"),         tr("Ring"),          tr("Square"),          tr("Rounded Square"),
        tr("Right Triangle"), tr("Triangle"),      tr("Pentagon"),        tr("Hexagon"),
        tr("Heptagon"),       tr("Octagon"),       tr("Star"),            tr("6-Point Star"),
        tr("7-Point Star"),   tr("8-Point Star"),  tr("20-Point Star"),   tr("Arrowhead"),
        tr("Arrow Tail"),     tr("Cross"),         tr("Diagonal Cross"),  tr("Plus"),
        tr("Check Mark"),     tr("X"),             tr("Speech Balloon"),  tr("Round Speech Balloon"),
        tr("Heart"),          tr("Person"),        tr("Beaker"),          tr("Line"),
    };
    for (int tag = 0; tag < shapeTitles.size(); ++tag) {
        QAction* item = addItem(shapes, shapeTitles[tag], QStringLiteral("insertShapeWithIndex:"), {}, [&window, tag] {
            if (Document* document = window.document())
                document->insertShapeWithIndex(tag);
        });
        item->setData(tag);
    }
    addItem(insert, tr("Shapes"), QStringLiteral("insertShape:"), {}, onDocument(&Document::insertShape));
    addItem(insert, tr("Clip Art"), QStringLiteral("insertClipArt:"), {}, onDocument(&Document::insertClipArt));
    addItem(insert, tr("QR Code or Barcode"), QStringLiteral("insertBarcode:"), {}, onDocument(&Document::insertBarcode));
    watch(insert);
}

void WindowMenus::buildHelpMenu()
{
    QMenu* help = m_window.menuBar()->addMenu(tr("&Help"));
    AppDelegate::addHelpItems(help);
}

} // namespace ql
