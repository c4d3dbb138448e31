#include "ArchiveTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/RulerMarker.h"

#include <QFile>

namespace {

const QStringList kPageChain {"ZVCanvasView", "ZVFlippedView", "NSView", "NSResponder", "NSObject"};
const QStringList kElementChain {"ZVPuttyView", "ZVFlippedView", "NSView", "NSResponder", "NSObject"};

QVariant objectValue(QObject* object)
{
    return QVariant::fromValue(object);
}

// Writes the given keys, every one holding a value of the wrong kind.
void writeWrongKinds(ql::KeyedArchiver& coder, const QStringList& keys, QObject* stranger)
{
    int i = 0;
    for (const QString& key : keys) {
        switch (i++ % 5) {
        case 0: coder.encodeObject(key, QVariant(QStringLiteral("nonsense"))); break;
        case 1: coder.encodeObject(key, objectValue(stranger)); break;
        case 2: coder.encodeDouble(key, std::numeric_limits<double>::quiet_NaN()); break;
        case 3: coder.encodeObject(key, QVariant(QVariantList {1, 2})); break;
        default: coder.encodePrimitive(key, QVariant(QByteArray("\x01\x02"))); break;
        }
    }
}

} // namespace

TEST(HostileArchive, BrokenMembershipAndMissingMasterKeepEveryElement)
{
    ZVCanvasView page;
    ZVPuttyViewGroup* second = page.addLayoutLayer(QStringLiteral("Second"));
    auto* a = ZVPuttyView::initWithText().release();
    auto* b = ZVPuttyView::initWithText().release();
    page.addPuttyView(a);
    b->setLayoutLayerGroup(second);
    page.addPuttyView(b);
    // b is listed in both layers, and the first layer lists an element that does not exist.
    page.layoutLayers().first()->appendUuid(b->uuid());
    page.layoutLayers().first()->appendUuid(QStringLiteral("00000000-0000-0000-0000-000000000000"));
    page.setValueForKey(u"masterPageUUID", QStringLiteral("NO-SUCH-MASTER"));

    auto read = readBack<ZVCanvasView>(archiveOf(&page));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->puttyViews().size(), 2);
    EXPECT_EQ(read->masterPageUUID(), QStringLiteral("NO-SUCH-MASTER"));
    EXPECT_EQ(read->templateView(), read.get()) << "no master is linked by reading";
    EXPECT_EQ(read->layoutLayers().first()->groupedViews(), QStringList {a->uuid()});
    EXPECT_EQ(read->layoutLayers().last()->groupedViews(), QStringList {b->uuid()});
    EXPECT_EQ(read->stackedPuttyViews().size(), 2) << "each element shows once";
}

TEST(HostileArchive, WrongKindsForEveryKeyLoseOnlyThoseSettings)
{
    auto good = ZVPuttyView::initWithText();
    good->setFrame(QRectF(10, 10, 200, 200));
    qobject_cast<ZVTextView*>(good->contentView())->setString(QStringLiteral("kept"));
    ForgedRecord stranger({"ZVPuttyViewGroup", "NSObject"}, [](ql::KeyedArchiver&) {});


    ForgedRecord badElement(kElementChain, [&](ql::KeyedArchiver& coder) {
        writeWrongKinds(coder, kElementKeys, &stranger);
    });

    ForgedRecord badPage(kPageChain, [&](ql::KeyedArchiver& coder) {
        QStringList pageKeys = kPageKeys;
        pageKeys.removeAll(QStringLiteral("puttyViews"));
        writeWrongKinds(coder, pageKeys, &stranger);
        coder.encodeObject(QStringLiteral("puttyViews"),
                           QVariantList {objectValue(good.get()), objectValue(&badElement), QStringLiteral("x"),
                                         objectValue(&stranger), objectValue(good.get())});
    });

    auto page = readBack<ZVCanvasView>(archiveOf(&badPage));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->leftMargin(), 36.0);
    EXPECT_EQ(page->pageSize(), 1);
    EXPECT_EQ(page->frame(), QRectF(0, 0, 612, 792));
    EXPECT_EQ(page->valueForKey(u"rowGutter"), QVariant(18));
    ASSERT_EQ(page->layoutLayers().size(), 1);
    ASSERT_NE(page->backgroundView(), nullptr);
    EXPECT_FALSE(page->uuid().isEmpty()) << "a string is a string, whatever it says";

    ASSERT_EQ(page->puttyViews().size(), 2) << "both elements, each once; strangers dropped";
    const ZVPuttyView* kept = page->puttyViews().at(0);
    EXPECT_EQ(qobject_cast<ZVTextView*>(kept->contentView())->string(), QStringLiteral("kept"));
    EXPECT_EQ(kept->frame(), QRectF(10, 10, 200, 200));
    const ZVPuttyView* damaged = page->puttyViews().at(1);
    EXPECT_EQ(damaged->valueForKey(u"layerOpacity"), QVariant(0.998));
    EXPECT_EQ(damaged->valueForKey(u"shadowColor").value<ql::Color>(), ql::Color::black());
    EXPECT_EQ(damaged->frameCenterRotation(), 0.0);
    EXPECT_NE(damaged->backgroundView(), nullptr);
    EXPECT_NE(damaged->reflectionView(), nullptr);
    EXPECT_EQ(damaged->layoutLayerGroup(), page->layoutLayers().first().data());
    EXPECT_TRUE(page->layoutLayers().first()->listsUuid(damaged->uuid()));
    EXPECT_EQ(page->stackedPuttyViews().size(), 2);
}

