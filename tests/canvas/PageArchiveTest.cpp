#include "ArchiveTestSupport.h"
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/RulerMarker.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFDrawable.h"

#include <QImage>

namespace {

struct SamplePage {
    std::unique_ptr<ZVCanvasView> page = std::make_unique<ZVCanvasView>();
    ZVPuttyView* image = nullptr;
    ZVPuttyView* text = nullptr;
    ZVPuttyView* shape = nullptr;
    ZVPuttyView* text3d = nullptr;

    SamplePage()
    {
        ZVCanvasView& p = *page;
        p.setValueForKey(u"topMargin", 36.123456789);
        p.setValueForKey(u"fullBleed", true);
        p.setValueForKey(u"bleedMargin", 12.5);
        p.setValueForKey(u"showBleedCropMarks", false);
        p.setValueForKey(u"showColumnRowGuides", true);
        p.setValueForKey(u"rowNumber", 3);
        p.setValueForKey(u"colGutter", 12.25);
        p.setValueForKey(u"colRowStyle", 1);
        p.setValueForKey(u"clipToMargins", true);
        p.setValueForKey(u"horizontalMarkers", QVariantList {QVariant::fromValue(ql::RulerMarker {72.0})});
        p.backgroundView()->setBackgroundType(2);
        p.backgroundView()->setBackgroundGradientColor1(QVariant::fromValue(ql::Color::deviceRgb(1, 0.5, 0)));
        ZVPuttyViewGroup* middle = p.addLayoutLayer(QStringLiteral("Middle"));
        ZVPuttyViewGroup* top = p.addLayoutLayer(QStringLiteral("Top"));
        top->setPrintable(false);

        QImage bitmap(64, 32, QImage::Format_ARGB32);
        bitmap.fill(QColor(10, 200, 30, 128));
        image = place(ZVPuttyView::initWithImage(ql::Image(bitmap)), p.layoutLayers().first());
        text = place(ZVPuttyView::initWithText(), middle);
        shape = place(ZVPuttyView::initWithVector(ql::BezierPath::ovalInRect(QRectF(0, 0, 50, 40)), QStringLiteral("ring")),
                      top);
        text3d = place(ZVPuttyView::initWith3DText(QStringLiteral("Deep")), middle);

        image->setFrame(QRectF(-20, 30, 200, 150));
        image->setRotation(33.333333333);
        image->setValueForKey(u"imageXOffset", 1.1);
        image->setValueForKey(u"shadowOpacity", 0.8);
        image->setValueForKey(u"shadowColor", QVariant::fromValue(ql::Color::deviceCmyk(0.1, 0.2, 0.3, 0.4)));
        image->setValueForKey(u"borderWidth", 4);
        image->setValueForKey(u"layerOpacity", 0.5);
        image->setValueForKey(u"viewID", 7);
        image->backgroundView()->setBackgroundType(1);
        qobject_cast<ZVTextView*>(text->contentView())->setString(QStringLiteral("Hello"));
        qobject_cast<ZVTextView*>(text->contentView())->setClippingRects({QRectF(1, 2, 3, 4)});
        text->setValueForKey(u"causesWrap", true);
        text->setValueForKey(u"wrapMargins", 6);
        shape->setValueForKey(u"hideFromPrinting", true);
        qobject_cast<ZVVectorView*>(shape->contentView())->backgroundView()->setBackgroundImageScale(0.75);

        auto* group = new ZVPuttyViewGroup;
        group->setGroupedViews({text->uuid(), text3d->uuid()});
        text->setGroup(group);
        text3d->setGroup(group);
    }

    ZVPuttyView* place(std::unique_ptr<ZVPuttyView> made, ZVPuttyViewGroup* layer)
    {
        ZVPuttyView* element = made.release();
        element->setLayoutLayerGroup(layer);
        page->addPuttyView(element);
        return element;
    }
};

ZVPuttyView* byUuid(const ZVCanvasView& page, const QString& uuid)
{
    for (ZVPuttyView* element : page.puttyViews()) {
        if (element->uuid() == uuid)
            return element;
    }
    return nullptr;
}

} // namespace

