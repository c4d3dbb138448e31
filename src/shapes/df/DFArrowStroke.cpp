#include "shapes/df/DFArrowStroke.h"

#include "platform/archive/ArchiveFields.h"
#include "platform/object/ValueKind.h"
#include "platform/graphics/FontResolver.h"
#include "shapes/df/DFArchiving.h"
#include "shapes/df/PathEditing.h"
#include "shapes/df/PathMeasure.h"
#include "shapes/df/TextOnPath.h"

#include <QLineF>
#include <cmath>

namespace {

using ql::BezierPath;
using Element = BezierPath::Element;
using Type = BezierPath::ElementType;

// One end of an outline: where it stops and the direction pointing away
// from the outline there.
struct End {
    QPointF tip;
    QPointF outward;
    bool valid = false;
};

QPointF unit(QPointF v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0.0 ? v / length : QPointF();
}

// The first point of `candidates` that differs from the tip decides the
// direction.
End endWithDirection(QPointF tip, std::initializer_list<QPointF> candidates)
{
    for (const QPointF& p : candidates)
        if (QLineF(p, tip).length() > 1e-9)
            return {tip, unit(tip - p), true};
    return {};
}

End startOf(const BezierPath& path)
{
    const QList<Element>& elements = path.elements();
    if (elements.isEmpty())
        return {};
    const QPointF start = elements.first().points[0];
    for (qsizetype i = 1; i < elements.size(); ++i) {
        const Element& e = elements[i];
        if (e.type == Type::MoveTo || e.type == Type::ClosePath)
            break;
        const End end = e.type == Type::LineTo ? endWithDirection(start, {e.points[0]})
                                               : endWithDirection(start, {e.points[0], e.points[1], e.points[2]});
        if (end.valid)
            return end;
    }
    return {};
}

End endOf(const BezierPath& path)
{
    QPointF subpathStart;
    QPointF current;
    End end;
    for (const Element& e : path.elements()) {
        switch (e.type) {
        case Type::MoveTo:
            subpathStart = current = e.points[0];
            break;
        case Type::LineTo:
            if (const End line = endWithDirection(e.points[0], {current}); line.valid)
                end = line;
            current = e.points[0];
            break;
        case Type::CurveTo:
            if (const End curve = endWithDirection(e.points[2], {e.points[1], e.points[0], current}); curve.valid)
                end = curve;
            current = e.points[2];
            break;
        case Type::ClosePath:
            if (const End closing = endWithDirection(subpathStart, {current}); closing.valid)
                end = closing;
            current = subpathStart;
            break;
        }
    }
    return end;
}

void appendHead(BezierPath& heads, int kind, const End& end, double length, double width)
{
    if (!end.valid)
        return;
    const QPointF back = end.tip - end.outward * length;
    const QPointF across(-end.outward.y() * width / 2.0, end.outward.x() * width / 2.0);
    switch (kind) {
    case DFArrowStroke::OpenHead:
        heads.moveTo(back + across);
        heads.lineTo(end.tip);
        heads.lineTo(back - across);
        break;
    case DFArrowStroke::FilledHead:
        heads.moveTo(back + across);
        heads.lineTo(end.tip);
        heads.lineTo(back - across);
        heads.closePath();
        break;
    case DFArrowStroke::DotHead:
        heads.append(BezierPath::ovalInRect(QRectF(end.tip.x() - width / 2.0, end.tip.y() - width / 2.0, width, width)));
        break;
    case DFArrowStroke::BarHead:
        heads.moveTo(end.tip + across);
        heads.lineTo(end.tip - across);
        break;
    default:
        break;
    }
}

// The parameter at which a segment from `from` comes within `reach` of
// `tip` (the segment ends at the tip); nullopt when it is shorter.
std::optional<double> cutBefore(const ql::df::Cubic& segment, QPointF tip, double reach)
{
    if (QLineF(segment[0], tip).length() <= reach)
        return std::nullopt;
    double lo = 0.0;
    double hi = 1.0;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2.0;
        if (QLineF(ql::df::pointOnCubic(segment, mid), tip).length() > reach)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

ql::df::Cubic asCubic(QPointF from, const Element& e)
{
    if (e.type == Type::CurveTo)
        return {from, e.points[0], e.points[1], e.points[2]};
    return {from, from + (e.points[0] - from) / 3.0, from + (e.points[0] - from) * (2.0 / 3.0), e.points[0]};
}

Element fromCubic(const ql::df::Cubic& c, Type type)
{
    if (type == Type::LineTo)
        return Element {Type::LineTo, {c[3], QPointF(), QPointF()}};
    return Element {Type::CurveTo, {c[1], c[2], c[3]}};
}

// The entries of a dictionary read from a file that can be text
// attributes: fonts, colours, paragraph styles, numbers and strings. Objects
// in it would belong to the archive and go with it.
ql::TextAttributes textAttributeValues(const QVariantMap& read)
{
    ql::TextAttributes kept;
    for (auto it = read.cbegin(); it != read.cend(); ++it) {
        const QMetaType type = it.value().metaType();
        if (type == QMetaType::fromType<ql::Font>() || type == QMetaType::fromType<ql::Color>()
            || type == QMetaType::fromType<ql::ParagraphStyle>() || type == QMetaType::fromType<QString>()
            || ql::isNumeric(it.value()))
            kept.insert(it.key(), it.value());
    }
    return kept;
}

} // namespace

DFArrowStroke::DFArrowStroke() = default;
DFArrowStroke::~DFArrowStroke() = default;

DFArrowStroke::DFArrowStroke(const DFArrowStroke& other)
    : DFStroke(other), m_headAtStart(other.m_headAtStart), m_headAtEnd(other.m_headAtEnd),
      m_headLength(other.m_headLength), m_headWidth(other.m_headWidth), m_textAttributes(other.m_textAttributes),
      m_options(other.m_options)
{
}

void DFArrowStroke::setArrowHeadLength(double length)
{
    if (std::isfinite(length) && length >= 0.0)
        m_headLength = std::min(length, ql::df::largestCoordinate);
}

void DFArrowStroke::setArrowHeadWidth(double width)
{
    if (std::isfinite(width) && width >= 0.0)
        m_headWidth = std::min(width, ql::df::largestCoordinate);
}

void DFArrowStroke::setDimensioningLineOptions(int options)
{
    if (options >= 0 && options <= TextBelow)
        m_options = options;
}

ql::TextAttributes DFArrowStroke::dimensioningLineTextAttributes()
{
    ql::ParagraphStyle centred;
    centred.alignment = ql::ParagraphStyle::Alignment::Center;
    return {
        {ql::TextAttribute::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), 12.0))},
        {ql::TextAttribute::foregroundColor, QVariant::fromValue(ql::Color::black())},
        {ql::TextAttribute::paragraphStyle, QVariant::fromValue(centred)},
    };
}

