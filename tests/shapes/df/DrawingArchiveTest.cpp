#include "DrawingTestSupport.h"
#include "canvas/ArchiveTestSupport.h"
#include "platform/archive/ArchiveTestSupport.h"
#include "platform/archive/ArchiveFields.h"
#include "shapes/df/DFArchiving.h"
#include "shapes/df/DFArrowStroke.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFStyle.h"
#include "shapes/df/PathEditing.h"
#include "tools/archive-roundtrip/ArchiveRoundTrip.h"

#include <QDir>
#include <QLineF>
#include <QRandomGenerator>
#include <cmath>
#include <limits>

using namespace ql;

namespace {

const QStringList kStyleChain {"DFStyle", "DFRendererGroup", "DFRasterizer", "NSObject"};
const QStringList kGroupChain {"DFRendererGroup", "DFRasterizer", "NSObject"};
const QStringList kShapeChain {"DFImageShape", "DFDrawableShape", "DFDrawable", "NSObject"};
const QStringList kFillChain {"DFFill", "DFRasterizer", "NSObject"};
const QStringList kStrokeChain {"DFArrowStroke", "DFStroke", "DFRasterizer", "NSObject"};

// A renderer of the kind other parts of the program derive: it archives a
// key of its own after the base class's.
class ProbeRasterizer : public DFRasterizer {
    Q_OBJECT
public:
    double tint = 0.0;
    QStringList archiveClassChain() const override { return {QStringLiteral("ProbeRasterizer"), QStringLiteral("DFRasterizer"), QStringLiteral("NSObject")}; }
    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        DFRasterizer::encodeWithCoder(coder);
        coder.encodeDouble(QStringLiteral("tint"), tint);
    }
    void initWithCoder(KeyedUnarchiver& coder) override
    {
        DFRasterizer::initWithCoder(coder);
        df::readDouble(coder, QStringLiteral("tint"), tint);
    }
};

const ClassRegistry& probeRegistry()
{
    static const ClassRegistry registry = [] {
        ClassRegistry r = canvas::pageClassRegistry();
        r.registerClass<ProbeRasterizer>(QStringLiteral("ProbeRasterizer"));
        return r;
    }();
    return registry;
}

// Holds a drawable under "shape" the way the shape element stores one.
class ShapeHolder : public QObject, public Codable {
public:
    QVariant written;
    DFDrawable* shape = nullptr;
    QStringList archiveClassChain() const override { return {QStringLiteral("ZVImageView"), QStringLiteral("NSObject")}; }
    void encodeWithCoder(KeyedArchiver& coder) const override { coder.encodeObject(QStringLiteral("shape"), written); }
    void initWithCoder(KeyedUnarchiver& coder) override { shape = df::readDrawable(coder, QStringLiteral("shape"), this); }
};

std::unique_ptr<DFImageShape> styledShape()
{
    auto shape = std::make_unique<DFImageShape>(BezierPath::ovalInRect(QRectF(10, 20, 100, 50)));
    shape->setAngle(0.25);
    shape->setImageOffset(QPointF(2, 3));
    auto style = std::make_unique<DFStyle>();
    style->setName(QStringLiteral("Probe"));
    DFGradient gradient({DFColorStop(Color::calibratedRgb(1, 0, 0), 0), DFColorStop(Color::deviceCmyk(0, 1, 0, 0, 0.5), 0.01)},
                        DFGradient::Radial, 1.5707963267948966);
    auto* fill = static_cast<DFFill*>(style->addRenderer(DFFill::fillWithGradient(gradient)));
    fill->setShadow(DFShadow {QPointF(-4.330127, 2.5), 3.0, Color::black().withAlpha(0.5)});
    auto stroke = std::make_unique<DFArrowStroke>();
    stroke->setWidth(2.5);
    stroke->setColour(Color::calibratedRgb(0, 0, 1));
    stroke->setDash(DFStrokeDash({15, 10, 5, 10}, 1));
    stroke->setLineCapStyle(DFStroke::SquareCap);
    stroke->setLineJoinStyle(DFStroke::RoundJoin);
    stroke->setArrowHeadAtStart(4);
    stroke->setArrowHeadAtEnd(1);
    stroke->setArrowHeadLength(12);
    stroke->setArrowHeadWidth(7);
    stroke->setDimensioningLineOptions(3);
    stroke->setTextAttributes({{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("HelveticaNeue-Bold"), 14))},
                               {TextAttribute::kern, 1.5}});
    stroke->setClipping(DFRasterizer::ClipInsidePath);
    style->addRenderer(std::move(stroke));
    auto probe = std::make_unique<ProbeRasterizer>();
    probe->tint = 0.75;
    probe->setEnabled(false);
    style->addRenderer(std::move(probe));
    shape->setStyle(std::move(style));
    return shape;
}

