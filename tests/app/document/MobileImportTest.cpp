// Mobile-edition designs written by plistlib (tests/fixtures) imported into
// untitled documents.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"

using namespace ql;

namespace {

QString fixture(const QString& name)
{
    return QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/fixtures/") + name;
}

QString layerName(const ZVPuttyView* element)
{
    return element->layoutLayerGroup() ? element->layoutLayerGroup()->groupName() : QString();
}

const Image& pictureOf(const ZVPuttyView* element)
{
    static const Image none;
    const auto* image = qobject_cast<const ZVImageView*>(element->contentView());
    return image ? image->image() : none;
}

} // namespace

using MobileImport = ql::testing::DocumentFixture;

TEST_F(MobileImport, DesignBecomesAnUntitledPageWithItsBackgroundDrawingAndElements)
{
    Result<Document*> imported = controller.openDocumentWithContentsOfFile(fixture(QStringLiteral("mobile-design.qvmobile")));
    ASSERT_TRUE(imported.ok()) << imported.error().message.toStdString();
    Document* document = *imported;
    EXPECT_TRUE(document->filePath().isEmpty()) << "an import is untitled and asks for a file when saved";
    EXPECT_EQ(document->displayName(), QStringLiteral("Untitled"));
    EXPECT_FALSE(document->isDocumentEdited());
    EXPECT_FALSE(document->undoManager()->canUndo());
    ASSERT_EQ(document->contentPages().size(), 1);
    ASSERT_EQ(document->masterPages().size(), 1);
    ZVCanvasView* page = document->contentPages()[0];
    EXPECT_EQ(document->currentPage(), page);
    EXPECT_EQ(page->masterPage(), nullptr);
    EXPECT_EQ(page->pageSize(), 0);
    EXPECT_DOUBLE_EQ(page->pageWidth(), 320);
    EXPECT_DOUBLE_EQ(page->pageHeight(), 480);

    ZVBackgroundView* background = page->backgroundView();
    EXPECT_EQ(background->backgroundType().toInt(), ZVBackgroundView::ImageFill);
    EXPECT_EQ(background->backgroundImageMode().toInt(), 0) << "the picture replaces the pattern";
    EXPECT_EQ(background->backgroundImage().size(), QSizeF(4, 6));
    EXPECT_EQ(background->backgroundColor().value<Color>().toQColor(), QColor::fromRgbF(0.2f, 0.4f, 0.6f));

    ASSERT_EQ(page->layoutLayers().size(), 2);
    EXPECT_EQ(page->layoutLayers()[1]->groupName(), QStringLiteral("New Layer"));
    EXPECT_EQ(page->currentLayoutLayer(), page->layoutLayers()[1].data());

    const QList<ZVPuttyView*> elements = page->puttyViews();
    ASSERT_EQ(elements.size(), 4);
    const ZVPuttyView* drawing = elements[0];
    EXPECT_TRUE(drawing->isLocked());
    EXPECT_EQ(layerName(drawing), QStringLiteral("Background"));
    EXPECT_EQ(drawing->frame(), QRectF(-40, -40, 400, 560));
    EXPECT_EQ(pictureOf(drawing).size(), QSizeF(8, 12));

    const ZVPuttyView* text = elements[1];
    EXPECT_EQ(layerName(text), QStringLiteral("New Layer"));
    EXPECT_EQ(text->frame(), QRectF(110, 235, 180, 130)) << "100 × 50 centred on (200, 300), grown by the handle margin";
    ASSERT_NE(qobject_cast<ZVTextView*>(text->contentView()), nullptr);
    EXPECT_EQ(qobject_cast<ZVTextView*>(text->contentView())->string(), QStringLiteral("Hello from the phone"));
    EXPECT_FALSE(text->isLocked());
    EXPECT_TRUE(text->valueForKey(u"hideFromPrinting").toBool());
    EXPECT_TRUE(text->valueForKey(u"borderEnabled").toBool());
    EXPECT_DOUBLE_EQ(text->valueForKey(u"borderWidth").toDouble(), 2.5);
    EXPECT_EQ(text->valueForKey(u"borderColor").value<Color>().toQColor(), QColor(Qt::red));
    EXPECT_TRUE(text->valueForKey(u"shadowEnabled").toBool());
    EXPECT_EQ(text->valueForKey(u"shadowColor").value<Color>().toQColor(), QColor(Qt::black));
    EXPECT_DOUBLE_EQ(text->valueForKey(u"shadowOpacity").toDouble(), 0.35);
    EXPECT_EQ(text->valueForKey(u"shadowAngle").toInt(), 240);
    EXPECT_EQ(text->valueForKey(u"shadowOffset").toInt(), 3);
    EXPECT_EQ(text->valueForKey(u"shadowBlurRadius").toInt(), 3);

    const ZVPuttyView* picture = elements[2];
    EXPECT_TRUE(picture->isLocked());
    EXPECT_EQ(pictureOf(picture).size(), QSizeF(6, 4));
    EXPECT_TRUE(picture->valueForKey(u"borderEnabled").toBool()) << "borders are on even with width 0";
    EXPECT_DOUBLE_EQ(picture->valueForKey(u"borderWidth").toDouble(), 0);
    EXPECT_FALSE(picture->valueForKey(u"shadowEnabled").toBool());

    const ZVPuttyView* broken = elements[3];
    EXPECT_EQ(broken->contentViewType(), ZVPuttyView::ImageContent);
    EXPECT_TRUE(broken->hasUndecodablePicture()) << "unreadable image data is kept, to be saved with the document";
    EXPECT_FALSE(broken->isLocked());
}