ql::Font DFArrowStroke::font() const
{
    const QVariant own = m_textAttributes.value(ql::TextAttribute::font);
    if (own.canConvert<ql::Font>() && !own.value<ql::Font>().isNull())
        return own.value<ql::Font>();
    return dimensioningLineTextAttributes().value(ql::TextAttribute::font).value<ql::Font>();
}

ql::AttributedString DFArrowStroke::dimensionTextForObject(const DFRenderable&) const
{
    return {};
}

ql::BezierPath DFArrowStroke::arrowHeadsForPath(const ql::BezierPath& path) const
{
    BezierPath heads;
    appendHead(heads, m_headAtStart, startOf(path), m_headLength, m_headWidth);
    appendHead(heads, m_headAtEnd, endOf(path), m_headLength, m_headWidth);
    return heads;
}

ql::BezierPath DFArrowStroke::trimmedUnderHeads(const ql::BezierPath& path) const
{
    // A line running into a filled head's tip would show its cap beside
    // the tip; it stops inside the head instead.
    QList<Element> elements = path.elements();
    if (elements.size() < 2 || m_headLength <= 0.0)
        return path;
    const double reach = m_headLength / 2.0;
    const Element& last = elements.last();
    if (m_headAtEnd == FilledHead && (last.type == Type::LineTo || last.type == Type::CurveTo)) {
        const Element& before = elements[elements.size() - 2];
        const QPointF from = before.type == Type::CurveTo ? before.points[2] : before.points[0];
        if (before.type != Type::ClosePath) {
            const ql::df::Cubic segment = asCubic(from, last);
            if (const std::optional<double> t = cutBefore(segment, segment[3], reach))
                elements.last() = fromCubic(ql::df::splitCubic(segment, *t).first, last.type);
        }
    }
    const Element& second = elements[1];
    if (m_headAtStart == FilledHead && elements.first().type == Type::MoveTo
        && (second.type == Type::LineTo || second.type == Type::CurveTo)) {
        ql::df::Cubic segment = asCubic(elements.first().points[0], second);
        std::reverse(segment.begin(), segment.end());
        if (const std::optional<double> t = cutBefore(segment, segment[3], reach)) {
            ql::df::Cubic kept = ql::df::splitCubic(segment, *t).first;
            std::reverse(kept.begin(), kept.end());
            elements.first().points[0] = kept[0];
            elements[1] = fromCubic(kept, second.type);
        }
    }
    return ql::df::pathWithElements(elements, path);
}

