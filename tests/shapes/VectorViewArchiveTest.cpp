#include "canvas/ArchiveTestSupport.h"
#include "canvas/CanvasTestSupport.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/PagePainter.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVBackgroundView.h"
#include "shapes/ShapeOutlines.h"
#include "shapes/ZVArrowStroke.h"
#include "shapes/ZVImageAdornment.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFShapeFactory.h"
#include "shapes/df/DFStyle.h"

#include "ShapeTestSupport.h"

#include <gtest/gtest.h>

namespace {

ZVVectorView* vectorOf(ZVPuttyView* element)
{
    return qobject_cast<ZVVectorView*>(element->contentView());
}

ZVPuttyView* addShape(ZVCanvasView& page, const ql::BezierPath& outline, const QString& name, QRectF frame)
{
    ZVPuttyView* element = ZVPuttyView::initWithVector(outline, name).release();
    element->setFrame(frame);
    page.addPuttyView(element);
    return element;
}

// A page with a styled star filled with a picture and a stroked heart with
// arrows and text along it.
struct SamplePage {
    SamplePage()
    {
        page = document.addPage();
        star = addShape(*page, ql::BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("star"),
                        QRectF(20, 20, 280, 280));
        ZVVectorView* view = vectorOf(star);
        view->setAdjustment(0.3);
        view->setStrokeWidth(2.5);
        view->setStrokeType(3);
        view->setStrokeLineJoin(2);
        view->setBackgroundOffset(QVariant(QPointF(5, -4)));
        view->backgroundView()->setBackgroundImage(shapetest::twoColours(40));
        view->backgroundView()->setBackgroundImageScale(2.0);
        view->backgroundView()->setBackgroundType(3);

        heart = addShape(*page, ql::shapes::heartShape(), QStringLiteral("heart"), QRectF(300, 300, 250, 230));
        ZVVectorView* other = vectorOf(heart);
        other->setArrowEnabled(true);
        other->setLeftArrow(2);
        other->setTextEnabled(true);
        other->setText(QStringLiteral("Love along the line"));
        other->setTextPlacement(2);
        other->setStrokeColor(QVariant::fromValue(ql::Color::deviceRgb(0, 0.5, 0)));
        other->backgroundView()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(1, 0.8, 0.8)));
        other->backgroundView()->setBackgroundType(1);
        endTurn();
    }
    TestDocument document;
    ZVCanvasView* page = nullptr;
    ZVPuttyView* star = nullptr;
    ZVPuttyView* heart = nullptr;
};

const QStringList kShapeKeys = QStringLiteral(
    "shapeName shape backgroundView strokeEnabled fillEnabled adjustmentEligible imageOrigin strokeColor "
    "strokeWidth strokeType adjustment backgroundOffset strokeLineCap strokeLineJoin leftArrow rightArrow "
    "arrowLength arrowWidth arrowEnabled textEnabled text textFontFamilyName textFontSize textAlignment "
    "textPlacement textLetterSpacing textHideShape textOffset").split(QLatin1Char(' '));

} // namespace