TEST(PageArchive, PageRoundTripsWithLayersElementsAndBackgrounds)
{
    SamplePage sample;
    const QByteArray data = archiveOf(sample.page.get());
    auto page = readBack<ZVCanvasView>(data);
    ASSERT_TRUE(page);
    const ZVCanvasView& original = *sample.page;

    EXPECT_EQ(page->uuid(), original.uuid());
    EXPECT_TRUE(page->masterPageUUID().isNull());
    EXPECT_EQ(page->topMargin(), 36.12345504760742) << "margins are stored as 32-bit floats";
    EXPECT_EQ(page->bleedMargin(), 12.5);
    EXPECT_TRUE(page->fullBleed());
    EXPECT_FALSE(page->showBleedCropMarks());
    EXPECT_TRUE(page->clipToMargins());
    EXPECT_EQ(page->valueForKey(u"rowNumber"), QVariant(3));
    EXPECT_EQ(page->valueForKey(u"colGutter"), QVariant(12.25));
    EXPECT_EQ(page->valueForKey(u"colRowStyle"), QVariant(1));
    EXPECT_EQ(page->valueForKey(u"horizontalMarkers"), original.valueForKey(u"horizontalMarkers"));
    EXPECT_EQ(page->frame(), original.frame());
    EXPECT_EQ(page->drawingMode(), QVariant(0));
    EXPECT_EQ(page->backgroundView()->backgroundGradientColor1(), original.backgroundView()->backgroundGradientColor1());
    EXPECT_TRUE(page->backgroundView()->gradient().isValid()) << "the drawable state is derived after reading";
    EXPECT_EQ(page->backgroundView()->currentPage(), page.get());

    ASSERT_EQ(page->layoutLayers().size(), 3);
    EXPECT_EQ(page->layoutLayers().at(1)->groupName(), QStringLiteral("Middle"));
    EXPECT_FALSE(page->layoutLayers().at(2)->printable());
    EXPECT_EQ(page->currentLayoutLayer(), page->layoutLayers().last().data()) << "the top layer becomes current";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(page->layoutLayers().at(i)->groupedViews(), original.layoutLayers().at(i)->groupedViews());

    ASSERT_EQ(page->puttyViews().size(), 4);
    ZVPuttyView* image = byUuid(*page, sample.image->uuid());
    ZVPuttyView* text = byUuid(*page, sample.text->uuid());
    ZVPuttyView* shape = byUuid(*page, sample.shape->uuid());
    ZVPuttyView* text3d = byUuid(*page, sample.text3d->uuid());
    ASSERT_TRUE(image && text && shape && text3d);
    EXPECT_EQ(text->layoutLayerGroup(), page->layoutLayers().at(1).data()) << "one shared layer object";
    EXPECT_EQ(text3d->layoutLayerGroup(), text->layoutLayerGroup());
    EXPECT_EQ(shape->layoutLayerGroup(), page->layoutLayers().at(2).data());
    EXPECT_EQ(text->group(), text3d->group());
    ASSERT_TRUE(text->group());
    EXPECT_EQ(text->group()->groupedViews(), (QStringList {text->uuid(), text3d->uuid()}));

    // Every element setting, by its own table.
    for (const ZVPuttyView* before : original.puttyViews()) {
        const ZVPuttyView* after = byUuid(*page, before->uuid());
        for (const QString& key : QStringList {"contentViewType", "reflectionEnabled", "reflectionOpacity",
                 "reflectionHeight", "shadowEnabled", "shadowOffset", "shadowAngle", "shadowBlurRadius",
                 "shadowOpacity", "shadowColor", "innerShadowEnabled", "innerShadowOffset", "innerShadowAngle",
                 "innerShadowBlurRadius", "innerShadowOpacity", "innerShadowColor", "hideFromPrinting", "causesWrap",
                 "wrapType", "wrapMargins", "isLocked", "cropEligible", "cropMode", "borderEnabled", "borderType",
                 "borderWidth", "borderRadius", "borderColor", "borderOpacity", "borderStyle", "layerOpacity",
                 "imageMode", "cropScale", "cropRect", "viewID", "frame", "leftOffset", "topOffset"}) {
            const QVariant expected = before->valueForKey(key);
            const QVariant actual = after->valueForKey(key);
            EXPECT_EQ(actual, expected) << qPrintable(key) << " of kind " << before->contentViewType();
            if (expected.isValid()) {
                EXPECT_EQ(actual.typeId(), expected.typeId()) << qPrintable(key) << " keeps its number kind";
            }
        }
    }
    EXPECT_EQ(image->frameCenterRotation(), 33.33333206176758);
    EXPECT_EQ(image->imageXOffset(), double(1.1f));
    EXPECT_EQ(image->backgroundView()->backgroundType(), QVariant(1));
    EXPECT_EQ(image->backgroundView()->insets(), 40.0f);
    EXPECT_EQ(image->backgroundView()->puttyView(), image);

    // Contents.
    auto* picture = qobject_cast<ZVImageView*>(image->contentView());
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->originalImage().pixelSize(), QSize(64, 32));
    EXPECT_TRUE(picture->originalImage().hasAlpha()) << "a picture with alpha is stored losslessly";
    EXPECT_FALSE(picture->image().isNull()) << "the shown picture is rebuilt";
    EXPECT_EQ(picture->puttyView(), image);
    EXPECT_EQ(qobject_cast<ZVTextView*>(text->contentView())->string(), QStringLiteral("Hello"));
    EXPECT_EQ(qobject_cast<ZVTextView*>(text->contentView())->clippingRects(), (QList<QRectF> {QRectF(1, 2, 3, 4)}));
    EXPECT_EQ(qobject_cast<ZV3DTextView*>(text3d->contentView())->string(), QStringLiteral("Deep"));
    auto* vector = qobject_cast<ZVVectorView*>(shape->contentView());
    ASSERT_TRUE(vector);
    EXPECT_EQ(vector->shapeName(), QStringLiteral("ring"));
    const DFDrawable* drawnBefore = qobject_cast<ZVVectorView*>(sample.shape->contentView())->shape();
    ASSERT_TRUE(vector->shape() && drawnBefore);
    EXPECT_EQ(vector->shape()->path().elementCount(), drawnBefore->path().elementCount());
    EXPECT_EQ(vector->shape()->bounds(), drawnBefore->bounds());
    EXPECT_EQ(vector->backgroundView()->backgroundImageScale(), QVariant(0.75));
    EXPECT_TRUE(vector->backgroundView()->vectorBacking());

    // Written again, the archive is the same.
    EXPECT_EQ(archiveOf(page.get()), data);
}