ql::BezierPath DFArrowStroke::arrowPathFromOriginalPath(const ql::BezierPath& path, const DFRenderable&) const
{
    BezierPath drawn = trimmedUnderHeads(path);
    drawn.append(arrowHeadsForPath(path));
    return drawn;
}

double DFArrowStroke::textOffset() const
{
    const double x = ql::FontResolver::metrics(font()).xHeight();
    const double w = width();
    switch (m_options) {
    case TextCentred: return -0.5 * x;
    case TextBelow: return -0.5 * w - x - 2.0;
    default: return 0.5 * w + 2.0;
    }
}

ql::BezierPath DFArrowStroke::textPathForObject(const DFRenderable& object) const
{
    const ql::AttributedString text = dimensionTextForObject(object);
    if (text.string().trimmed().isEmpty())
        return {};
    return ql::df::bezierPathWithTextOnPath(renderingPathForObject(object), text, textOffset());
}

void DFArrowStroke::render(const DFRenderable& object, QPainter& painter) const
{
    const BezierPath outline = renderingPathForObject(object);
    if (outline.isEmpty())
        return;
    applyClipping(painter, object);
    const BezierPath drawn = arrowPathFromOriginalPath(outline, object);
    const BezierPath heads = arrowHeadsForPath(outline);
    const qsizetype shaftCount = drawn.elementCount() - heads.elementCount();
    const bool endsWithHeads = !heads.isEmpty() && shaftCount >= 0
                               && drawn.elements().mid(shaftCount) == heads.elements();
    if (!endsWithHeads) {
        strokePath(painter, drawn.toPainterPath());
    } else {
        strokePath(painter, ql::df::pathWithElements(drawn.elements().first(shaftCount), drawn).toPainterPath());
        // Heads are drawn solid whatever the dash: open ones as lines with
        // rounded corners (a miter would poke past the tip), the others filled.
        const auto headsOf = [&](auto wanted) {
            BezierPath some;
            appendHead(some, wanted(m_headAtStart) ? m_headAtStart : NoHead, startOf(outline), m_headLength, m_headWidth);
            appendHead(some, wanted(m_headAtEnd) ? m_headAtEnd : NoHead, endOf(outline), m_headLength, m_headWidth);
            return some.toPainterPath();
        };
        QPen solid = pen();
        solid.setStyle(Qt::SolidLine);
        solid.setJoinStyle(Qt::RoundJoin);
        painter.strokePath(headsOf([](int kind) { return kind == OpenHead || kind == BarHead; }), solid);
        painter.fillPath(headsOf([](int kind) { return kind == FilledHead || kind == DotHead; }), colour().toQColor());
    }
    const BezierPath text = textPathForObject(object);
    if (!text.isEmpty()) {
        const QVariant textColour = m_textAttributes.value(ql::TextAttribute::foregroundColor);
        const QColor fill = textColour.canConvert<ql::Color>() ? textColour.value<ql::Color>().toQColor() : colour().toQColor();
        painter.fillPath(text.toPainterPath(), fill);
    }
}

