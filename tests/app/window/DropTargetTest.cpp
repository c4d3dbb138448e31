// Drops on the real canvas, sent as the platform sends them: pictures, files,
// links fetched from a local server, elements, rich text; each one element,
// centred on the drop point and sized the same on screen at every zoom.
#include "WindowTestSupport.h"

#include "canvas/ElementPasteboard.h"
#include "canvas/ModelArchive.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "panels/controls/ZVDraggableTextField.h"
#include "platform/graphics/FontResolver.h"
#include "shapes/df/DFPasteboardTypes.h"
#include "shapes/library/ZVShapeLibrary.h"
#include "content/ZVImageView.h"
#include "support/GreyPicture.h"

#include <QBuffer>
#include <QComboBox>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QUrl>

using namespace ql;

namespace {

QByteArray encoded(int width, int height, const char* format)
{
    QImage bitmap(width, height, QImage::Format_RGB32);
    bitmap.fill(Qt::darkMagenta);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bitmap.save(&buffer, format);
    return bytes;
}

class DropTarget : public ql::testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        zoomTo(1.0);
    }

    void TearDown() override
    {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished();
        }
    }

    // Drags `data` onto a page point of the canvas and drops it there as a
    // copy; the platform sends the drop to whoever took the drag.
    void drop(QMimeData& data, QPointF pagePoint)
    {
        ZVScrollView* view = window->scrollView();
        const QPointF local = view->mapFromPage(pagePoint);
        QDragEnterEvent enter(local.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent event(local, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &event);
        EXPECT_TRUE(event.isAccepted());
        // The user's next action is another event-loop turn: another undo step.
        QCoreApplication::processEvents();
    }

    QList<ZVPuttyView*> added(qsizetype before) const { return page->puttyViews().mid(before); }
    QWidget* downloadingPanel() const { return window->outlets().downloadingPanel; }

    // A local web server for the pictures in the test's folder; its port.
    int serve()
    {
        server.start(QStringLiteral("python3"), {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/window/picture_server.py"),
                                                 folder.path()});
        EXPECT_TRUE(server.waitForReadyRead(10000));
        return server.readLine().trimmed().toInt();
    }

    QProcess server;
};

} // namespace

TEST_F(DropTarget, PicturesComeInTheSameSizeOnScreenCentredOnThePoint)
{
    QCoreApplication::processEvents();
    const int steps = document->undoManager()->undoCount();
    QMimeData png;
    png.setData(QStringLiteral("image/png"), encoded(400, 100, "PNG"));
    drop(png, QPointF(300, 400));
    ASSERT_EQ(added(0).size(), 1);
    ZVPuttyView* element = added(0).first();
    EXPECT_EQ(element->frame(), QRectF(300 - 140, 400 - 65, 280, 130));
    EXPECT_TRUE(element->isActive());
    EXPECT_EQ(page->focusedPuttyView(), element);

    zoomTo(2.0);
    QMimeData tall;
    tall.setData(QStringLiteral("image/tiff"), encoded(100, 400, "TIFF"));
    drop(tall, QPointF(200, 200));
    ASSERT_EQ(added(1).size(), 1);
    EXPECT_EQ(added(1).first()->contentFrame().size(), QSizeF(25, 100));
    EXPECT_FALSE(element->isActive()) << "the new one alone selected";

    // A drawing's own drag carries its picture for others: not for the page.
    QMimeData drawn;
    drawn.setData(QStringLiteral("image/tiff"), encoded(100, 100, "TIFF"));
    drawn.setData(DFDrawablePasteboardType, "drawables");
    drop(drawn, QPointF(100, 100));
    EXPECT_EQ(page->puttyViews().size(), 2);
    EXPECT_EQ(document->undoManager()->undoCount(), steps + 2) << "one step per drop";
}

TEST_F(DropTarget, FilesStackOnOneCentreAndALinkWithItsPictureAddsOne)
{
    QList<QUrl> files;
    for (const QString& name : {QStringLiteral("a.png"), QStringLiteral("b.png"), QStringLiteral("c.jpg")}) {
        ql::testing::writeFile(path(name), encoded(60, 40, name.endsWith(QLatin1String("png")) ? "PNG" : "JPEG"));
        files.append(QUrl::fromLocalFile(path(name)));
    }
    ql::testing::writeFile(path(QStringLiteral("flyer.qvleaf")), "not a picture");
    files.append(QUrl::fromLocalFile(path(QStringLiteral("flyer.qvleaf"))));
    QMimeData several;
    several.setUrls(files);
    drop(several, QPointF(250, 300));
    ASSERT_EQ(added(0).size(), 3) << "the document file adds nothing";
    for (const ZVPuttyView* element : added(0))
        EXPECT_EQ(element->frame().center(), QPointF(250, 300));

    QMimeData linkAndPicture;
    linkAndPicture.setUrls({files.first()});
    linkAndPicture.setImageData(QImage(path(QStringLiteral("a.png"))));
    drop(linkAndPicture, QPointF(100, 100));
    EXPECT_EQ(added(3).size(), 1);
}