TEST(PageArchive, PlistlibSeesEveryKeyInOrderWithItsKind)
{
    SamplePage sample;
    const QJsonObject view = plistlibView(archiveOf(sample.page.get()));
    EXPECT_EQ(view.value(QStringLiteral("archiver")).toString(), QStringLiteral("NSKeyedArchiver"));

    const QList<QJsonObject> pages = recordsOfClass(view, QStringLiteral("ZVCanvasView"));
    ASSERT_EQ(pages.size(), 1);
    const QList<QPair<QString, QString>> pageKeys = keyKinds(pages.first());
    const QStringList& pageOrder = kPageKeys;
    ASSERT_EQ(pageKeys.size(), pageOrder.size());
    for (int i = 0; i < pageOrder.size(); ++i)
        EXPECT_EQ(pageKeys.at(i).first, pageOrder.at(i));
    const QMap<QString, QString> kinds = kindMap(pageKeys);
    EXPECT_EQ(kinds.value("frame"), "string");
    EXPECT_EQ(kinds.value("pageWidth"), "real");
    EXPECT_EQ(kinds.value("pageSize"), "int");
    EXPECT_EQ(kinds.value("clipToMargins"), "bool");
    EXPECT_EQ(kinds.value("rowNumber"), "ref:int");
    EXPECT_EQ(kinds.value("colGutter"), "ref:real");
    EXPECT_EQ(kinds.value("drawingMode"), "ref:int");
    EXPECT_EQ(kinds.value("backgroundView"), "object:ZVBackgroundView");
    EXPECT_EQ(kinds.value("masterPageUUID"), "null");
    EXPECT_EQ(pages.first().value("values").toObject().value("topMargin").toDouble(), 36.12345504760742);

    const QList<QJsonObject> elements = recordsOfClass(view, QStringLiteral("ZVPuttyView"));
    ASSERT_EQ(elements.size(), 4);
    const QStringList& elementOrder = kElementKeys;
    for (const QJsonObject& element : elements) {
        const QList<QPair<QString, QString>> keys = keyKinds(element);
        ASSERT_EQ(keys.size(), elementOrder.size());
        for (int i = 0; i < elementOrder.size(); ++i)
            EXPECT_EQ(keys.at(i).first, elementOrder.at(i));
        const QMap<QString, QString> elementKinds = kindMap(keys);
        EXPECT_EQ(elementKinds.value("reflectionHeight"), "ref:int");
        EXPECT_EQ(elementKinds.value("reflectionOpacity"), "ref:real");
        EXPECT_EQ(elementKinds.value("borderOpacity"), "ref:int");
        EXPECT_EQ(elementKinds.value("layerOpacity"), "ref:real");
        EXPECT_EQ(elementKinds.value("contentViewType"), "int");
        EXPECT_EQ(elementKinds.value("frameRotation"), "real");
        EXPECT_EQ(elementKinds.value("shadowColor"), "object:NSColor");
        EXPECT_EQ(elementKinds.value("layoutLayerGroup"), "object:ZVPuttyViewGroup");
    }
    // One layer record per layer however many elements share it.
    EXPECT_EQ(recordsOfClass(view, QStringLiteral("ZVPuttyViewGroup")).size(), 4);
    EXPECT_EQ(recordsOfClass(view, QStringLiteral("ZVBackgroundView")).size(), 6);
    const QList<QPair<QString, QString>> layerKeys = keyKinds(recordsOfClass(view, "ZVPuttyViewGroup").first());
    EXPECT_EQ(layerKeys, (QList<QPair<QString, QString>> {{"groupedViews", "object:NSMutableArray"},
                                                         {"groupName", "ref:string"},
                                                         {"visible", "bool"},
                                                         {"printable", "bool"}}));
}

