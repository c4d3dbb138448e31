#include "shapes/ShapeOutlines.h"

#include <cmath>
#include <span>

namespace ql::shapes {

namespace {

enum class Op { Move, Line, Curve };

// One row of a figure: the end point, then a curve's two control points.
struct Row {
    Op op;
    double v[6];
};

// The heart outline, y down.
constexpr Row kHeart[] = {
    {Op::Move, {0.74182, 0.04948, 0, 0, 0, 0}},
    {Op::Curve, {0.49986, 0.24129, 0.64732, 0.05022, 0.55044, 0.11201}},
    {Op::Curve, {0.33067, 0.06393, 0.46023, 0.14682, 0.39785, 0.08864}},
    {Op::Curve, {0.25304, 0.05011, 0.30516, 0.05454, 0.27896, 0.04999}},
    {Op::Curve, {0.00841, 0.36081, 0.12805, 0.05067, 0.00977, 0.15998}},
    {Op::Curve, {0.29627, 0.70379, 0.00709, 0.5542, 0.18069, 0.62648}},
    {Op::Curve, {0.50061, 0.92498, 0.40835, 0.77876, 0.48812, 0.88133}},
    {Op::Curve, {0.70195, 0.70407, 0.5099, 0.88158, 0.59821, 0.77912}},
    {Op::Curve, {0.99177, 0.3587, 0.81539, 0.622, 0.99308, 0.55208}},
    {Op::Curve, {0.74182, 0.04948, 0.9904, 0.15672, 0.86824, 0.04848}},
};
// The user outline, y down.
constexpr Row kUser[] = {
    {Op::Move, {0.59723, 0.53216, 0, 0, 0, 0}},
    {Op::Curve, {0.63225, 0.46466, 0.61268, 0.51696, 0.61807, 0.47851}},
    {Op::Curve, {0.68031, 0.39072, 0.65233, 0.44503, 0.6741, 0.42087}},
    {Op::Curve, {0.67176, 0.33167, 0.68857, 0.35062, 0.67176, 0.34552}},
    {Op::Curve, {0.66244, 0.22404, 0.67176, 0.30267, 0.67152, 0.25499}},
    {Op::Curve, {0.64114, 0.15016, 0.66195, 0.18321, 0.65526, 0.16545}},
    {Op::Curve, {0.57835, 0.1298, 0.62793, 0.13586, 0.59533, 0.13924}},
    {Op::Curve, {0.50277, 0.10892, 0.55205, 0.11518, 0.53038, 0.10965}},
    {Op::Line, {0.50277, 0.10878, 0, 0, 0, 0}},
    {Op::Curve, {0.50036, 0.10887, 0.50197, 0.10878, 0.50116, 0.10886}},
    {Op::Curve, {0.49633, 0.10878, 0.49901, 0.10885, 0.49772, 0.10878}},
    {Op::Line, {0.49639, 0.10902, 0, 0, 0, 0}},
    {Op::Curve, {0.33297, 0.22218, 0.42912, 0.11156, 0.35757, 0.15397}},
    {Op::Curve, {0.32734, 0.33167, 0.32385, 0.24746, 0.32734, 0.30267}},
    {Op::Curve, {0.31879, 0.39072, 0.32734, 0.34552, 0.31053, 0.35062}},
    {Op::Curve, {0.36685, 0.46466, 0.325, 0.42087, 0.34677, 0.44503}},
    {Op::Curve, {0.40188, 0.53216, 0.38103, 0.47851, 0.38642, 0.51696}},
    {Op::Curve, {0.40552, 0.56864, 0.40525, 0.55453, 0.40565, 0.54816}},
    {Op::Curve, {0.39466, 0.59685, 0.40548, 0.57555, 0.4057, 0.58629}},
    {Op::Curve, {0.28634, 0.65952, 0.37374, 0.61687, 0.32572, 0.64261}},
    {Op::Curve, {0.13051, 0.71866, 0.23439, 0.68183, 0.14996, 0.70863}},
    {Op::Curve, {0.05796, 0.77326, 0.11105, 0.7287, 0.05796, 0.75592}},
    {Op::Curve, {0.05796, 0.87769, 0.05796, 0.79061, 0.05796, 0.87769}},
    {Op::Line, {0.49475, 0.87769, 0, 0, 0, 0}},
    {Op::Line, {0.5047, 0.87769, 0, 0, 0, 0}},
    {Op::Line, {0.94992, 0.87769, 0, 0, 0, 0}},
    {Op::Curve, {0.94992, 0.78465, 0.94992, 0.87769, 0.94992, 0.80199}},
    {Op::Curve, {0.86894, 0.73004, 0.94992, 0.7673, 0.88839, 0.74008}},
    {Op::Curve, {0.71311, 0.66711, 0.84948, 0.72001, 0.76505, 0.68941}},
    {Op::Curve, {0.6065, 0.59849, 0.67477, 0.65065, 0.62824, 0.61915}},
    {Op::Curve, {0.59391, 0.56652, 0.59918, 0.59153, 0.59399, 0.58424}},
    {Op::Curve, {0.59757, 0.53216, 0.59383, 0.5459, 0.5943, 0.55378}},
};
// The martini outline, y down.
constexpr Row kMartini[] = {
    {Op::Move, {0.3398, 0.99174, 0, 0, 0, 0}},
    {Op::Curve, {0.35471, 0.98285, 0.34475, 0.98872, 0.34935, 0.98462}},
    {Op::Curve, {0.46691, 0.94635, 0.39206, 0.97052, 0.42994, 0.95972}},
    {Op::Curve, {0.50127, 0.89428, 0.50294, 0.93333, 0.50324, 0.93221}},
    {Op::Curve, {0.47934, 0.48717, 0.4942, 0.75856, 0.48655, 0.62288}},
    {Op::Curve, {0.45734, 0.44393, 0.47838, 0.4692, 0.47255, 0.45603}},
    {Op::Curve, {0.16428, 0.2075, 0.35906, 0.36587, 0.26184, 0.28648}},
    {Op::Curve, {0.1532, 0.19354, 0.1604, 0.20436, 0.15664, 0.20107}},
    {Op::Curve, {0.29889, 0.19354, 0.20176, 0.19354, 0.25033, 0.19354}},
    {Op::Curve, {0.30104, 0.1865, 0.29961, 0.19119, 0.30032, 0.18885}},
    {Op::Curve, {0.28597, 0.17821, 0.29604, 0.18361, 0.29131, 0.17917}},
    {Op::Curve, {0.26643, 0.17965, 0.27974, 0.1771, 0.27297, 0.17908}},
    {Op::Curve, {0.18842, 0.09291, 0.21686, 0.18396, 0.17498, 0.13771}},
    {Op::Curve, {0.20113, 0.06899, 0.19098, 0.08438, 0.19543, 0.07577}},
    {Op::Curve, {0.20197, 0.03639, 0.21061, 0.0577, 0.21021, 0.04776}},
    {Op::Curve, {0.20014, 0.01653, 0.19775, 0.03056, 0.19238, 0.02389}},
    {Op::Curve, {0.20622, 0.01653, 0.20217, 0.01653, 0.20419, 0.01653}},
    {Op::Curve, {0.26086, 0.04176, 0.21808, 0.03887, 0.23599, 0.04483}},
    {Op::Curve, {0.32572, 0.07827, 0.28981, 0.03818, 0.31259, 0.05373}},
    {Op::Curve, {0.32127, 0.15045, 0.33827, 0.10174, 0.33652, 0.1271}},
    {Op::Curve, {0.3147, 0.17645, 0.31626, 0.15812, 0.30828, 0.16529}},
    {Op::Curve, {0.34288, 0.19198, 0.32111, 0.1876, 0.32943, 0.19194}},
    {Op::Curve, {0.85274, 0.19471, 0.51283, 0.19249, 0.68279, 0.19369}},
    {Op::Curve, {0.87303, 0.19471, 0.85817, 0.19474, 0.8636, 0.19471}},
    {Op::Curve, {0.85907, 0.20696, 0.86625, 0.20068, 0.86277, 0.20395}},
    {Op::Curve, {0.55737, 0.45244, 0.75854, 0.28883, 0.65802, 0.37072}},
    {Op::Curve, {0.54495, 0.47493, 0.54995, 0.45846, 0.54548, 0.46444}},
    {Op::Curve, {0.53465, 0.64813, 0.54201, 0.53269, 0.53739, 0.59036}},
    {Op::Curve, {0.52367, 0.90977, 0.53051, 0.73532, 0.52772, 0.82257}},
    {Op::Curve, {0.54174, 0.93805, 0.52297, 0.92467, 0.52709, 0.93346}},
    {Op::Curve, {0.62181, 0.96534, 0.56864, 0.94648, 0.59556, 0.9551}},
    {Op::Curve, {0.67679, 0.99174, 0.64069, 0.97271, 0.6585, 0.98284}},
    {Op::Curve, {0.3398, 0.99174, 0.56446, 0.99174, 0.45213, 0.99174}},
};
// The beaker outline, y down.
constexpr Row kBeaker[] = {
    {Op::Move, {0.8919, 0.77619, 0, 0, 0, 0}},
    {Op::Curve, {0.88494, 0.77738, 0.88969, 0.77689, 0.88738, 0.77738}},
    {Op::Line, {0.76291, 0.77738, 0, 0, 0, 0}},
    {Op::Curve, {0.73976, 0.75427, 0.75012, 0.77738, 0.73976, 0.76703}},
    {Op::Curve, {0.76291, 0.73115, 0.73976, 0.7415, 0.75012, 0.73115}},
    {Op::Line, {0.86154, 0.73115, 0, 0, 0, 0}},
    {Op::Line, {0.80844, 0.64991, 0, 0, 0, 0}},
    {Op::Curve, {0.80078, 0.6513, 0.80603, 0.65076, 0.80347, 0.6513}},
    {Op::Line, {0.67874, 0.6513, 0, 0, 0, 0}},
    {Op::Curve, {0.6556, 0.62819, 0.66596, 0.6513, 0.6556, 0.64096}},
    {Op::Curve, {0.67874, 0.60507, 0.6556, 0.61542, 0.66596, 0.60507}},
    {Op::Line, {0.77914, 0.60507, 0, 0, 0, 0}},
    {Op::Line, {0.72683, 0.52505, 0, 0, 0, 0}},
    {Op::Curve, {0.72503, 0.52522, 0.72623, 0.5251, 0.72565, 0.52522}},
    {Op::Line, {0.603, 0.52522, 0, 0, 0, 0}},
    {Op::Curve, {0.57985, 0.50211, 0.59021, 0.52522, 0.57985, 0.51488}},
    {Op::Curve, {0.603, 0.479, 0.57985, 0.48934, 0.59021, 0.479}},
    {Op::Line, {0.69674, 0.479, 0, 0, 0, 0}},
    {Op::Line, {0.63128, 0.37884, 0, 0, 0, 0}},
    {Op::Line, {0.63071, 0.35425, 0, 0, 0, 0}},
    {Op::Line, {0.54619, 0.35425, 0, 0, 0, 0}},
    {Op::Curve, {0.52304, 0.33114, 0.5334, 0.35425, 0.52304, 0.34391}},
    {Op::Curve, {0.54619, 0.30803, 0.52304, 0.31837, 0.5334, 0.30803}},
    {Op::Line, {0.62963, 0.30803, 0, 0, 0, 0}},
    {Op::Line, {0.62696, 0.19259, 0, 0, 0, 0}},
    {Op::Line, {0.54619, 0.19259, 0, 0, 0, 0}},
    {Op::Curve, {0.52304, 0.16947, 0.5334, 0.19259, 0.52304, 0.18224}},
    {Op::Curve, {0.54619, 0.14636, 0.52304, 0.15671, 0.5334, 0.14636}},
    {Op::Line, {0.62595, 0.14636, 0, 0, 0, 0}},
    {Op::Curve, {0.67084, 0.01163, 0.62461, 0.09553, 0.62442, 0.05885}},
    {Op::Line, {0.33609, 0.01179, 0, 0, 0, 0}},
    {Op::Curve, {0.38337, 0.17174, 0.39107, 0.06571, 0.38277, 0.10648}},
    {Op::Line, {0.38526, 0.37784, 0, 0, 0, 0}},
    {Op::Line, {0.11743, 0.77851, 0, 0, 0, 0}},
    {Op::Curve, {0.20277, 0.98578, 0.05262, 0.88643, 0.09646, 0.99201}},
    {Op::Line, {0.81752, 0.9864, 0, 0, 0, 0}},
    {Op::Curve, {0.8919, 0.77619, 0.92945, 0.98593, 0.97211, 0.88501}},
};

BezierPath figure(std::span<const Row> rows)
{
    BezierPath path;
    for (const Row& row : rows) {
        const QPointF end(row.v[0], row.v[1]);
        switch (row.op) {
        case Op::Move: path.moveTo(end); break;
        case Op::Line: path.lineTo(end); break;
        case Op::Curve: path.curveTo(end, QPointF(row.v[2], row.v[3]), QPointF(row.v[4], row.v[5])); break;
        }
    }
    path.closePath();
    path.setMiterLimit(4.0);
    return path;
}

BezierPath polygon(std::initializer_list<QPointF> corners)
{
    BezierPath path;
    for (const QPointF& corner : corners) {
        if (path.isEmpty())
            path.moveTo(corner);
        else
            path.lineTo(corner);
    }
    path.closePath();
    return path;
}

} // namespace

BezierPath heartShape() { return figure(kHeart); }
BezierPath userShape() { return figure(kUser); }
BezierPath martiniShape() { return figure(kMartini); }
BezierPath beakerShape() { return figure(kBeaker); }

BezierPath plusShape()
{
    const double s = 1.0;
    const double a = s / 3.0;
    const double b = a + a;
    return polygon({{0, a}, {a, a}, {a, 0}, {b, 0}, {b, a}, {s, a}, {s, b}, {b, b}, {b, s}, {a, s}, {a, b}, {0, b}});
}

BezierPath checkShape()
{
    const double a = 1.0;
    const double b = a * 25 * 0.03125;
    const double t = 0.565685424949238;
    const double c = a - (b - t);
    return polygon({{0, b - c}, {t, b - c - t}, {c, b - 1.1313708498984762}, {a - t, 0}, {a, t}, {c, b}});
}

BezierPath crossShape()
{
    const double w = 1.0;
    const double h = 1.0;
    const double d = 0.21213203435596423;
    return polygon({{0, d}, {d, 0}, {w / 2, h / 2 - d}, {w - d, 0}, {w, d}, {w / 2 + d, h / 2}, {w, h - d},
                    {w - d, h}, {w / 2, h / 2 + d}, {d, h}, {0, h - d}, {w / 2 - d, h / 2}});
}

BezierPath arrowWithStart(QPointF start, QPointF end)
{
    const double dx = end.x() - start.x();
    const double dy = end.y() - start.y();
    // The matrix alone carries the tail (0, 0) to the start and the tip
    // (1, 1) to the end; nothing is added on top of it.
    const QTransform placement((dx + dy) * 0.5, (dy - dx) * 0.5, (dx - dy) * 0.5, (dx + dy) * 0.5, start.x(), start.y());
    BezierPath path = polygon({{0, 0}, {0.75, 0.7}, {0.8, 0.65}, {1, 1}, {0.65, 0.8}, {0.7, 0.75}});
    path.transform(placement);
    return path;
}

BezierPath bezierPathWithArrowFromPoint(QPointF start, QPointF end, double tailWidth, double headWidth,
                                        double headLength)
{
    const double dx = end.x() - start.x();
    const double dy = end.y() - start.y();
    const double length = double(std::hypot(float(dx), float(dy)));
    if (!(length > 0.0) || !std::isfinite(length))
        return {};
    const double c = dx / length;
    const double s = dy / length;
    const double tail = length - headLength;
    BezierPath path = polygon({{0, tailWidth / 2}, {tail, tailWidth / 2}, {tail, headWidth / 2}, {length, 0},
                               {tail, -headWidth / 2}, {tail, -tailWidth / 2}, {0, -tailWidth / 2}});
    path.transform(QTransform(c, s, -s, c, start.x(), start.y()));
    return path;
}

} // namespace ql::shapes
