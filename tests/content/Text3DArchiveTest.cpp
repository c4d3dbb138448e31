// The 3D text record: its 14 keys in order with their kinds as plistlib reads
// them, the point of view record, reading back with a turned view, copies,
// and damaged records.
#include "Text3DTestSupport.h"

#include "canvas/ArchiveTestSupport.h"
#include "platform/graphics/Color.h"

#include <gtest/gtest.h>

using namespace text3d;

namespace {

const QStringList kText3DKeys = QStringLiteral(
    "gradient gradientAngle gradientType innerShadowEnabled frame string fontSize extrusionDepth chamferRadius "
    "fontFamily frontColor sideColor isShiny pointOfView").split(QLatin1Char(' '));

void changeEverything(ZV3DTextView& view)
{
    view.setString(QStringLiteral("Two\nlines"));
    view.setFontSize(150);
    view.setExtrusionDepth(8.5);
    view.setChamferRadius(1);
    view.setFontFamily(QStringLiteral("Nimbus Sans"));
    view.setFrontColor(QVariant::fromValue(ql::Color::calibratedRgb(0.9, 0.2, 0.1)));
    view.setSideColor(QVariant::fromValue(ql::Color::calibratedRgb(0.1, 0.5, 0.2)));
    view.setIsShiny(true);
    view.setGradientAngle(30);
    view.setAllowsCameraControl(true);
    view.cameraMouseDown(QPointF(10, 10));
    view.cameraMouseUp(QPointF(90, 40));
    view.setAllowsCameraControl(false);
}

} // namespace

TEST(Text3DArchive, PlistlibReadsTheKeysInOrderWithTheirKinds)
{
    Text3DBox box;
    changeEverything(*box.view);
    const QByteArray data = archiveOf(box.view);
    const QJsonObject records = plistlibView(data);
    const QList<QJsonObject> views = recordsOfClass(records, QStringLiteral("ZV3DTextView"));
    ASSERT_EQ(views.size(), 1);
    const QList<QPair<QString, QString>> keys = keyKinds(views.first());
    QStringList names;
    for (const auto& key : keys)
        names.append(key.first);
    EXPECT_EQ(names, kText3DKeys);
    const QMap<QString, QString> kinds = kindMap(keys);
    EXPECT_EQ(kinds.value("fontSize"), "ref:int");
    EXPECT_EQ(kinds.value("extrusionDepth"), "ref:real");
    EXPECT_EQ(kinds.value("chamferRadius"), "ref:int");
    EXPECT_EQ(kinds.value("isShiny"), "bool");
    EXPECT_EQ(kinds.value("innerShadowEnabled"), "bool");
    EXPECT_EQ(kinds.value("frontColor"), "object:NSColor");
    EXPECT_EQ(kinds.value("frame"), "string");
    EXPECT_EQ(kinds.value("pointOfView"), "object:SCNNode");

    const QList<QJsonObject> nodes = recordsOfClass(records, QStringLiteral("SCNNode"));
    ASSERT_EQ(nodes.size(), 1);
    const QMap<QString, QString> nodeKinds = kindMap(keyKinds(nodes.first()));
    for (const char* key : {"positionX", "positionY", "positionZ", "orientationX", "orientationY", "orientationZ",
                            "orientationW"})
        EXPECT_EQ(nodeKinds.value(key), "real") << key;
    EXPECT_EQ(nodeKinds.value("camera"), "object:SCNCamera");
    const QList<QJsonObject> cameras = recordsOfClass(records, QStringLiteral("SCNCamera"));
    ASSERT_EQ(cameras.size(), 1);
    const QMap<QString, QString> cameraKinds = kindMap(keyKinds(cameras.first()));
    EXPECT_EQ(cameraKinds.value("orthographicScale"), "real");
    EXPECT_EQ(cameraKinds.value("zFar"), "real");
    EXPECT_EQ(cameraKinds.value("usesOrthographicProjection"), "bool");
}