// Hostile files of drawing records, each with what it tries.
QList<QPair<QString, QByteArray>> hostileArchives()
{
    QList<QPair<QString, QByteArray>> files;
    QObject owner;
    auto record = [&owner](const QStringList& chain, std::function<void(KeyedArchiver&)> body) {
        return new ForgedRecord(chain, std::move(body), &owner);
    };
    auto list = [](std::initializer_list<QObject*> objects) {
        QVariantList items;
        for (QObject* o : objects)
            items.append(QVariant::fromValue(o));
        return QVariant(items);
    };

    // A style that lists itself among its renderers.
    ForgedRecord* self = nullptr;
    self = record(kStyleChain, [&self, &list](KeyedArchiver& c) { c.encodeObject(QStringLiteral("renderers"), list({self})); });
    ForgedRecord* shape1 = record(kShapeChain, [&](KeyedArchiver& c) {
        c.encodeObject(QStringLiteral("style"), self);
        c.encodeObject(QStringLiteral("outline"), QVariant::fromValue(BezierPath::rect(QRectF(0, 0, 1, 1))));
    });
    files.append({QStringLiteral("drawing-style-in-itself"), archiveOf(shape1)});

    // Two groups that list each other, and a style both shapes share.
    ForgedRecord* a = nullptr;
    ForgedRecord* b = nullptr;
    a = record(kStyleChain, [&](KeyedArchiver& c) { c.encodeObject(QStringLiteral("renderers"), list({b})); });
    b = record(kGroupChain, [&](KeyedArchiver& c) { c.encodeObject(QStringLiteral("renderers"), list({a, a, b})); });
    ForgedRecord* shape2 = record(kShapeChain, [&](KeyedArchiver& c) { c.encodeObject(QStringLiteral("style"), a); });
    ForgedRecord* shape3 = record(kShapeChain, [&](KeyedArchiver& c) { c.encodeObject(QStringLiteral("style"), a); });
    ForgedRecord* pair = record(kGroupChain, [&](KeyedArchiver& c) { c.encodeObject(QStringLiteral("renderers"), list({shape2, shape3})); });
    files.append({QStringLiteral("drawing-cycle-and-shared-style"), archiveOf(pair)});

    // Groups nested far deeper than any file needs.
    QList<ForgedRecord*> chain;
    for (int i = 0; i < 400; ++i) {
        ForgedRecord* inner = chain.isEmpty() ? nullptr : chain.last();
        chain.append(record(kGroupChain, [inner, &list](KeyedArchiver& c) {
            c.encodeObject(QStringLiteral("renderers"), inner ? list({inner}) : QVariant(QVariantList()));
        }));
    }
    files.append({QStringLiteral("drawing-deep-nesting"), archiveOf(chain.last())});

    // Thousands of renderers, a gradient of thousands of stops and a dash
    // of thousands of lengths.
    QList<ForgedRecord*> fills;
    for (int i = 0; i < 3000; ++i)
        fills.append(record(kFillChain, [](KeyedArchiver& c) { c.encodeObject(QStringLiteral("colour"), QVariant::fromValue(Color::black())); }));
    ForgedRecord* crowded = record(kStyleChain, [&](KeyedArchiver& c) {
        QVariantList items;
        for (ForgedRecord* f : fills)
            items.append(QVariant::fromValue(static_cast<QObject*>(f)));
        c.encodeObject(QStringLiteral("renderers"), items);
    });
    files.append({QStringLiteral("drawing-absurd-counts"), archiveOf(crowded)});

    // Numbers that are no numbers and values of the wrong kind everywhere.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = std::numeric_limits<double>::max();
    ForgedRecord* wild = record(kStrokeChain, [&](KeyedArchiver& c) {
        c.encodeDouble(QStringLiteral("width"), nan);
        c.encodeObject(QStringLiteral("colour"), QVariant(QStringLiteral("red")));
        c.encodeInt32(QStringLiteral("lineCap"), 99);
        c.encodeDouble(QStringLiteral("miterLimit"), -huge);
        c.encodeDouble(QStringLiteral("arrowHeadLength"), huge);
        c.encodeObject(QStringLiteral("textAttributes"), QVariant(QVariantList {1, 2}));
        c.encodeInt32(QStringLiteral("dimensioningLineOptions"), -7);
        df::encodeDash(c, QStringLiteral("dash"), DFStrokeDash());
    });
    // Text attributes holding an object of the archive, which would be
    // gone once reading ends.
    ForgedRecord* stray = record(kFillChain, [](KeyedArchiver&) {});
    ForgedRecord* labelled = record(kStrokeChain, [&](KeyedArchiver& c) {
        c.encodeObject(QStringLiteral("textAttributes"),
                       QVariantMap {{TextAttribute::font, QVariant::fromValue(static_cast<QObject*>(stray))}, {TextAttribute::kern, 2.0}});
    });
    ForgedRecord* wildStyle = record(kStyleChain, [&](KeyedArchiver& c) { c.encodeObject(QStringLiteral("renderers"), list({wild, labelled})); });
    ForgedRecord* shape4 = record(kShapeChain, [&](KeyedArchiver& c) {
        c.encodeObject(QStringLiteral("style"), wildStyle);
        c.encodeObject(QStringLiteral("outline"), QVariant::fromValue(BezierPath::rect(QRectF(0, 0, 1e300, 1))));
        c.encodeObject(QStringLiteral("location"), QVariant(QStringLiteral("{nan, 5}")));
        c.encodeObject(QStringLiteral("size"), QVariant(QStringLiteral("{1e300, 5}")));
        c.encodeDouble(QStringLiteral("angle"), nan);
        c.encodeDouble(QStringLiteral("imageOpacity"), huge);
        c.encodeObject(QStringLiteral("image"), QVariant(QStringLiteral("not a picture")));
    });
    files.append({QStringLiteral("drawing-wild-values"), archiveOf(shape4)});

    // And one good file to start from.
    const std::unique_ptr<DFImageShape> good = styledShape();
    good->style()->removeRenderersOfClass<ProbeRasterizer>(false);
    files.append({QStringLiteral("drawing-styled-shape"), archiveOf(good.get())});
    return files;
}