TEST_F(DropTarget, ElementsRichTextAndShapes)
{
    ZVPuttyView* source = ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release();
    source->setFrame(QRectF(0, 0, 220, 160));
    page->addPuttyView(source);
    const QByteArray archive = *canvas::archiveRootObject(source);
    QMimeData element;
    element.setData(QStringLiteral("ZVPuttyView"), archive);
    drop(element, QPointF(300, 300));
    ASSERT_EQ(added(1).size(), 1);
    ZVPuttyView* copy = added(1).first();
    EXPECT_EQ(copy->frame(), QRectF(190, 220, 220, 160));
    EXPECT_NE(copy->uuid(), source->uuid());
    EXPECT_TRUE(page->currentLayoutLayer()->listsUuid(copy->uuid()));

    QMimeData garbage;
    garbage.setData(QStringLiteral("ZVPuttyView"), "bplist00 garbage");
    drop(garbage, QPointF(300, 300));
    EXPECT_EQ(page->puttyViews().size(), 2);

    QMimeData rich;
    rich.setData(QStringLiteral("text/rtf"), "{\\rtf1{\\fonttbl{\\f0 Helvetica;}}\\f0 Some {\\b bold} words}");
    drop(rich, QPointF(200, 250));
    ASSERT_EQ(added(2).size(), 1);
    ZVPuttyView* box = added(2).first();
    EXPECT_EQ(box->contentFrame(), QRectF(200 - 90, 250 - 95, 180, 190));
    const AttributedString text = qobject_cast<ZVTextView*>(box->contentView())->attributedString();
    EXPECT_EQ(text.string(), QStringLiteral("Some bold words")) << "foreign text stays";
    const Font bold = text.attributeAt(TextAttribute::font, 5).value<Font>();
    EXPECT_EQ(FontResolver::traits(bold) & BoldTrait, BoldTrait);

    // Only the browser's sample asks to be edited.
    QMimeData sample;
    sample.setHtml(QStringLiteral("<b>Drag this text box</b>"));
    sample.setData(ElementPasteboard::sampleTextType(), QByteArray());
    drop(sample, QPointF(200, 250));
    ASSERT_EQ(added(3).size(), 1);
    EXPECT_EQ(qobject_cast<ZVTextView*>(added(3).first()->contentView())->string(), QStringLiteral("Double click to edit."));

    QMimeData shape;
    shape.setData(QStringLiteral("ZVShape"),
                  ZVShapeLibrary::archivedData(QStringLiteral("square"), BezierPath::rect(QRectF(0, 0, 300, 300))));
    drop(shape, QPointF(400, 400));
    ASSERT_EQ(added(4).size(), 1);
    EXPECT_EQ(added(4).first()->contentViewType(), ZVPuttyView::VectorContent);
    EXPECT_EQ(added(4).first()->contentFrame(), QRectF(300, 300, 200, 200));

    ZVPuttyView* loading = window->scrollView()->dropView().addLoadingPuttyViewAtLocation(QPointF(50, 60));
    EXPECT_EQ(loading->frame().center(), QPointF(50, 60));
    EXPECT_TRUE(loading->isActive());

    // What HTML leaves unstyled (a blank between runs, an emphasis without a
    // size) is a new box's text, never in the toolkit's own font.
    QMimeData html;
    html.setHtml(QStringLiteral("<p><span style=\"font-size:20pt\">big</span> <i>plain</i></p>\n"));
    drop(html, QPointF(400, 200));
    const AttributedString dropped =
        qobject_cast<ZVTextView*>(page->puttyViews().last()->contentView())->attributedString();
    ASSERT_TRUE(dropped.string().startsWith(QStringLiteral("big plain")));
    const auto sizeAt = [&](int at) { return dropped.attributeAt(TextAttribute::font, at).value<Font>().pointSize(); };
    EXPECT_EQ(sizeAt(0), 20.0);
    EXPECT_EQ(sizeAt(3), FontResolver::defaultPointSize);
    EXPECT_EQ(sizeAt(4), FontResolver::defaultPointSize);
    EXPECT_EQ(FontResolver::traits(dropped.attributeAt(TextAttribute::font, 4).value<Font>()), ItalicTrait);
}

