#include "content/scene3d/TextGeometry.h"

#include "platform/graphics/FontResolver.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <limits>

namespace ql::scene3d {

namespace {

// Where two outline segments meet at a bend sharper than about 20°, the
// walls keep a crease; inside a flattened curve they shade as one surface.
constexpr double kCreaseCos = 0.94;
// A chamfer never insets a point by more than this share of the glyph's
// thickness there, so the inset outline cannot cross itself.
constexpr double kThicknessShare = 0.45;
// Glyphs extruded at most: a hundred times the longest text the program
// turns into 3D text. A longer string (from a file) keeps every character
// but shows only its beginning, so that it costs bounded time and memory.
constexpr int kMaximumGlyphs = 10000;

double lengthOf(QPointF v)
{
    return std::hypot(v.x(), v.y());
}

QPointF normalized(QPointF v)
{
    const double length = lengthOf(v);
    return length > 0.0 ? v / length : QPointF();
}

double cross(QPointF a, QPointF b)
{
    return a.x() * b.y() - a.y() * b.x();
}

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

double distanceToLine(QPointF p, QPointF a, QPointF b)
{
    const QPointF chord = b - a;
    const double length = lengthOf(chord);
    if (length < 1e-12)
        return lengthOf(p - a);
    return std::abs(cross(chord, p - a)) / length;
}

struct Polyline {
    std::vector<QPointF> points;
    // Whether a point ends a segment of the path (a line or a whole curve),
    // where a crease may lie.
    std::vector<bool> joins;
};

void flattenCubic(QPointF p0, QPointF p1, QPointF p2, QPointF p3, double tolerance, Polyline& out, int depth)
{
    // The curve stays within its control polygon, so control points this
    // close to the chord bound the error.
    if (depth >= 16 || (distanceToLine(p1, p0, p3) <= tolerance && distanceToLine(p2, p0, p3) <= tolerance)) {
        out.points.push_back(p3);
        out.joins.push_back(false);
        return;
    }
    const QPointF p01 = (p0 + p1) / 2, p12 = (p1 + p2) / 2, p23 = (p2 + p3) / 2;
    const QPointF p012 = (p01 + p12) / 2, p123 = (p12 + p23) / 2;
    const QPointF mid = (p012 + p123) / 2;
    flattenCubic(p0, p01, p012, mid, tolerance, out, depth + 1);
    flattenCubic(mid, p123, p23, p3, tolerance, out, depth + 1);
}

double signedArea(const std::vector<QPointF>& points)
{
    double area = 0.0;
    for (size_t i = 0, n = points.size(); i < n; ++i)
        area += cross(points[i], points[(i + 1) % n]);
    return area / 2.0;
}

// Distance along the ray to the nearest segment it meets; infinity if none.
double rayHit(QPointF origin, QPointF direction, QPointF a, QPointF b)
{
    const QPointF edge = b - a;
    const double denominator = cross(direction, edge);
    if (std::abs(denominator) < 1e-12)
        return std::numeric_limits<double>::infinity();
    const QPointF offset = a - origin;
    const double t = cross(offset, edge) / denominator;
    const double u = cross(offset, direction) / denominator;
    if (t <= 1e-9 || u < 0.0 || u > 1.0)
        return std::numeric_limits<double>::infinity();
    return t;
}

QVector3D vec(QPointF p, double z)
{
    return QVector3D(float(p.x()), float(p.y()), float(z));
}

QVector3D unit(QPointF xy, double z)
{
    return QVector3D(float(xy.x()), float(xy.y()), float(z)).normalized();
}

} // namespace

struct TextGeometry::Contour {
    std::vector<QPointF> points;
    std::vector<bool> creases;
    // Outward normal of the edge from point i to point i + 1.
    std::vector<QPointF> edgeNormals;
    // Outward shading normal at each point (the edge's own at a crease).
    std::vector<QPointF> smoothNormals;
    int glyph = 0;
};

namespace {

// Drops the closing point that repeats the first, and repeated points;
// false when too little is left to enclose anything.
bool tidy(Polyline& line)
{
    if (line.points.size() > 1 && lengthOf(line.points.back() - line.points.front()) < 1e-9) {
        line.points.pop_back();
        line.joins.pop_back();
        line.joins.front() = true;
    }
    Polyline clean;
    for (size_t i = 0; i < line.points.size(); ++i) {
        if (!clean.points.empty() && lengthOf(line.points[i] - clean.points.back()) < 1e-9) {
            clean.joins.back() = clean.joins.back() || line.joins[i];
            continue;
        }
        clean.points.push_back(line.points[i]);
        clean.joins.push_back(line.joins[i]);
    }
    line = std::move(clean);
    return line.points.size() >= 3 && std::abs(signedArea(line.points)) >= 1e-9;
}

} // namespace

TextGeometry::TextGeometry(const Parameters& parameters)
{
    const double depth = std::isfinite(parameters.extrusionDepth) ? std::max(0.0, parameters.extrusionDepth) : 0.0;
    const double chamfer = std::isfinite(parameters.chamferRadius) ? std::max(0.0, parameters.chamferRadius) : 0.0;
    m_chamfer = std::min(chamfer, depth / 2.0);
    m_frontZ = depth / 2.0;
    m_backZ = -depth / 2.0;
    layOut(parameters);
}

Material TextGeometry::material(MaterialSlot slot) const
{
    if (m_materials.empty())
        return Material();
    return m_materials[size_t(slot) % m_materials.size()];
}

void TextGeometry::layOut(const Parameters& parameters)
{
    const double tolerance =
        std::isfinite(parameters.flatness) && parameters.flatness > 0.0 ? std::max(parameters.flatness, 1e-3) : 0.05;
    QPaintDevice* device = FontResolver::layoutDevice();
    const double lineSpacing = QFontMetricsF(parameters.font, device).lineSpacing();
    std::vector<Contour> contours;

    auto addContour = [&](Polyline& line, int glyph, const QPainterPath& glyphPath) {
        Contour contour;
        contour.points = std::move(line.points);
        contour.glyph = glyph;
        const size_t n = contour.points.size();
        // Which side the solid lies on: probe beside the longest edge.
        size_t longest = 0;
        double longestLength = -1.0;
        for (size_t i = 0; i < n; ++i) {
            const double length = lengthOf(contour.points[(i + 1) % n] - contour.points[i]);
            if (length > longestLength) {
                longestLength = length;
                longest = i;
            }
        }
        const QPointF a = contour.points[longest], b = contour.points[(longest + 1) % n];
        const QPointF direction = normalized(b - a);
        const QPointF left(-direction.y(), direction.x());
        const double probe = std::min(1e-3, longestLength * 0.1);
        const bool solidOnLeft = glyphPath.contains((a + b) / 2 + left * probe);
        const double outwardSign = solidOnLeft ? -1.0 : 1.0;

        contour.edgeNormals.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const QPointF d = normalized(contour.points[(i + 1) % n] - contour.points[i]);
            contour.edgeNormals[i] = QPointF(-d.y(), d.x()) * outwardSign;
        }
        contour.creases.resize(n);
        contour.smoothNormals.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const size_t previous = (i + n - 1) % n;
            const QPointF in = normalized(contour.points[i] - contour.points[previous]);
            const QPointF out = normalized(contour.points[(i + 1) % n] - contour.points[i]);
            contour.creases[i] = line.joins[i] && dot(in, out) < kCreaseCos;
            const QPointF sum = contour.edgeNormals[previous] + contour.edgeNormals[i];
            contour.smoothNormals[i] = lengthOf(sum) > 1e-9 ? normalized(sum) : contour.edgeNormals[i];
        }
        contours.push_back(std::move(contour));
    };

    const QStringList lines = parameters.string.split(QLatin1Char('\n'));
    int glyphNumber = 0;
    for (qsizetype lineIndex = 0; lineIndex < lines.size() && glyphNumber < kMaximumGlyphs; ++lineIndex) {
        const double baseline = -double(lineIndex) * lineSpacing;
        QTextLayout layout(lines[lineIndex], parameters.font, device);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid())
            line.setLineWidth(1e7);
        layout.endLayout();
        if (!line.isValid())
            continue;
        const double ascent = line.ascent();
        for (const QGlyphRun& run : layout.glyphRuns()) {
            const QRawFont font = run.rawFont();
            const QList<quint32> indexes = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype k = 0; k < indexes.size() && k < positions.size() && glyphNumber < kMaximumGlyphs; ++k) {
                const QPainterPath glyph = font.pathForGlyph(indexes[k]);
                if (glyph.isEmpty())
                    continue;
                // Glyph paths are y down from their baseline; the scene is y up.
                const QTransform place(1, 0, 0, -1, positions[k].x(), baseline - (positions[k].y() - ascent));
                QPainterPath placed = place.map(glyph);
                placed.setFillRule(Qt::WindingFill);
                m_outline.addPath(placed);

                // Flatten every contour first: which side of an edge the
                // letter lies on is decided against the flattened outline,
                // whose edges are the walls'.
                std::vector<Polyline> polylines;
                Polyline current;
                for (int e = 0; e < placed.elementCount(); ++e) {
                    const QPainterPath::Element element = placed.elementAt(e);
                    const QPointF point(element.x, element.y);
                    if (element.isMoveTo()) {
                        if (tidy(current))
                            polylines.push_back(std::move(current));
                        current = Polyline();
                        current.points.push_back(point);
                        current.joins.push_back(true);
                    } else if (element.isLineTo()) {
                        current.points.push_back(point);
                        current.joins.push_back(true);
                    } else if (element.isCurveTo() && e + 2 < placed.elementCount() && !current.points.empty()) {
                        const QPainterPath::Element c2 = placed.elementAt(e + 1);
                        const QPainterPath::Element end = placed.elementAt(e + 2);
                        flattenCubic(current.points.back(), point, QPointF(c2.x, c2.y), QPointF(end.x, end.y),
                                     tolerance, current, 0);
                        current.joins.back() = true;
                        e += 2;
                    }
                }
                if (tidy(current))
                    polylines.push_back(std::move(current));
                QPainterPath flat;
                flat.setFillRule(Qt::WindingFill);
                for (const Polyline& line : polylines) {
                    flat.addPolygon(QPolygonF(QList<QPointF>(line.points.begin(), line.points.end())));
                    flat.closeSubpath();
                }
                for (Polyline& line : polylines)
                    addContour(line, glyphNumber, flat);
                ++glyphNumber;
            }
        }
    }
    m_outline.setFillRule(Qt::WindingFill);
    build(contours);
}