// Decodes a drawable and uses it every way the program does.
void exercise(const QByteArray& data)
{
    Result<std::unique_ptr<DFDrawable>> read = canvas::unarchiveRootObject<DFDrawable>(data);
    if (!read)
        return;
    DFDrawable& drawable = **read;
    QImage image = dftest::canvas(64, 64);
    QPainter painter(&image);
    drawable.drawContentWithStyle(painter);
    drawable.drawContentInRect(painter, QRectF(0, 0, 64, 64), QRectF());
    painter.end();
    std::unique_ptr<DFDrawable> copy = drawable.copy();
    std::unique_ptr<DFDrawablePath> path(drawable.convertToPath());
    archiveOf(copy.get());
}

} // namespace

TEST(DrawingArchiveTest, StyledShapesRoundTripUnderTheirOwnNames)
{
    const std::unique_ptr<DFImageShape> shape = styledShape();
    const QByteArray data = archiveOf(shape.get());

    const QJsonObject view = plistlibView(data);
    for (const char* name : {"DFImageShape", "DFStyle", "DFFill", "DFArrowStroke", "DFGradient", "DFColorStop", "DFStrokeDash", "ProbeRasterizer"})
        EXPECT_FALSE(recordsOfClass(view, QString::fromLatin1(name)).isEmpty()) << name;
    const QJsonObject stroke = recordsOfClass(view, QStringLiteral("DFArrowStroke")).first();
    EXPECT_EQ(kindMap(keyKinds(stroke)).value(QStringLiteral("width")), QStringLiteral("real"));
    EXPECT_EQ(kindMap(keyKinds(stroke)).value(QStringLiteral("arrowHeadAtEnd")), QStringLiteral("int"));
    EXPECT_EQ(stroke.value(QStringLiteral("values")).toObject().value(QStringLiteral("dimensioningLineOptions")).toInt(), 3);

    Result<std::unique_ptr<DFImageShape>> read = canvas::unarchiveRootObject<DFImageShape>(data, probeRegistry());
    ASSERT_TRUE(read.ok()) << qPrintable(read.error().describe());
    const DFImageShape& back = **read;
    EXPECT_EQ(back.size(), shape->size());
    EXPECT_EQ(back.location(), shape->location());
    EXPECT_DOUBLE_EQ(back.angle(), 0.25);
    const QList<df::PathPoint> before = df::pathPoints(shape->path());
    const QList<df::PathPoint> after = df::pathPoints(back.path());
    ASSERT_EQ(after.size(), before.size());
    for (qsizetype i = 0; i < after.size(); ++i)
        EXPECT_LT(QLineF(after[i].position, before[i].position).length(), 1e-9);
    EXPECT_EQ(back.imageOffset(), QPointF(2, 3));
    EXPECT_EQ(back.style()->name(), QStringLiteral("Probe"));
    ASSERT_EQ(back.style()->renderers().size(), 3);

    const auto* fill = qobject_cast<DFFill*>(back.style()->renderers()[0]);
    ASSERT_TRUE(fill);
    EXPECT_EQ(fill->gradient(), shape->style()->fill()->gradient());
    EXPECT_EQ(fill->shadow(), shape->style()->fill()->shadow());
    const auto* arrow = qobject_cast<DFArrowStroke*>(back.style()->renderers()[1]);
    const auto* original = qobject_cast<DFArrowStroke*>(shape->style()->renderers()[1]);
    ASSERT_TRUE(arrow);
    EXPECT_EQ(arrow->width(), 2.5);
    EXPECT_EQ(arrow->colour(), original->colour());
    EXPECT_EQ(arrow->dash(), original->dash());
    EXPECT_EQ(arrow->lineCapStyle(), DFStroke::SquareCap);
    EXPECT_EQ(arrow->lineJoinStyle(), DFStroke::RoundJoin);
    EXPECT_EQ(arrow->arrowHeadAtStart(), 4);
    EXPECT_EQ(arrow->arrowHeadAtEnd(), 1);
    EXPECT_EQ(arrow->arrowHeadLength(), 12.0);
    EXPECT_EQ(arrow->arrowHeadWidth(), 7.0);
    EXPECT_EQ(arrow->dimensioningLineOptions(), 3);
    EXPECT_EQ(arrow->textAttributes(), original->textAttributes());
    EXPECT_EQ(arrow->clipping(), DFRasterizer::ClipInsidePath);
    const auto* probe = dynamic_cast<const ProbeRasterizer*>(back.style()->renderers()[2]);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->tint, 0.75);
    EXPECT_FALSE(probe->enabled());

    // Without the subclass registered the file is refused, not half read.
    EXPECT_FALSE(canvas::unarchiveRootObject<DFImageShape>(data).ok());
    // Paths keep their points.
    DFDrawablePath path(BezierPath::ovalInRect(QRectF(1, 2, 3, 4)));
    auto pathBack = readBack<DFDrawablePath>(archiveOf(&path));
    ASSERT_TRUE(pathBack);
    EXPECT_EQ(pathBack->path(), path.path());
}