TEST(VectorViewArchive, WritesTheImageViewKeysThenTwentyEightOfItsOwnWithTheirKinds)
{
    SamplePage sample;
    auto* shape = qobject_cast<DFImageShape*>(vectorOf(sample.heart)->shape());
    ASSERT_TRUE(shape);
    QImage dot(4, 4, QImage::Format_RGB32);
    dot.fill(Qt::yellow);
    shape->setImage(ql::Image(dot));
    const QByteArray data = archiveOf(sample.page);
    EXPECT_EQ(shape->image().pixelSize(), QSize(4, 4)) << "writing leaves the shape's picture alone";

    const QJsonObject view = plistlibView(data);
    const QList<QJsonObject> records = recordsOfClass(view, QStringLiteral("ZVVectorView"));
    ASSERT_EQ(records.size(), 2);
    const QList<QPair<QString, QString>> kinds = keyKinds(records.first());
    QStringList names;
    for (const auto& kind : kinds)
        names.append(kind.first);
    ASSERT_GE(names.size(), kShapeKeys.size());
    EXPECT_EQ(names.mid(names.size() - kShapeKeys.size()), kShapeKeys);
    EXPECT_EQ(names.first(), QStringLiteral("scaleToFill")) << "the image view's keys come first";
    const QMap<QString, QString> kind = kindMap(kinds);
    EXPECT_EQ(kind["shapeName"], "ref:string");
    EXPECT_EQ(kind["shape"], "object:DFImageShape");
    EXPECT_EQ(kind["backgroundView"], "object:ZVBackgroundView");
    EXPECT_EQ(kind["strokeEnabled"], "bool");
    EXPECT_EQ(kind["arrowEnabled"], "bool");
    EXPECT_EQ(kind["textHideShape"], "bool");
    EXPECT_EQ(kind["imageOrigin"], "string");
    EXPECT_EQ(kind["strokeColor"], "object:NSColor");
    EXPECT_EQ(kind["strokeWidth"], "ref:real");
    EXPECT_EQ(kind["adjustment"], "ref:real");
    for (const char* integer : {"strokeType", "strokeLineCap", "strokeLineJoin", "leftArrow", "rightArrow",
                                "arrowLength", "arrowWidth", "textFontSize", "textAlignment", "textPlacement",
                                "textLetterSpacing", "textOffset"})
        EXPECT_EQ(kind[integer], "ref:int") << integer;
    EXPECT_EQ(kind["backgroundOffset"], "object:NSValue");

    // The fills are the shapes' own backings; the star's picture fill keeps
    // its eight keys; the shapes are written without their pictures.
    for (const QJsonObject& background : recordsOfClass(view, QStringLiteral("ZVBackgroundView"))) {
        const QJsonObject values = background.value(QStringLiteral("values")).toObject();
        if (values.value(QStringLiteral("vectorBacking")).toBool()) {
            EXPECT_EQ(kindMap(keyKinds(background))["vectorBacking"], "bool");
        }
    }
    int backings = 0;
    for (const QJsonObject& background : recordsOfClass(view, QStringLiteral("ZVBackgroundView")))
        backings += background.value(QStringLiteral("values")).toObject().value(QStringLiteral("vectorBacking")).toBool();
    EXPECT_EQ(backings, 2);
    const QList<QJsonObject> adornments = recordsOfClass(view, QStringLiteral("ZVImageAdornment"));
    ASSERT_EQ(adornments.size(), 1);
    EXPECT_EQ(keyKinds(adornments.first()).size(), 10) << "the rasterizer's two keys and its own eight";
    EXPECT_EQ(recordsOfClass(view, QStringLiteral("ZVArrowStroke")).size(), 2);
    for (const QJsonObject& drawable : recordsOfClass(view, QStringLiteral("DFImageShape")))
        EXPECT_FALSE(kindMap(keyKinds(drawable)).contains(QStringLiteral("image")));
}

TEST(VectorViewArchive, ReadsEverySettingRebuildsOnceRecordsNothingAndDrawsTheSame)
{
    SamplePage sample;
    const QByteArray data = archiveOf(sample.page);
    std::unique_ptr<ZVCanvasView> read = readBack<ZVCanvasView>(data);
    ASSERT_TRUE(read);
    ASSERT_EQ(read->puttyViews().size(), 2);
    TestDocument document;
    read->setDocument(&document);
    endTurn();
    EXPECT_FALSE(document.undo.canUndo()) << "reading records nothing";

    ZVVectorView* star = vectorOf(read->puttyViews().at(0));
    ZVVectorView* heart = vectorOf(read->puttyViews().at(1));
    ASSERT_TRUE(star && heart);
    EXPECT_EQ(star->shapeName(), QStringLiteral("star"));
    EXPECT_EQ(star->adjustment(), QVariant(0.3)) << "the name's default gives way to the stored value";
    EXPECT_EQ(static_cast<DFImageShape*>(star->shape())->unitOutline(), DFImageShape(DFShapeFactory::star(5, 0.3)).unitOutline());
    EXPECT_EQ(star->strokeWidth(), QVariant(2.5));
    EXPECT_EQ(star->strokeType(), QVariant(3));
    EXPECT_EQ(star->backgroundOffset(), QVariant(QPointF(5, -4)));
    EXPECT_TRUE(star->backgroundView()->vectorBacking());
    ASSERT_TRUE(star->imageAdorn());
    EXPECT_EQ(star->imageAdorn()->origin(), QPointF(5, -4));
    EXPECT_EQ(star->imageAdorn()->scale(), 2.0);
    EXPECT_EQ(heart->text(), QStringLiteral("Love along the line"));
    EXPECT_EQ(heart->leftArrow(), QVariant(2));
    EXPECT_EQ(heart->textPlacement(), QVariant(2));
    ASSERT_TRUE(heart->shape()->style()->firstRendererOfClass<ZVArrowStroke>());
    EXPECT_EQ(heart->shape()->style()->firstRendererOfClass<ZVArrowStroke>()->dimensioningLineOptions(), 2);
    EXPECT_EQ(heart->shape()->size(), vectorOf(sample.heart)->shape()->size());

    // The pages draw alike; only the star's picture passed through a file
    // format of its own.
    const QImage before = ql::PagePainter::image(*sample.page);
    const QImage after = ql::PagePainter::image(*read);
    ASSERT_EQ(before.size(), after.size());
    const QRect starArea = sample.star->frame().toAlignedRect();
    int differing = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            if (!starArea.contains(x, y) && before.pixel(x, y) != after.pixel(x, y))
                ++differing;
    EXPECT_EQ(differing, 0);

    // A copy is independent of its original.
    const std::unique_ptr<ZVVectorView> copy = heart->copy();
    ASSERT_TRUE(copy && copy->shape());
    EXPECT_NE(copy->shape(), heart->shape());
    EXPECT_NE(copy->backgroundView(), heart->backgroundView());
    copy->setStrokeWidth(9);
    copy->backgroundView()->setBackgroundType(0);
    copy->shape()->setSize(QSizeF(5, 5));
    EXPECT_EQ(heart->strokeWidth(), QVariant(1.0));
    EXPECT_EQ(heart->backgroundView()->backgroundType(), QVariant(1));
    EXPECT_NE(heart->shape()->size(), QSizeF(5, 5));
    EXPECT_EQ(copy->text(), heart->text());

    // Shapes read from a file watch their settings from then on.
    star->setStrokeWidth(4);
    endTurn();
    ASSERT_TRUE(document.undo.canUndo());
    document.undo.undo();
    EXPECT_EQ(star->strokeWidth(), QVariant(2.5));
}

