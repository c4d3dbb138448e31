#include "shapes/df/DFStroke.h"

#include "platform/archive/ArchiveFields.h"
#include "shapes/df/DFArchiving.h"

#include <cmath>

DFStroke::DFStroke() = default;
DFStroke::~DFStroke() = default;

DFStroke::DFStroke(const DFStroke& other)
    : DFRasterizer(other), m_width(other.m_width), m_colour(other.m_colour), m_dash(other.m_dash),
      m_cap(other.m_cap), m_join(other.m_join), m_miterLimit(other.m_miterLimit)
{
}

void DFStroke::setWidth(double width)
{
    // The painter draws no pen of 32,768 units or more.
    constexpr double widest = 32767.0;
    if (std::isfinite(width) && width >= 0.0)
        m_width = std::min(width, widest);
}

void DFStroke::setLineCapStyle(int cap)
{
    if (cap >= ButtCap && cap <= SquareCap)
        m_cap = cap;
}

void DFStroke::setLineJoinStyle(int join)
{
    if (join >= MiterJoin && join <= BevelJoin)
        m_join = join;
}

void DFStroke::setMiterLimit(double limit)
{
    if (std::isfinite(limit) && limit >= 1.0)
        m_miterLimit = std::min(limit, 1000.0);
}

QPen DFStroke::pen() const
{
    QPen pen(m_colour.toQColor());
    pen.setWidthF(m_width);
    pen.setCapStyle(m_cap == RoundCap ? Qt::RoundCap : m_cap == SquareCap ? Qt::SquareCap : Qt::FlatCap);
    pen.setJoinStyle(m_join == RoundJoin ? Qt::RoundJoin : m_join == BevelJoin ? Qt::BevelJoin : Qt::MiterJoin);
    pen.setMiterLimit(m_miterLimit);
    m_dash.applyTo(pen);
    return pen;
}

double DFStroke::outset() const
{
    // A miter can stick out well beyond half the width at sharp corners.
    return m_width * (m_join == MiterJoin ? 1.5 : 0.5);
}

void DFStroke::strokePath(QPainter& painter, const QPainterPath& path) const
{
    painter.setBrush(Qt::NoBrush);
    painter.strokePath(path, pen());
}

void DFStroke::render(const DFRenderable& object, QPainter& painter) const
{
    const ql::BezierPath outline = renderingPathForObject(object);
    if (outline.isEmpty())
        return;
    applyClipping(painter, object);
    strokePath(painter, outline.toPainterPath());
}

QStringList DFStroke::observableKeyPaths() const
{
    return DFRasterizer::observableKeyPaths()
           + QStringList {QStringLiteral("width"), QStringLiteral("colour"), QStringLiteral("dash"),
                          QStringLiteral("lineCapStyle"), QStringLiteral("lineJoinStyle"), QStringLiteral("miterLimit")};
}

QHash<QString, QString> DFStroke::actionNames() const
{
    QHash<QString, QString> names = DFRasterizer::actionNames();
    names.insert(QStringLiteral("width"), QStringLiteral("#kind# Width"));
    names.insert(QStringLiteral("colour"), QStringLiteral("#kind# Colour"));
    names.insert(QStringLiteral("dash"), QStringLiteral("#kind# Dash"));
    names.insert(QStringLiteral("lineCapStyle"), QStringLiteral("#kind# Line Cap"));
    names.insert(QStringLiteral("lineJoinStyle"), QStringLiteral("#kind# Line Join"));
    names.insert(QStringLiteral("miterLimit"), QStringLiteral("#kind# Miter Limit"));
    return names;
}

std::unique_ptr<DFRasterizer> DFStroke::copy() const
{
    return std::unique_ptr<DFRasterizer>(new DFStroke(*this));
}

QStringList DFStroke::archiveClassChain() const
{
    return {QStringLiteral("DFStroke"), QStringLiteral("DFRasterizer"), QStringLiteral("NSObject")};
}

void DFStroke::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFRasterizer::encodeWithCoder(coder);
    coder.encodeDouble(QStringLiteral("width"), m_width);
    coder.encodeObject(QStringLiteral("colour"), QVariant::fromValue(m_colour));
    if (!m_dash.isSolid())
        ql::df::encodeDash(coder, QStringLiteral("dash"), m_dash);
    coder.encodeInt32(QStringLiteral("lineCap"), m_cap);
    coder.encodeInt32(QStringLiteral("lineJoin"), m_join);
    coder.encodeDouble(QStringLiteral("miterLimit"), m_miterLimit);
}

void DFStroke::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFRasterizer::initWithCoder(coder);
    double width = m_width;
    if (ql::df::readDouble(coder, QStringLiteral("width"), width))
        setWidth(width);
    ql::df::readValue(coder, QStringLiteral("colour"), m_colour);
    ql::df::readValue(coder, QStringLiteral("dash"), m_dash);
    int code = m_cap;
    if (ql::fields::readInt(coder, QStringLiteral("lineCap"), code))
        setLineCapStyle(code);
    code = m_join;
    if (ql::fields::readInt(coder, QStringLiteral("lineJoin"), code))
        setLineJoinStyle(code);
    double limit = m_miterLimit;
    if (ql::df::readDouble(coder, QStringLiteral("miterLimit"), limit))
        setMiterLimit(limit);
}