TEST(DrawingArchiveTest, BarePathsReadAsShapesWithTheDefaultStyle)
{
    ShapeHolder bare;
    bare.written = QVariant::fromValue(BezierPath::rect(QRectF(10, 20, 100, 50)));
    ClassRegistry registry = canvas::pageClassRegistry();
    registry.registerClass<ShapeHolder>(QStringLiteral("ZVImageView"));
    Result<QObject*> read = canvas::unarchiveRootObject(archiveOf(&bare), ShapeHolder::staticMetaObject, registry);
    ASSERT_TRUE(read.ok());
    std::unique_ptr<ShapeHolder> holder(static_cast<ShapeHolder*>(*read));
    auto* shape = qobject_cast<DFImageShape*>(holder->shape);
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->parent(), holder.get());
    EXPECT_EQ(shape->size(), QSizeF(100, 50));
    EXPECT_EQ(shape->location(), QPointF(60, 45));
    EXPECT_EQ(shape->style()->strokeColour(), Color::black());
    EXPECT_EQ(shape->style()->strokeWidth(), 1.0);

    // A framework record under the key is taken as it is.
    const std::unique_ptr<DFImageShape> styled = styledShape();
    styled->style()->removeRenderersOfClass<ProbeRasterizer>(false);
    ShapeHolder framed;
    framed.written = QVariant::fromValue(static_cast<QObject*>(styled.get()));
    read = canvas::unarchiveRootObject(archiveOf(&framed), ShapeHolder::staticMetaObject, registry);
    ASSERT_TRUE(read.ok());
    holder.reset(static_cast<ShapeHolder*>(*read));
    ASSERT_TRUE(qobject_cast<DFImageShape*>(holder->shape));
    EXPECT_EQ(holder->shape->style()->renderers().size(), 2);

    // Anything else under the key gives no shape.
    ShapeHolder wrong;
    wrong.written = QVariant(QStringLiteral("circle"));
    read = canvas::unarchiveRootObject(archiveOf(&wrong), ShapeHolder::staticMetaObject, registry);
    ASSERT_TRUE(read.ok());
    holder.reset(static_cast<ShapeHolder*>(*read));
    EXPECT_EQ(holder->shape, nullptr);
}