TEST(PageArchive, CopyHasItsOwnRecordsAndTheSameContent)
{
    SamplePage sample;
    std::unique_ptr<ZVPuttyView> copy = sample.text->copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->uuid(), sample.text->uuid());
    EXPECT_EQ(copy->frame(), sample.text->frame());
    ASSERT_TRUE(copy->group() && copy->layoutLayerGroup());
    EXPECT_NE(copy->group(), sample.text->group());
    EXPECT_NE(copy->layoutLayerGroup(), sample.text->layoutLayerGroup());
    EXPECT_EQ(copy->layoutLayerGroup()->groupName(), QStringLiteral("Middle"));
    EXPECT_NE(copy->contentView(), sample.text->contentView());
    EXPECT_EQ(qobject_cast<ZVTextView*>(copy->contentView())->string(), QStringLiteral("Hello"));
    EXPECT_EQ(copy->canvas(), nullptr);
}

TEST(PageArchive, LoadingLeavesNothingToUndo)
{
    SamplePage sample;
    const QByteArray data = archiveOf(sample.page.get());
    TestDocument document;
    auto page = readBack<ZVCanvasView>(data);
    ASSERT_TRUE(page);
    page->setParent(&document);
    page->setDocument(&document);
    endTurn();
    EXPECT_FALSE(document.undo.canUndo());

    // The loaded page records its user's changes from then on.
    page->setValueForKey(u"leftMargin", 20.0);
    page->puttyViews().first()->setValueForKey(u"shadowEnabled", true);
    page->backgroundView()->setBackgroundType(0);
    endTurn();
    document.undo.undo();
    EXPECT_TRUE(page->leftMargin() != 20.0);
    EXPECT_FALSE(page->puttyViews().first()->valueForKey(u"shadowEnabled").toBool());
    EXPECT_EQ(page->backgroundView()->backgroundType(), QVariant(2));
    page.release();
}

TEST(PageArchive, LayerListsOfOldFiles)
{
    const QStringList viewChain {"ZVCanvasView", "ZVFlippedView", "NSView", "NSResponder", "NSObject"};
    // An empty layer list: one layer "Layer", current.
    ForgedRecord empty(viewChain, [](ql::KeyedArchiver& coder) {
        coder.encodeObject(QStringLiteral("layoutLayers"), QVariantList {});
    });
    auto page = readBack<ZVCanvasView>(archiveOf(&empty));
    ASSERT_TRUE(page);
    ASSERT_EQ(page->layoutLayers().size(), 1);
    EXPECT_EQ(page->layoutLayers().first()->groupName(), QStringLiteral("Layer"));
    EXPECT_EQ(page->currentLayoutLayer(), page->layoutLayers().first().data());
    // Missing keys keep a new page's settings.
    EXPECT_EQ(page->bleedMargin(), 9.0);
    EXPECT_TRUE(page->showBleedCropMarks());
    EXPECT_EQ(page->valueForKey(u"rowNumber"), QVariant(1));
    EXPECT_EQ(page->frame(), QRectF(0, 0, 612, 792));

    // A layer record without "visible" or "groupedViews" stays visible and empty.
    ForgedRecord layer({"ZVPuttyViewGroup", "NSObject"}, [](ql::KeyedArchiver& coder) {
        coder.encodeObject(QStringLiteral("groupName"), QVariant(QStringLiteral("Old")));
    });
    auto old = readBack<ZVPuttyViewGroup>(archiveOf(&layer));
    ASSERT_TRUE(old);
    EXPECT_TRUE(old->visible());
    EXPECT_TRUE(old->printable());
    EXPECT_TRUE(old->groupedViews().isEmpty());
    EXPECT_EQ(old->groupName(), QStringLiteral("Old"));

    // An element without "layerOpacity" keeps 0.998 and stays visible.
    ForgedRecord element({"ZVPuttyView", "ZVFlippedView", "NSView", "NSResponder", "NSObject"},
                         [](ql::KeyedArchiver& coder) { coder.encodeRect(QStringLiteral("frame"), QRectF(0, 0, 100, 100)); });
    auto read = readBack<ZVPuttyView>(archiveOf(&element));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->valueForKey(u"layerOpacity"), QVariant(0.998));
    EXPECT_EQ(read->valueForKey(u"shadowColor").value<ql::Color>(), ql::Color::black());
    EXPECT_EQ(read->frame(), QRectF(0, 0, 100, 100));
    EXPECT_EQ(read->uuid().size(), 36) << "an element read without identity gets one";
}