TEST_F(MobileImport, DesignWithoutFrameKeepsTheDefaultPageAndSkipsTheDrawing)
{
    Result<Document*> imported = controller.openDocumentWithContentsOfFile(fixture(QStringLiteral("mobile-no-frame.qvmobile")));
    ASSERT_TRUE(imported.ok());
    ZVCanvasView* page = (*imported)->contentPages()[0];
    EXPECT_EQ(page->frame(), QRectF(0, 0, 612, 1008));
    EXPECT_EQ(page->backgroundView()->backgroundType().toInt(), ZVBackgroundView::None);
    ASSERT_EQ(page->puttyViews().size(), 1);
    EXPECT_EQ(layerName(page->puttyViews()[0]), QStringLiteral("New Layer"));

    Result<Document*> pattern = controller.openDocumentWithContentsOfFile(fixture(QStringLiteral("mobile-pattern.qvmobile")));
    ASSERT_TRUE(pattern.ok());
    ZVBackgroundView* background = (*pattern)->contentPages()[0]->backgroundView();
    EXPECT_EQ(background->backgroundType().toInt(), ZVBackgroundView::ImageFill);
    EXPECT_EQ(background->backgroundImageMode().toInt(), ZVBackgroundView::Tiled);
    EXPECT_TRUE((*pattern)->contentPages()[0]->puttyViews().isEmpty());
}

TEST_F(MobileImport, ImportFromTheFileMenuAndUnreadableDesignsAreRefused)
{
    prompter.answerOpenPanel({fixture(QStringLiteral("mobile-pattern.qvmobile"))});
    Result<Document*> imported = controller.importDocumentFromPanel();
    ASSERT_TRUE(imported.ok());
    EXPECT_EQ(prompter.panels[0].allowedExtensions, QStringList{QStringLiteral("qvmobile")});
    ASSERT_TRUE(controller.closeDocument(*imported));

    // A desktop document renamed to the mobile extension is no design.
    Document desktop;
    desktop.showFirstPage();
    ql::testing::writeFile(path(QStringLiteral("renamed.qvmobile")), *desktop.dataOfType(kDesktopDocumentType));
    ql::testing::writeFile(path(QStringLiteral("noise.qvmobile")), QByteArray(300, '\x17'));
    for (const QString& name : {QStringLiteral("renamed.qvmobile"), QStringLiteral("noise.qvmobile")}) {
        Result<Document*> refused = controller.openDocumentWithContentsOfFile(path(name));
        ASSERT_FALSE(refused.ok()) << name.toStdString();
        EXPECT_TRUE(refused.error().message.contains(name));
    }
    EXPECT_TRUE(controller.documents().isEmpty());
}