TEST(HostileArchive, PageGeometryOutOfRangeIsBroughtIntoTheRangesTheSettingsAllow)
{
    ql::RulerMarker far;
    far.location = 1e30;
    ForgedRecord huge(kPageChain, [&](ql::KeyedArchiver& coder) {
        coder.encodeInt32(QStringLiteral("pageSize"), 0);
        coder.encodeFloat(QStringLiteral("pageWidth"), 1e7);
        coder.encodeFloat(QStringLiteral("pageHeight"), 0.5);
        coder.encodeFloat(QStringLiteral("topMargin"), -10);
        coder.encodeFloat(QStringLiteral("bleedMargin"), 1e30);
        coder.encodeBool(QStringLiteral("fullBleed"), true);
        coder.encodeObject(QStringLiteral("colNumber"), QVariant(qint64(1'000'000'000)));
        coder.encodeObject(QStringLiteral("rowGutter"), QVariant(1e30));
        coder.encodeObject(QStringLiteral("horizontalMarkers"), QVariantList {QVariant::fromValue(far)});
    });
    auto page = readBack<ZVCanvasView>(archiveOf(&huge));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->frame(), QRectF(0, 0, 14400 + 2 * 1440, 3 + 2 * 1440));
    EXPECT_EQ(page->topMargin(), 0.0);
    EXPECT_EQ(page->valueForKey(u"colNumber"), QVariant(100));
    EXPECT_EQ(page->valueForKey(u"rowGutter"), QVariant(14400.0));
    EXPECT_TRUE(page->horizontalMarkers().isEmpty());

    ForgedRecord empty(kPageChain, [&](ql::KeyedArchiver& coder) {
        coder.encodeInt32(QStringLiteral("pageSize"), 0);
        coder.encodeFloat(QStringLiteral("pageWidth"), 0);
    });
    page = readBack<ZVCanvasView>(archiveOf(&empty));
    ASSERT_TRUE(page);
    EXPECT_EQ(page->pageSize(), 1) << "a custom page of no size is the default page";
    EXPECT_EQ(page->frame(), QRectF(0, 0, 612, 792));
}

TEST(HostileArchive, PartsClaimedTwiceStayWithTheirFirstOwner)
{
    // Two elements that name the same content and background objects.
    auto shared = ZVPuttyView::initWithText();
    ForgedRecord twin(kElementChain, [&](ql::KeyedArchiver& coder) {
        coder.encodeObject(QStringLiteral("contentView"), objectValue(shared->contentView()));
        coder.encodeObject(QStringLiteral("backgroundView"), objectValue(shared->backgroundView()));
        coder.encodeObject(QStringLiteral("reflectionView"), objectValue(shared->backgroundView()));
    });
    ForgedRecord page(kPageChain, [&](ql::KeyedArchiver& coder) {
        coder.encodeObject(QStringLiteral("puttyViews"), QVariantList {objectValue(shared.get()), objectValue(&twin)});
    });
    auto read = readBack<ZVCanvasView>(archiveOf(&page));
    ASSERT_TRUE(read);
    ASSERT_EQ(read->puttyViews().size(), 2);
    const ZVPuttyView* first = read->puttyViews().at(0);
    const ZVPuttyView* second = read->puttyViews().at(1);
    EXPECT_NE(first->contentView(), nullptr);
    EXPECT_NE(second->backgroundView(), first->backgroundView());
    EXPECT_NE(second->reflectionView(), nullptr);
    EXPECT_EQ(first->contentView()->parent(), first);
}