void TextGeometry::build(const std::vector<Contour>& contours)
{
    const double front = m_frontZ, back = m_backZ, chamfer = m_chamfer;
    for (const Contour& contour : contours)
        m_contours.push_back(contour.points);

    bool any = false;
    for (const Contour& contour : contours) {
        for (const QPointF& p : contour.points) {
            const QVector3D lower(float(p.x()), float(p.y()), float(back));
            const QVector3D upper(float(p.x()), float(p.y()), float(front));
            if (!any) {
                m_min = lower;
                m_max = upper;
                any = true;
            }
            m_min = QVector3D(std::min(m_min.x(), lower.x()), std::min(m_min.y(), lower.y()), float(back));
            m_max = QVector3D(std::max(m_max.x(), upper.x()), std::max(m_max.y(), upper.y()), float(front));
        }
    }

    // The walls run between the chamfer bands.
    const double wallFront = front - chamfer, wallBack = back + chamfer;
    const bool hasWalls = wallFront - wallBack > 1e-9;
    for (const Contour& contour : contours) {
        const size_t n = contour.points.size();
        for (size_t i = 0; hasWalls && i < n; ++i) {
            const size_t j = (i + 1) % n;
            const QPointF normal = contour.edgeNormals[i];
            Facet facet;
            facet.slot = SideSlot;
            facet.corners = {vec(contour.points[i], wallFront), vec(contour.points[j], wallFront),
                             vec(contour.points[j], wallBack), vec(contour.points[i], wallBack)};
            facet.normal = unit(normal, 0.0);
            facet.normalA = unit(contour.creases[i] ? normal : contour.smoothNormals[i], 0.0);
            facet.normalB = unit(contour.creases[j] ? normal : contour.smoothNormals[j], 0.0);
            m_facets.push_back(facet);
        }
    }

    if (chamfer <= 0.0) {
        // The exact outline, and the flattened one the walls stand on, so
        // that no sliver between a curve and its chords stays open.
        m_cap = m_outline;
        for (const Contour& contour : contours) {
            m_cap.addPolygon(QPolygonF(QList<QPointF>(contour.points.begin(), contour.points.end())));
            m_cap.closeSubpath();
        }
        m_cap.setFillRule(Qt::WindingFill);
        return;
    }

    // Inset every point along its miter, limited by the glyph's thickness
    // there, then pull back any pair whose inset edge would turn round. The
    // contours of one glyph lie next to each other, [glyphStart, glyphEnd):
    // a point looks at its own glyph's only, so the work grows with the
    // length of the string, not with its square.
    size_t glyphStart = 0;
    size_t glyphEnd = 0;
    for (size_t c = 0; c < contours.size(); ++c) {
        const Contour& contour = contours[c];
        if (c == glyphEnd) {
            glyphStart = c;
            while (glyphEnd < contours.size() && contours[glyphEnd].glyph == contour.glyph)
                ++glyphEnd;
        }
        const size_t n = contour.points.size();
        std::vector<QPointF> directions(n);
        std::vector<double> amounts(n);
        for (size_t i = 0; i < n; ++i) {
            const QPointF previousNormal = contour.edgeNormals[(i + n - 1) % n];
            const QPointF nextNormal = contour.edgeNormals[i];
            QPointF miter = -(previousNormal + nextNormal);
            miter = lengthOf(miter) > 1e-9 ? normalized(miter) : -nextNormal;
            const double cosHalf = std::max(dot(miter, -nextNormal), 0.5);
            double amount = chamfer / cosHalf;
            double nearest = std::numeric_limits<double>::infinity();
            for (size_t o = glyphStart; o < glyphEnd; ++o) {
                const Contour& other = contours[o];
                const size_t m = other.points.size();
                for (size_t e = 0; e < m; ++e) {
                    if (&other == &contour && (e == i || e == (i + n - 1) % n))
                        continue;
                    nearest = std::min(nearest, rayHit(contour.points[i], miter, other.points[e],
                                                       other.points[(e + 1) % m]));
                }
            }
            if (std::isfinite(nearest))
                amount = std::min(amount, nearest * kThicknessShare);
            directions[i] = miter;
            amounts[i] = amount;
        }
        std::vector<QPointF> inset(n);
        for (int pass = 0; pass < 12; ++pass) {
            for (size_t i = 0; i < n; ++i)
                inset[i] = contour.points[i] + directions[i] * amounts[i];
            bool folded = false;
            for (size_t i = 0; i < n; ++i) {
                const size_t j = (i + 1) % n;
                if (dot(inset[j] - inset[i], contour.points[j] - contour.points[i]) <= 0.0) {
                    amounts[i] *= 0.5;
                    amounts[j] *= 0.5;
                    folded = true;
                }
            }
            if (!folded)
                break;
            if (pass == 11) {
                for (size_t i = 0; i < n; ++i)
                    inset[i] = contour.points[i];
            }
        }

        for (size_t i = 0; i < n; ++i) {
            const size_t j = (i + 1) % n;
            const QPointF normal = contour.edgeNormals[i];
            const QPointF shadeA = contour.creases[i] ? normal : contour.smoothNormals[i];
            const QPointF shadeB = contour.creases[j] ? normal : contour.smoothNormals[j];
            Facet frontBand;
            frontBand.slot = FrontChamferSlot;
            frontBand.corners = {vec(inset[i], front), vec(inset[j], front), vec(contour.points[j], wallFront),
                                 vec(contour.points[i], wallFront)};
            frontBand.normal = unit(normal, 1.0);
            frontBand.normalA = unit(shadeA, 1.0);
            frontBand.normalB = unit(shadeB, 1.0);
            m_facets.push_back(frontBand);

            Facet backBand;
            backBand.slot = BackChamferSlot;
            backBand.corners = {vec(contour.points[i], wallBack), vec(contour.points[j], wallBack), vec(inset[j], back),
                                vec(inset[i], back)};
            backBand.normal = unit(normal, -1.0);
            backBand.normalA = unit(shadeA, -1.0);
            backBand.normalB = unit(shadeB, -1.0);
            m_facets.push_back(backBand);
        }
        m_cap.addPolygon(QPolygonF(QList<QPointF>(inset.begin(), inset.end())));
        m_cap.closeSubpath();
        m_insetContours.push_back(std::move(inset));
    }
    m_cap.setFillRule(Qt::WindingFill);
}

} // namespace ql::scene3d
