#include "shapes/df/DFRasterizer.h"

#include "platform/archive/ArchiveFields.h"

DFRasterizer::DFRasterizer() = default;
DFRasterizer::~DFRasterizer() = default;

DFRasterizer::DFRasterizer(const DFRasterizer& other)
    : QObject(), ql::Codable(), m_enabled(other.m_enabled), m_clipping(other.m_clipping)
{
}

ql::BezierPath DFRasterizer::renderingPathForObject(const DFRenderable& object) const
{
    return object.renderingPath();
}

void DFRasterizer::render(const DFRenderable&, QPainter&) const {}

QStringList DFRasterizer::observableKeyPaths() const
{
    return {QStringLiteral("enabled"), QStringLiteral("clipping")};
}

QHash<QString, QString> DFRasterizer::actionNames() const
{
    return {
        {QStringLiteral("enabled"), QStringLiteral("Enable #kind#")},
        {QStringLiteral("clipping"), QStringLiteral("#kind# Clipping")},
    };
}

QString DFRasterizer::actionNameForKeyPath(const QString& keyPath) const
{
    QString name = actionNames().value(keyPath);
    return name.replace(QStringLiteral("#kind#"), kindName());
}

std::unique_ptr<DFRasterizer> DFRasterizer::copy() const
{
    return std::unique_ptr<DFRasterizer>(new DFRasterizer(*this));
}

void DFRasterizer::applyClipping(QPainter& painter, const DFRenderable& object) const
{
    if (m_clipping != ClipInsidePath && m_clipping != ClipOutsidePath)
        return;
    QPainterPath outline = renderingPathForObject(object).toPainterPath();
    if (m_clipping == ClipOutsidePath) {
        // Everything but the outline: the outline cut from a rectangle
        // around whatever the painter can reach.
        const QRectF reach = painter.worldTransform().inverted().mapRect(QRectF(painter.viewport()))
                                 .united(outline.boundingRect()).adjusted(-1, -1, 1, 1);
        QPainterPath outside;
        outside.addRect(reach);
        outline = outside.subtracted(outline);
    }
    painter.setClipPath(outline, Qt::IntersectClip);
}

QStringList DFRasterizer::archiveClassChain() const
{
    return {QStringLiteral("DFRasterizer"), QStringLiteral("NSObject")};
}

void DFRasterizer::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    coder.encodeBool(QStringLiteral("enabled"), m_enabled);
    coder.encodeInt32(QStringLiteral("clipping"), m_clipping);
}

void DFRasterizer::initWithCoder(ql::KeyedUnarchiver& coder)
{
    // Missing or damaged keys keep the defaults: on, unclipped.
    ql::fields::readBool(coder, QStringLiteral("enabled"), m_enabled);
    ql::fields::readInt(coder, QStringLiteral("clipping"), m_clipping);
}