TEST_F(DropTarget, LinksAreFetchedForTheirOwnPageWhileThePanelShows)
{
    ql::testing::writeFile(path(QStringLiteral("web.png")), encoded(300, 150, "PNG"));
    const int port = serve();
    ASSERT_GT(port, 0);
    const auto link = [port](const QString& where) {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(where));
    };

    QMimeData found;
    found.setUrls({link(QStringLiteral("slow/web.png"))});
    drop(found, QPointF(300, 300));
    EXPECT_TRUE(downloadingPanel()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!downloadingPanel()->isVisible(), 15000);
    ASSERT_EQ(added(0).size(), 1);
    EXPECT_EQ(added(0).first()->contentFrame().size(), QSizeF(200, 100));

    QMimeData missing;
    missing.setUrls({link(QStringLiteral("slow/missing.png"))});
    drop(missing, QPointF(300, 300));
    EXPECT_TRUE(downloadingPanel()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!downloadingPanel()->isVisible(), 15000);
    EXPECT_EQ(page->puttyViews().size(), 1);

    // The user moves on to another page before the picture arrives.
    ZVCanvasView* dropPage = page;
    QMimeData late;
    late.setUrls({link(QStringLiteral("slow/web.png"))});
    drop(late, QPointF(100, 100));
    document->insertPageAfter();
    ZVCanvasView* other = document->currentPage();
    ASSERT_NE(other, dropPage);
    QTRY_VERIFY_WITH_TIMEOUT(!downloadingPanel()->isVisible(), 15000);
    EXPECT_EQ(dropPage->puttyViews().size(), 2);
    EXPECT_TRUE(other->puttyViews().isEmpty());
}

TEST_F(DropTarget, TheTextPanesSampleBecomesABoxInTheSamplesFont)
{
    ZVTextContentViewController* pane = window->controllers().textContentVC;
    pane->stylePicker()->setCurrentIndex(6);
    std::unique_ptr<QMimeData> sample(pane->textField()->dragPayload());
    drop(*sample, QPointF(300, 400));
    ASSERT_EQ(added(0).size(), 1);
    ZVPuttyView* box = added(0).first();
    EXPECT_EQ(box->frame(), QRectF(170, 265, 260, 270));
    const AttributedString text = qobject_cast<ZVTextView*>(box->contentView())->attributedString();
    EXPECT_EQ(text.string(), QStringLiteral("Double click to edit."));
    // The RTF kept the face and the size the sample shows.
    const Font shown = pane->textField()->attributedStringValue().attributeAt(TextAttribute::font, 0).value<Font>();
    const Font dropped = text.attributeAt(TextAttribute::font, 0).value<Font>();
    EXPECT_EQ(FontResolver::face(dropped.postScriptName()), FontResolver::face(shown.postScriptName()));
    EXPECT_EQ(dropped.pointSize(), 11);
}

TEST_F(DropTarget, WhatIsTooLargeIsRefusedUnreadWithAnAlert)
{
    // Sparse: a 64 GB file that takes no room, as a disk image or a
    // database may be.
    QFile huge(path(QStringLiteral("huge.png")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(64) << 30));
    huge.close();
    ql::testing::writeFile(path(QStringLiteral("small.png")), encoded(60, 40, "PNG"));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(path(QStringLiteral("huge.png"))),
                   QUrl::fromLocalFile(path(QStringLiteral("small.png")))});
    drop(files, QPointF(250, 300));
    EXPECT_EQ(added(0).size(), 1) << "the small picture still comes";
    DeferredCalls::instance().flush();
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_TRUE(prompter.alerts[0].messageText.contains(QLatin1String("too large")));
    EXPECT_TRUE(prompter.alerts[0].informativeText.contains(QStringLiteral("“huge.png”")));
    EXPECT_TRUE(prompter.alerts[0].informativeText.contains(QLatin1String("64.0 GB")));

    // A download that says it is larger is given up at once.
    QFile served(path(QStringLiteral("big.png")));
    ASSERT_TRUE(served.open(QIODevice::WriteOnly) && served.resize(Image::kLargestFileBytes + 1));
    served.close();
    const int port = serve();
    QMimeData link;
    link.setUrls({QUrl(QStringLiteral("http://127.0.0.1:%1/big.png").arg(port))});
    drop(link, QPointF(250, 300));
    QTRY_VERIFY_WITH_TIMEOUT(!downloadingPanel()->isVisible(), 15000);
    DeferredCalls::instance().flush();
    EXPECT_EQ(added(0).size(), 1);
    ASSERT_EQ(prompter.alerts.size(), 2);
    EXPECT_TRUE(prompter.alerts[1].messageText.contains(QLatin1String("too large")));
}