QStringList DFArrowStroke::observableKeyPaths() const
{
    return DFStroke::observableKeyPaths()
           + QStringList {QStringLiteral("arrowHeadAtStart"), QStringLiteral("arrowHeadAtEnd"), QStringLiteral("arrowHeadLength"),
                          QStringLiteral("arrowHeadWidth"), QStringLiteral("textAttributes"), QStringLiteral("dimensioningLineOptions")};
}

QHash<QString, QString> DFArrowStroke::actionNames() const
{
    QHash<QString, QString> names = DFStroke::actionNames();
    names.insert(QStringLiteral("arrowHeadAtStart"), QStringLiteral("#kind# Start Head"));
    names.insert(QStringLiteral("arrowHeadAtEnd"), QStringLiteral("#kind# End Head"));
    names.insert(QStringLiteral("arrowHeadLength"), QStringLiteral("#kind# Head Length"));
    names.insert(QStringLiteral("arrowHeadWidth"), QStringLiteral("#kind# Head Width"));
    names.insert(QStringLiteral("textAttributes"), QStringLiteral("#kind# Text"));
    names.insert(QStringLiteral("dimensioningLineOptions"), QStringLiteral("#kind# Text Placement"));
    return names;
}

std::unique_ptr<DFRasterizer> DFArrowStroke::copy() const
{
    return std::unique_ptr<DFRasterizer>(new DFArrowStroke(*this));
}

QStringList DFArrowStroke::archiveClassChain() const
{
    return {QStringLiteral("DFArrowStroke"), QStringLiteral("DFStroke"), QStringLiteral("DFRasterizer"), QStringLiteral("NSObject")};
}

void DFArrowStroke::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFStroke::encodeWithCoder(coder);
    coder.encodeInt32(QStringLiteral("arrowHeadAtStart"), m_headAtStart);
    coder.encodeInt32(QStringLiteral("arrowHeadAtEnd"), m_headAtEnd);
    coder.encodeDouble(QStringLiteral("arrowHeadLength"), m_headLength);
    coder.encodeDouble(QStringLiteral("arrowHeadWidth"), m_headWidth);
    coder.encodeObject(QStringLiteral("textAttributes"), m_textAttributes.isEmpty() ? QVariant() : QVariant(m_textAttributes));
    coder.encodeInt32(QStringLiteral("dimensioningLineOptions"), m_options);
}

void DFArrowStroke::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFStroke::initWithCoder(coder);
    ql::fields::readInt(coder, QStringLiteral("arrowHeadAtStart"), m_headAtStart);
    ql::fields::readInt(coder, QStringLiteral("arrowHeadAtEnd"), m_headAtEnd);
    double value = m_headLength;
    if (ql::df::readDouble(coder, QStringLiteral("arrowHeadLength"), value))
        setArrowHeadLength(value);
    value = m_headWidth;
    if (ql::df::readDouble(coder, QStringLiteral("arrowHeadWidth"), value))
        setArrowHeadWidth(value);
    const QVariant attributes = ql::fields::readRaw(coder, QStringLiteral("textAttributes"));
    if (attributes.typeId() == QMetaType::QVariantMap)
        m_textAttributes = textAttributeValues(attributes.toMap());
    int options = m_options;
    if (ql::fields::readInt(coder, QStringLiteral("dimensioningLineOptions"), options))
        setDimensioningLineOptions(options);
}