TEST(VectorViewArchive, APatternFillOfTheFileIsSavedBackUntilTheUserChangesTheFill)
{
    SamplePage sample;
    // A fill record of another program's making, its 72 bytes no picture
    // we can decode.
    const QByteArray pattern = "QLPATTERN" + QByteArray(63, '\x7f');
    vectorOf(sample.heart)->shape()->style()->addRenderer(
        DFFill::fillWithPatternImage(ql::Image::fromStoredData(pattern)));
    std::unique_ptr<ZVCanvasView> read = readBack<ZVCanvasView>(archiveOf(sample.page));
    ASSERT_TRUE(read);
    const std::unique_ptr<ZVCanvasView> again = readBack<ZVCanvasView>(archiveOf(read.get()));
    ASSERT_TRUE(again);
    EXPECT_TRUE(archiveOf(again.get()).contains(pattern)) << "kept through two saves";
    EXPECT_FALSE(ql::PagePainter::image(*again).isNull());

    vectorOf(again->puttyViews().at(1))->backgroundView()->setBackgroundType(0);
    EXPECT_FALSE(archiveOf(again.get()).contains(pattern)) << "the user's fill takes its place";
}

TEST(VectorViewArchive, OlderOutlinesAndDamagedSettingsStillOpen)
{
    // Files written before shapes had styles hold a bare outline.
    ForgedRecord older(ql::fields::imageViewChain({QStringLiteral("ZVVectorView")}), [](ql::KeyedArchiver& coder) {
        coder.encodeRect(QStringLiteral("frame"), QRectF(0, 0, 200, 100));
        coder.encodeObject(QStringLiteral("shapeName"), QVariant(QStringLiteral("heart")));
        coder.encodeObject(QStringLiteral("shape"), QVariant::fromValue(ql::shapes::heartShape()));
    });
    std::unique_ptr<ZVVectorView> view = readBack<ZVVectorView>(archiveOf(&older));
    ASSERT_TRUE(view);
    ASSERT_TRUE(qobject_cast<DFImageShape*>(view->shape()));
    EXPECT_EQ(view->shape()->size(), QSizeF(199, 99));
    EXPECT_EQ(view->shape()->location(), QPointF(100, 50));
    EXPECT_TRUE(view->shape()->style()->firstRendererOfClass<ZVArrowStroke>());
    ASSERT_TRUE(view->backgroundView()) << "a record without a fill gets the default one";

    ForgedRecord damaged(ql::fields::imageViewChain({QStringLiteral("ZVVectorView")}), [](ql::KeyedArchiver& coder) {
        coder.encodeRect(QStringLiteral("frame"), QRectF(0, 0, 200, 100));
        coder.encodeObject(QStringLiteral("shapeName"), QVariant(QStringLiteral("star20")));
        coder.encodeObject(QStringLiteral("shape"), QVariant(QStringLiteral("not a shape")));
        coder.encodeObject(QStringLiteral("strokeWidth"), QVariant(std::nan("")));
        coder.encodeObject(QStringLiteral("strokeType"), QVariant(QStringLiteral("dotted")));
        coder.encodeObject(QStringLiteral("textFontSize"), QVariant(1e9));
        coder.encodeObject(QStringLiteral("arrowLength"), QVariant(-50));
        coder.encodeBool(QStringLiteral("textEnabled"), true);
        coder.encodeObject(QStringLiteral("text"), QVariant(QString(5000, QLatin1Char('W'))));
        coder.encodeObject(QStringLiteral("backgroundOffset"), QVariant(42));
    });
    view = readBack<ZVVectorView>(archiveOf(&damaged));
    ASSERT_TRUE(view);
    EXPECT_FALSE(view->shape()) << "no shape to draw";
    EXPECT_EQ(view->strokeWidth(), QVariant(1.0));
    EXPECT_EQ(view->strokeType(), QVariant(0));
    EXPECT_FALSE(view->backgroundOffset().isValid());
    view->setShape(std::make_unique<DFImageShape>(ql::shapes::crossShape()));
    view->setShapeProperties();
    QImage picture(200, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    view->paintShape(painter);
    EXPECT_FALSE(view->image().isNull());
}
