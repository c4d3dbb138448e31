#include "CanvasTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/RulerMarker.h"

#include <gtest/gtest.h>

namespace {

// The settable properties of an object that take values of any kind.
QStringList untypedProperties(const ql::KVObject& object)
{
    QStringList names;
    for (const ql::PropertyDef& def : object.properties().all()) {
        if (def.set && def.kind == ql::ValueKind::Any)
            names.append(QString::fromLatin1(object.metaObject()->className()) + QLatin1Char('.') + def.name);
    }
    return names;
}

void expectRefused(ql::KVObject& object, const char16_t* key, const QVariant& value)
{
    const QVariant before = object.valueForKey(key);
    const ql::Status status = object.setValueForKey(key, value);
    ASSERT_FALSE(status) << QString::fromUtf16(key).toStdString() << " took a " << value.typeName();
    EXPECT_EQ(status.error().code, ql::WrongKind);
    EXPECT_EQ(object.valueForKey(key), before) << "a refused value changes nothing";
}

} // namespace

TEST(PropertyKinds, EveryModelPropertySaysWhatItTakes)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ql::Document publication;
    std::vector<std::unique_ptr<ZVPuttyView>> elements;
    elements.push_back(ZVPuttyView::initWithText());
    elements.push_back(ZVPuttyView::initWithImage(ql::Image()));
    elements.push_back(ZVPuttyView::initWithVector(ql::BezierPath(), QStringLiteral("Square")));
    elements.push_back(ZVPuttyView::initWith3DText(QStringLiteral("3D")));

    QStringList untyped = untypedProperties(*page) + untypedProperties(*page->backgroundView())
                          + untypedProperties(*page->layoutLayers().first()) + untypedProperties(publication);
    for (const auto& element : elements)
        untyped += untypedProperties(*element) + untypedProperties(*element->contentView());
    EXPECT_TRUE(untyped.isEmpty()) << untyped.join(QLatin1Char(' ')).toStdString();
}

TEST(PropertyKinds, AValueOfTheWrongKindIsRefusedAndChangesNothing)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    const ZVPuttyViewGroupList layers = page->layoutLayers();
    expectRefused(*page, u"layoutLayers", 5);
    expectRefused(*page, u"layoutLayers", QVariant());
    expectRefused(*page, u"frame", QStringLiteral("wide"));
    expectRefused(*page, u"horizontalMarkers", QVariantList{QStringLiteral("not a guide")});
    EXPECT_EQ(page->layoutLayers(), layers);
    endTurn();
    EXPECT_FALSE(document.undo.canUndo()) << "nothing changed, nothing to undo";

    // The page still works: a new element lands in its layer and shows.
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page->addPuttyView(element);
    EXPECT_TRUE(page->stackedPuttyViews().contains(element));

    auto text = ZVPuttyView::initWithText();
    expectRefused(*text, u"frame", QStringLiteral("wide"));
    expectRefused(*text, u"shadowColor", QStringLiteral("red"));
    expectRefused(*text, u"stickPoint", QRectF());
    expectRefused(*page->backgroundView(), u"backgroundColor", 3);

    // The right kinds are taken, and a colour held as a variant may be unset.
    EXPECT_TRUE(page->setValueForKey(u"frame", QRectF(0, 0, 100, 100)));
    EXPECT_TRUE(page->setValueForKey(u"horizontalMarkers",
                                     QVariantList{QVariant::fromValue(ql::RulerMarker{20.0})}));
    EXPECT_TRUE(text->setValueForKey(u"shadowColor", QVariant::fromValue(ql::Color::deviceRgb(1, 0, 0))));
    EXPECT_TRUE(text->setValueForKey(u"shadowColor", QVariant()));
    const ZVPuttyViewGroupList more = layers + ZVPuttyViewGroupList{new ZVPuttyViewGroup};
    EXPECT_TRUE(page->setValueForKey(u"layoutLayers", QVariant::fromValue(more)));
    EXPECT_EQ(page->layoutLayers().size(), 2);
}