TEST(Text3DArchive, AReopenedElementIsTheSameAndDrawsTheSameBytes)
{
    Text3DBox box;
    changeEverything(*box.view);
    const QByteArray data = archiveOf(box.element);
    const std::unique_ptr<ZVPuttyView> element = readBack<ZVPuttyView>(data);
    ASSERT_TRUE(element);
    auto* view = qobject_cast<ZV3DTextView*>(element->contentView());
    ASSERT_TRUE(view);
    for (const QString& key : kText3DKeys) {
        if (key == QLatin1String("pointOfView"))
            continue;
        EXPECT_EQ(view->valueForKey(key), box.view->valueForKey(key)) << qPrintable(key);
        EXPECT_EQ(view->valueForKey(key).typeId(), box.view->valueForKey(key).typeId()) << qPrintable(key);
    }
    ASSERT_NE(&view->pointOfView(), &view->cameraNode()) << "the turned view comes back";
    EXPECT_EQ(view->pointOfView().position(), box.view->pointOfView().position());
    EXPECT_EQ(view->pointOfView().orientation(), box.view->pointOfView().orientation());
    EXPECT_EQ(view->pointOfView().camera(), box.view->pointOfView().camera());
    EXPECT_EQ(view->renderImage(QSizeF(600, 200)), box.view->renderImage(QSizeF(600, 200)));

    // A copy has a scene of its own.
    const std::unique_ptr<ZV3DTextView> copy = box.view->copy();
    ASSERT_TRUE(copy);
    EXPECT_NE(&copy->scene(), &box.view->scene());
    copy->setString(QStringLiteral("Else"));
    EXPECT_EQ(box.view->string(), QStringLiteral("Two\nlines"));
    EXPECT_NE(copy->text(), box.view->text());
}

TEST(Text3DArchive, DamagedRecordsKeepTheDefaults)
{
    // A record whose values are all of other kinds, and a point of view with
    // no usable numbers.
    ForgedRecord record({QStringLiteral("ZV3DTextView"), QStringLiteral("SCNView"), QStringLiteral("NSView"),
                       QStringLiteral("NSResponder"), QStringLiteral("NSObject")},
                      [](ql::KeyedArchiver& coder) {
                          coder.encodeObject(QStringLiteral("string"), QVariant(12));
                          coder.encodeObject(QStringLiteral("fontSize"), QVariant(QStringLiteral("big")));
                          coder.encodeObject(QStringLiteral("frontColor"), QVariant(3.5));
                          coder.encodeBool(QStringLiteral("isShiny"), true);
                          coder.encodeReference(
                              QStringLiteral("pointOfView"),
                              coder.encodeRecord({QStringLiteral("SCNNode"), QStringLiteral("NSObject")},
                                                 [](ql::KeyedArchiver& node) {
                                                     node.encodeObject(QStringLiteral("positionX"),
                                                                       QVariant(QStringLiteral("x")));
                                                 }));
                      });
    const std::unique_ptr<ZV3DTextView> view = readBack<ZV3DTextView>(archiveOf(&record));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->string(), QStringLiteral("Double click to rotate me."));
    EXPECT_EQ(view->fontSize(), QVariant(120));
    EXPECT_EQ(view->frontColor().value<ql::Color>(), ql::Color::calibratedRgb(0, 0, 1));
    EXPECT_TRUE(view->isShiny());
    EXPECT_EQ(&view->pointOfView(), &view->cameraNode());
    EXPECT_FALSE(view->renderImage(QSizeF(100, 50)).isNull());
}

TEST(Text3DArchive, AStringOfTwoHundredThousandLettersIsKeptWholeAndDrawnFromItsBeginning)
{
    Text3DBox box;
    box.view->setChamferRadius(1);
    box.view->setString(QString(200000, QLatin1Char('x')));
    const std::unique_ptr<ZVPuttyView> element = readBack<ZVPuttyView>(archiveOf(box.element));
    ASSERT_TRUE(element);
    auto* view = qobject_cast<ZV3DTextView*>(element->contentView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->string().size(), 200000);

    // Only so many letters are extruded, however long the string.
    ZV3DTextView shorter(QRectF(0, 0, 500, 200));
    shorter.setChamferRadius(1);
    shorter.setString(QString(10000, QLatin1Char('x')));
    ASSERT_TRUE(view->text() && shorter.text());
    EXPECT_EQ(view->text()->facets().size(), shorter.text()->facets().size());
    EXPECT_EQ(view->text()->boundingBoxMax(), shorter.text()->boundingBoxMax());
    EXPECT_TRUE(opaqueBounds(view->renderImage(QSizeF(600, 200))).isValid()) << "the letters in view show";
}