TEST(DrawingArchiveTest, HostileRecordsFailCleanlyOrReadAsDefaults)
{
    // Written to a folder when asked, to seed the archive fuzzer's corpus.
    const QByteArray seeds = qgetenv("QUIVERLEAF_WRITE_FUZZ_SEEDS");
    const QList<QPair<QString, QByteArray>> files = hostileArchives();
    for (const auto& [name, data] : files) {
        SCOPED_TRACE(name.toStdString());
        if (!seeds.isEmpty())
            test::writeFile(QDir(QString::fromLocal8Bit(seeds)).filePath(name + QStringLiteral(".plist")), data);
        exercise(data);
        EXPECT_EQ(reencodeArchive(data, canvas::pageClassRegistry()).ok(), name != QStringLiteral("drawing-deep-nesting"));
    }

    // What each one reads as.
    auto self = canvas::unarchiveRootObject<DFImageShape>(files[0].second);
    ASSERT_TRUE(self.ok());
    EXPECT_TRUE((*self)->style()->renderers().isEmpty()) << "the style does not hold itself";

    auto pair = canvas::unarchiveRootObject<DFRendererGroup>(files[1].second);
    ASSERT_TRUE(pair.ok()) << "drawables are no renderers: the group skips them";
    EXPECT_TRUE((*pair)->renderers().isEmpty());

    EXPECT_FALSE(canvas::unarchiveRootObject<DFRendererGroup>(files[2].second).ok()) << "too deep";

    auto crowded = canvas::unarchiveRootObject<DFStyle>(files[3].second);
    ASSERT_TRUE(crowded.ok());
    EXPECT_EQ((*crowded)->renderers().size(), DFRendererGroup::maximumRenderers);

    auto wild = canvas::unarchiveRootObject<DFImageShape>(files[4].second);
    ASSERT_TRUE(wild.ok());
    const auto* stroke = qobject_cast<DFArrowStroke*>((*wild)->style()->renderers().value(0));
    ASSERT_TRUE(stroke);
    EXPECT_EQ(stroke->width(), 1.0);
    EXPECT_EQ(stroke->colour(), Color::black());
    EXPECT_EQ(stroke->lineCapStyle(), DFStroke::ButtCap);
    EXPECT_EQ(stroke->miterLimit(), 10.0);
    EXPECT_EQ(stroke->arrowHeadLength(), 12.0);
    EXPECT_TRUE(stroke->textAttributes().isEmpty());
    EXPECT_EQ(stroke->dimensioningLineOptions(), 1);
    EXPECT_TRUE(std::isfinite((*wild)->location().x()));
    EXPECT_TRUE(std::isfinite((*wild)->angle()));
    EXPECT_EQ((*wild)->imageOpacity(), 1.0);
    EXPECT_TRUE((*wild)->image().isNull());
    const auto* labelled = qobject_cast<DFArrowStroke*>((*wild)->style()->renderers().value(1));
    ASSERT_TRUE(labelled);
    EXPECT_EQ(labelled->textAttributes(), (TextAttributes {{TextAttribute::kern, 2.0}})) << "only attribute values stay";
    EXPECT_FALSE(archiveOf(wild->get()).isEmpty());
}

TEST(DrawingArchiveTest, DamagedCopiesOfAGoodFileNeverCrash)
{
    // The fuzz corpus and kept crashers read with the drawing classes too.
    for (const char* folder : {"corpus", "crashers"}) {
        const QDir dir(QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/fuzz/") + QLatin1String(folder));
        for (const QString& name : dir.entryList(QDir::Files)) {
            const QByteArray data = test::readFile(dir.filePath(name));
            reencodeArchive(data, canvas::pageClassRegistry());
            exercise(data);
        }
    }

    const std::unique_ptr<DFImageShape> shape = styledShape();
    shape->style()->removeRenderersOfClass<ProbeRasterizer>(false);
    const QByteArray good = archiveOf(shape.get());
    // QUIVERLEAF_DRAWING_SWEEP asks for a longer sweep by hand.
    const int rounds = qEnvironmentVariableIntValue("QUIVERLEAF_DRAWING_SWEEP") > 0 ? qEnvironmentVariableIntValue("QUIVERLEAF_DRAWING_SWEEP") : 1500;
    QRandomGenerator random(25);
    int decoded = 0;
    for (int round = 0; round < rounds; ++round) {
        QByteArray damaged = good;
        const int changes = 1 + int(random.bounded(4));
        for (int i = 0; i < changes; ++i)
            damaged[int(random.bounded(damaged.size()))] = char(random.bounded(256));
        if (canvas::unarchiveRootObject<DFDrawable>(damaged).ok())
            ++decoded;
        exercise(damaged);
    }
    EXPECT_GT(decoded, rounds / 15) << "much of the damage lands in values, which read as defaults";
}

#include "DrawingArchiveTest.moc"
