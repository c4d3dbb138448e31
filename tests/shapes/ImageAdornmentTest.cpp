#include "canvas/ArchiveTestSupport.h"
#include "shapes/ZVImageAdornment.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFStyle.h"

#include <QPainter>
#include <QTemporaryDir>
#include "ShapeTestSupport.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

// Draws the shape with only the adornment in its style on a transparent
// 300 × 300 picture.
QImage drawn(DFImageShape& shape, std::unique_ptr<ZVImageAdornment> adornment)
{
    auto style = std::make_unique<DFStyle>();
    style->addRenderer(std::move(adornment));
    shape.setStyle(std::move(style));
    QImage picture(300, 300, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    shape.drawContentWithStyle(painter);
    return picture;
}

bool red(const QImage& picture, int x, int y)
{
    const QColor c = picture.pixelColor(x, y);
    return c.alpha() > 250 && c.red() > 250 && c.green() < 5;
}

} // namespace

TEST(ImageAdornment, SettersClampAnglesReadInDegreesAndFittingScalesTheObject)
{
    ZVImageAdornment adornment;
    EXPECT_EQ(adornment.scale(), 1.0);
    EXPECT_EQ(adornment.opacity(), 1.0);
    EXPECT_EQ(adornment.operation(), 2u);
    EXPECT_EQ(adornment.fittingOption(), 2);
    EXPECT_EQ(adornment.imageIdentifier(), QString(""));
    EXPECT_FALSE(adornment.isValid());
    EXPECT_TRUE(adornment.isFill());
    adornment.setScale(10);
    EXPECT_EQ(adornment.scale(), 8.0);
    adornment.setScale(0);
    EXPECT_EQ(adornment.scale(), 0.001);
    adornment.setScale(-3);
    EXPECT_EQ(adornment.scale(), 0.001);
    adornment.setOpacity(1.5);
    EXPECT_EQ(adornment.opacity(), 1.0);
    adornment.setOpacity(-0.5);
    EXPECT_EQ(adornment.opacity(), 0.0);
    adornment.setAngleInDegrees(90);
    EXPECT_DOUBLE_EQ(adornment.angle(), std::numbers::pi / 2);
    adornment.setAngle(-std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(adornment.angleInDegrees(), 270.0);

    DFImageShape object(ql::BezierPath::rect(QRectF(0, 0, 100, 50)));
    adornment.setImage(shapetest::solid(QSize(200, 200), Qt::red));
    adornment.setAngle(0);
    const std::pair<int, QSizeF> fittings[] = {{0, {0.5, 0.25}}, {1, {0.25, 0.25}}, {2, {1.5, 1.5}}};
    adornment.setScale(1.5);
    for (const auto& [fitting, factors] : fittings) {
        adornment.setFittingOption(fitting);
        const QTransform t = adornment.imageTransformForObject(object);
        EXPECT_DOUBLE_EQ(t.m11(), factors.width()) << fitting;
        EXPECT_DOUBLE_EQ(t.m22(), factors.height()) << fitting;
        EXPECT_EQ(t.map(QPointF(0, 0)), QPointF(50, 25) + QPointF(0, 0)) << "centred on the object's location";
    }
    // The object's turn and the adornment's own add up; the origin is
    // translated in the scaled frame.
    object.setAngle(std::numbers::pi / 4);
    adornment.setAngle(std::numbers::pi / 4);
    adornment.setOrigin(QPointF(10, 0));
    const QPointF moved = adornment.imageTransformForObject(object).map(QPointF(0, 0));
    EXPECT_NEAR(moved.x(), 50.0, 1e-9);
    EXPECT_NEAR(moved.y(), 25.0 + 15.0, 1e-9);

    EXPECT_EQ(adornment.observableKeyPaths().mid(2),
              (QStringList {"image", "opacity", "scale", "fittingOption", "angle", "operation"}));
    EXPECT_EQ(adornment.actionNameForKeyPath(QStringLiteral("opacity")), QStringLiteral("Adornment Image Opacity"));

    const QTemporaryDir dir;
    EXPECT_TRUE(ZVImageAdornment::imageAdornmentWithImageFromFile(dir.filePath("missing.png"))->image().isNull());
    EXPECT_FALSE(ZVImageAdornment::imageAdornmentWithImage(shapetest::solid(QSize(2, 2), Qt::red))->image().isNull());
}

TEST(ImageAdornment, RendersCentredOnItsOriginTwiceAndClipsToOutlineOrBounds)
{
    DFImageShape disc(ql::BezierPath::ovalInRect(QRectF(50, 50, 200, 200)));
    auto fill = [] {
        auto adornment = ZVImageAdornment::imageAdornmentWithImage(shapetest::solid(QSize(400, 400), Qt::red));
        adornment->setScale(1.0);
        return adornment;
    };
    auto unclipped = fill();
    QImage picture = drawn(disc, std::move(unclipped));
    EXPECT_TRUE(red(picture, 52, 52)) << "without clipping the bounds' corners are covered";
    EXPECT_TRUE(red(picture, 247, 247));
    EXPECT_EQ(picture.pixelColor(40, 150).alpha(), 0) << "nothing beyond the bounds";
    auto clipped = fill();
    clipped->setClipping(DFRasterizer::ClipInsidePath);
    picture = drawn(disc, std::move(clipped));
    EXPECT_EQ(picture.pixelColor(52, 52).alpha(), 0) << "clipped to the outline";
    EXPECT_TRUE(red(picture, 150, 150));

    // A 20-point picture moved by (10, 0) lands 20 points off the centre.
    auto small = ZVImageAdornment::imageAdornmentWithImage(shapetest::solid(QSize(20, 20), Qt::red));
    small->setOrigin(QPointF(10, 0));
    picture = drawn(disc, std::move(small));
    EXPECT_TRUE(red(picture, 170, 150));
    EXPECT_TRUE(red(picture, 161, 141));
    EXPECT_FALSE(red(picture, 158, 150));
    EXPECT_FALSE(red(picture, 182, 150));

    // Opacity, and a switched-off adornment draws nothing.
    auto faint = fill();
    faint->setOpacity(0.5);
    picture = drawn(disc, std::move(faint));
    EXPECT_NEAR(picture.pixelColor(150, 150).alpha(), 128, 2);
    auto off = fill();
    off->setEnabled(false);
    EXPECT_EQ(drawn(disc, std::move(off)).pixelColor(150, 150).alpha(), 0);

    // Fitting to a picture of no size draws nothing rather than dividing by 0.
    for (const int fitting : {0, 1}) {
        ql::Image empty = shapetest::solid(QSize(4, 4), Qt::red);
        empty.setSize(QSizeF(0, 0));
        auto none = ZVImageAdornment::imageAdornmentWithImage(empty);
        none->setFittingOption(fitting);
        EXPECT_EQ(drawn(disc, std::move(none)).pixelColor(150, 150).alpha(), 0) << fitting;
    }
    // Without a picture of its own, one kept in the object's metadata.
    disc.setMetadataObject(QStringLiteral("fill"), QVariant::fromValue(shapetest::solid(QSize(400, 400), Qt::red)));
    ZVImageAdornment byKey;
    byKey.setImageIdentifier(QStringLiteral("fill"));
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    byKey.render(disc, painter);
    painter.end();
    EXPECT_TRUE(red(picture, 150, 150));
}

TEST(ImageAdornment, ArchivesEightKeysReadsThemThroughSettersAndCopiesWithoutOrigin)
{
    ZVImageAdornment adornment;
    adornment.setImage(shapetest::solid(QSize(8, 6), Qt::blue));
    adornment.setScale(2.5);
    adornment.setOpacity(0.25);
    adornment.setAngle(0.5);
    adornment.setOperation(14);
    adornment.setFittingOption(1);
    adornment.setImageIdentifier(QStringLiteral("ident-1"));
    adornment.setImageKey(QStringLiteral("key-1"));
    adornment.setOrigin(QPointF(4, 5));
    adornment.setClipping(2);

    const QByteArray data = archiveOf(&adornment);
    const QList<QJsonObject> records = recordsOfClass(plistlibView(data), QStringLiteral("ZVImageAdornment"));
    ASSERT_EQ(records.size(), 1);
    const QList<QPair<QString, QString>> kinds = keyKinds(records.first());
    const QList<QPair<QString, QString>> expected {
        {"enabled", "bool"},  {"clipping", "int"}, {"DFImageAdornment_imageKey", "ref:string"},
        {"image", "object:NSImage"}, {"scale", "real"}, {"opacity", "real"}, {"angle", "real"},
        {"operation", "int"}, {"fitting", "int"}, {"ident", "ref:string"},
    };
    EXPECT_EQ(kinds, expected);

    const std::unique_ptr<ZVImageAdornment> read = readBack<ZVImageAdornment>(data);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->image().pixelSize(), QSize(8, 6));
    EXPECT_EQ(read->scale(), 2.5);
    EXPECT_EQ(read->opacity(), 0.25);
    EXPECT_EQ(read->angle(), 0.5);
    EXPECT_EQ(read->operation(), 14u);
    EXPECT_EQ(read->fittingOption(), 1);
    EXPECT_EQ(read->imageIdentifier(), QStringLiteral("ident-1"));
    EXPECT_EQ(read->clipping(), 2);
    EXPECT_TRUE(read->imageKey().isNull()) << "written, never read";
    EXPECT_EQ(read->origin(), QPointF()) << "the owner sets the origin again";

    // A record without the adornment's keys reads as a new adornment, not
    // as an invisible one drawn with the clear operation.
    ForgedRecord bare(QStringList {"ZVImageAdornment", "DFRasterizer", "NSObject"},
                      [](ql::KeyedArchiver& coder) { coder.encodeObject(QStringLiteral("scale"), QVariant("big")); });
    const std::unique_ptr<ZVImageAdornment> defaults = readBack<ZVImageAdornment>(archiveOf(&bare));
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->scale(), 1.0);
    EXPECT_EQ(defaults->opacity(), 1.0);
    EXPECT_EQ(defaults->operation(), 2u);
    EXPECT_EQ(defaults->fittingOption(), 2);
    ForgedRecord extreme(QStringList {"ZVImageAdornment", "DFRasterizer", "NSObject"}, [](ql::KeyedArchiver& coder) {
        coder.encodeDouble(QStringLiteral("scale"), 50);
        coder.encodeDouble(QStringLiteral("opacity"), -2);
    });
    const std::unique_ptr<ZVImageAdornment> clamped = readBack<ZVImageAdornment>(archiveOf(&extreme));
    EXPECT_EQ(clamped->scale(), 8.0);
    EXPECT_EQ(clamped->opacity(), 0.0);

    const std::unique_ptr<DFRasterizer> copy = adornment.copy();
    auto* copied = qobject_cast<ZVImageAdornment*>(copy.get());
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->image(), adornment.image());
    EXPECT_EQ(copied->scale(), 2.5);
    EXPECT_EQ(copied->operation(), 14u);
    EXPECT_EQ(copied->imageIdentifier(), QStringLiteral("ident-1"));
    EXPECT_EQ(copied->clipping(), 2);
    EXPECT_EQ(copied->origin(), QPointF());
    EXPECT_TRUE(copied->imageKey().isNull());
}