TEST_F(DropTarget, APictureTooLargeToDecodeWholeIsPlacedAndOneThatCannotBeDecodedIsNamed)
{
    using ql::testing::SplitDepth;
    const QSize side(30000, 30000);
    // A JPEG frame claiming 60,000 pixels square over 64 × 64 of data.
    QByteArray claims = encoded(64, 64, "JPEG");
    const qsizetype frame = claims.indexOf("\xFF\xC0");
    claims.replace(frame + 5, 4, QByteArray::fromHex("ea60ea60"));
    const QList<std::pair<QString, QByteArray>> files {
        {QStringLiteral("scan.png"), ql::testing::splitPng(side, 15000, SplitDepth::OneBit)},
        {QStringLiteral("map.tif"), ql::testing::splitTiff(side, 15000, SplitDepth::Palette8)},
        {QStringLiteral("cut.png"), ql::testing::cutShortPng(side)},
        {QStringLiteral("claims.jpg"), claims},
    };
    for (qsizetype i = 0; i < files.size(); ++i) {
        const auto& [name, bytes] = files[i];
        SCOPED_TRACE(name.toStdString());
        ql::testing::writeFile(path(name), bytes);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path(name))});
        const qsizetype before = page->puttyViews().size();
        const qsizetype alerts = prompter.alerts.size();
        drop(data, QPointF(250, 300));
        DeferredCalls::instance().flush();
        if (i < 2) {
            ASSERT_EQ(added(before).size(), 1);
            const auto* image = qobject_cast<ZVImageView*>(added(before).first()->contentView());
            EXPECT_EQ(image->originalImage().size(), QSizeF(side)) << "its own size, whatever it was decoded at";
            EXPECT_EQ(prompter.alerts.size(), alerts);
        } else {
            EXPECT_EQ(added(before).size(), 0);
            ASSERT_EQ(prompter.alerts.size(), alerts + 1);
            EXPECT_EQ(prompter.alerts.last().messageText, QStringLiteral("“%1” could not be placed on the page.").arg(name));
        }
    }
}

TEST_F(DropTarget, AFileNamedAsAPictureThatHoldsNoneIsNamedAndNothingIsPlaced)
{
    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator(79).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    ql::testing::writeFile(path(QStringLiteral("notes.png")), "Call the printer about the proofs on Monday.\n");
    ql::testing::writeFile(path(QStringLiteral("scan.png")), noise);
    ql::testing::writeFile(path(QStringLiteral("notes.txt")), "Not a picture and not named one.\n");
    for (const QString& name : {QStringLiteral("notes.png"), QStringLiteral("scan.png")}) {
        SCOPED_TRACE(name.toStdString());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path(name))});
        const qsizetype alerts = prompter.alerts.size();
        drop(data, QPointF(250, 300));
        DeferredCalls::instance().flush();
        ASSERT_EQ(prompter.alerts.size(), alerts + 1);
        EXPECT_EQ(prompter.alerts.last().messageText, QStringLiteral("“%1” could not be placed on the page.").arg(name));
        EXPECT_TRUE(prompter.alerts.last().informativeText.contains(QLatin1String("not an image")));
    }
    // Both at once, with a text file that says what it is: that one is passed over.
    QMimeData all;
    all.setUrls({QUrl::fromLocalFile(path(QStringLiteral("notes.png"))), QUrl::fromLocalFile(path(QStringLiteral("scan.png"))),
                 QUrl::fromLocalFile(path(QStringLiteral("notes.txt")))});
    drop(all, QPointF(250, 300));
    DeferredCalls::instance().flush();
    ASSERT_EQ(prompter.alerts.size(), 3);
    EXPECT_EQ(prompter.alerts.last().messageText, QStringLiteral("2 of the dropped pictures could not be placed on the page."));
    EXPECT_FALSE(prompter.alerts.last().informativeText.contains(QLatin1String("notes.txt")));

    // Data whose type says picture, dropped from another program.
    QMimeData typed;
    typed.setData(QStringLiteral("image/png"), noise);
    drop(typed, QPointF(250, 300));
    DeferredCalls::instance().flush();
    ASSERT_EQ(prompter.alerts.size(), 4);
    EXPECT_EQ(prompter.alerts.last().messageText, QStringLiteral("The picture dropped could not be placed on the page."));
    EXPECT_TRUE(page->puttyViews().isEmpty());
}
