#include "shapes/library/ZVShapeLibrary.h"

#include "imaging/ImageEdits.h"
#include "design/ZVDesignHelper.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "shapes/ShapeOutlines.h"
#include "shapes/df/DFShapeFactory.h"

namespace ql {

namespace {

enum class Fit { None, To290, To300 };

// A factory outline (unit square) made big enough to fit precisely.
BezierPath unitOutline(const BezierPath& path)
{
    return path.transformed(QTransform::fromScale(300, 300));
}

BezierPath prepared(BezierPath path, double turn, Fit fit)
{
    if (turn != 0)
        ZVDesignHelper::rotateBezierPath(path, turn);
    if (fit == Fit::To290)
        ZVDesignHelper::scaleBezierPath(path, QRectF(0, 0, 290, 290));
    else if (fit == Fit::To300)
        ZVDesignHelper::scaleBezierPath(path, QRectF(0, 0, 300, 300));
    return path;
}

struct Recipe {
    const char* name;
    BezierPath (*outline)();
    double turn;
    Fit fit;
};

BezierPath roundedSquare()
{
    // Corners of 30 points on a 280-point square.
    BezierPath path = DFShapeFactory::roundRectWithCornerRadius(30.0 / 280.0);
    path.transform(QTransform(280, 0, 0, 280, 10, 10));
    return path;
}

} // namespace

QList<ZVLibraryShape> ZVShapeLibrary::build()
{
    using F = DFShapeFactory;
    static const Recipe recipes[] = {
        {"circle", [] { return BezierPath::ovalInRect(QRectF(10, 10, 280, 280)); }, 0, Fit::None},
        {"ring", [] { return unitOutline(F::ring(0.5)); }, 0, Fit::To290},
        {"square", [] { return BezierPath::rect(QRectF(10, 10, 280, 280)); }, 0, Fit::None},
        {"roundedSquare", roundedSquare, 0, Fit::None},
        {"rightTriangle", [] { return unitOutline(F::rightTriangle()); }, 0, Fit::To290},
        {"eqTriangle", [] { return unitOutline(F::equilateralTriangle()); }, 0, Fit::To290},
        {"poly5", [] { return unitOutline(F::regularPolygon(5)); }, 0, Fit::To290},
        {"poly6", [] { return unitOutline(F::regularPolygon(6)); }, 0, Fit::To290},
        {"poly7", [] { return unitOutline(F::regularPolygon(7)); }, 0, Fit::To290},
        {"poly8", [] { return unitOutline(F::regularPolygon(8)); }, 0, Fit::To290},
        {"star", [] { return unitOutline(F::star(5, 0.5)); }, 0, Fit::To300},
        {"star6", [] { return unitOutline(F::star(6, 0.5)); }, 0, Fit::To300},
        {"star7", [] { return unitOutline(F::star(7, 0.5)); }, 0, Fit::To300},
        {"star8", [] { return unitOutline(F::star(8, 0.5)); }, 0, Fit::To300},
        {"star20", [] { return unitOutline(F::star(20, 0.5)); }, 0, Fit::To300},
        {"inflectedArrowhead", [] { return unitOutline(F::inflectedArrowhead()); }, 0, Fit::To290},
        {"arrowTailFeather", [] { return unitOutline(F::arrowTailFeather()); }, 0, Fit::To290},
        {"cross", [] { return unitOutline(F::cross()); }, 0, Fit::To290},
        {"dCross", [] { return unitOutline(F::diagonalCross()); }, 0, Fit::To290},
        {"plus", [] { return unitOutline(shapes::plusShape()); }, 0, Fit::To290},
        {"check", [] { return unitOutline(shapes::checkShape()); }, -90, Fit::To290},
        {"x", [] { return unitOutline(shapes::crossShape()); }, 0, Fit::To290},
        {"balloon", [] { return unitOutline(F::roundRectSpeechBalloon(8, 0.25)); }, 180, Fit::To290},
        {"balloon2", [] { return unitOutline(F::roundRectSpeechBalloon(9, 0.25)); }, 180, Fit::To290},
        {"heart", [] { return unitOutline(shapes::heartShape()); }, 0, Fit::To290},
        {"user", [] { return unitOutline(shapes::userShape()); }, 0, Fit::To290},
        {"beaker", [] { return unitOutline(shapes::beakerShape()); }, 0, Fit::To290},
        {"hLine",
         [] { return unitOutline(shapes::bezierPathWithArrowFromPoint({0, 0.5}, {1, 0.5}, 0.4, 0.75, 0.25)); }, 0,
         Fit::To290},
    };
    static_assert(std::size(recipes) == count);
    QList<ZVLibraryShape> shapes;
    shapes.reserve(count);
    for (const Recipe& recipe : recipes)
        shapes.append(entry(QString::fromLatin1(recipe.name), prepared(recipe.outline(), recipe.turn, recipe.fit)));
    return shapes;
}

QString ZVShapeLibrary::name(const ZVLibraryShape& shape)
{
    return shape.value(QStringLiteral("name")).toString();
}

BezierPath ZVShapeLibrary::path(const ZVLibraryShape& shape)
{
    return shape.value(QStringLiteral("path")).value<BezierPath>();
}

ZVLibraryShape ZVShapeLibrary::entry(const QString& name, const BezierPath& path)
{
    return {{QStringLiteral("name"), name}, {QStringLiteral("path"), QVariant::fromValue(path)}};
}

QByteArray ZVShapeLibrary::archivedData(const QString& name, const BezierPath& path)
{
    KeyedArchiver archiver;
    archiver.encodeRootObject(entry(name, path));
    Result<QByteArray> archive = archiver.finish();
    return archive ? *archive : QByteArray();
}

std::optional<ZVLibraryShape> ZVShapeLibrary::fromArchivedData(QByteArrayView data)
{
    static const ClassRegistry registry = ClassRegistry::withPlatformValues();
    KeyedUnarchiver unarchiver(registry);
    if (!unarchiver.open(data))
        return std::nullopt;
    const QVariant root = unarchiver.decodeRootObject();
    if (!unarchiver.finish() || root.metaType() != QMetaType::fromType<QVariantMap>())
        return std::nullopt;
    const QVariantMap map = root.toMap();
    const QVariant name = map.value(QStringLiteral("name"));
    const QVariant path = map.value(QStringLiteral("path"));
    if (map.size() != 2 || name.metaType() != QMetaType::fromType<QString>()
        || path.metaType() != QMetaType::fromType<BezierPath>())
        return std::nullopt;
    return entry(name.toString(), path.value<BezierPath>());
}

Image ZVShapeLibrary::thumbnail(const ZVLibraryShape& shape)
{
    BezierPath outline = path(shape);
    Image image = ZVDesignHelper::imageWithBezierPath(outline);
    const QString shapeName = name(shape);
    double turn = 0;
    bool mirror = false;
    if (shapeName == QLatin1String("rightTriangle")) {
        turn = -90;
    } else if (shapeName == QLatin1String("check")) {
        turn = -180;
        mirror = true;
    } else if (shapeName == QLatin1String("balloon") || shapeName == QLatin1String("balloon2")) {
        turn = 180;
        mirror = true;
    } else if (shapeName == QLatin1String("heart") || shapeName == QLatin1String("user")
               || shapeName == QLatin1String("beaker")) {
        turn = 180;
    }
    if (turn != 0)
        image = imageRotatedByDegrees(image, turn);
    if (mirror)
        flipImageHorizontally(image);
    return image;
}

} // namespace ql
