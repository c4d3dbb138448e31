#include "shapes/ZVArrowStroke.h"

#include "platform/archive/ArchiveFields.h"
#include "shapes/df/TextOnPath.h"

ZVArrowStroke::ZVArrowStroke() = default;
ZVArrowStroke::~ZVArrowStroke() = default;

ZVArrowStroke::ZVArrowStroke(const ZVArrowStroke& other)
    : DFArrowStroke(other), m_pathText(other.m_pathText), m_hideShape(other.m_hideShape)
{
}

ql::AttributedString ZVArrowStroke::dimensionTextForObject(const DFRenderable&) const
{
    if (!m_pathText.isEmpty())
        return ql::AttributedString(m_pathText, textAttributes());
    return ql::AttributedString(QStringLiteral(" "), dimensioningLineTextAttributes());
}

ql::BezierPath ZVArrowStroke::arrowPathFromOriginalPath(const ql::BezierPath& path, const DFRenderable& object) const
{
    if (!m_hideShape)
        return DFArrowStroke::arrowPathFromOriginalPath(path, object);
    // textOffset() is the placement's distance across the outline: above by
    // half the width and 2 points, centred by half the x-height below, below
    // by the x-height more.
    return ql::df::bezierPathWithTextOnPath(path, dimensionTextForObject(object), textOffset());
}

std::unique_ptr<DFRasterizer> ZVArrowStroke::copy() const
{
    return std::unique_ptr<DFRasterizer>(new ZVArrowStroke(*this));
}

QStringList ZVArrowStroke::archiveClassChain() const
{
    return QStringList {QStringLiteral("ZVArrowStroke")} + DFArrowStroke::archiveClassChain();
}

void ZVArrowStroke::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFArrowStroke::encodeWithCoder(coder);
    coder.encodeObject(QStringLiteral("pathText"), m_pathText.isNull() ? QVariant() : QVariant(m_pathText));
    coder.encodeBool(QStringLiteral("hideShape"), m_hideShape);
}

void ZVArrowStroke::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFArrowStroke::initWithCoder(coder);
    ql::fields::readString(coder, QStringLiteral("pathText"), m_pathText);
    ql::fields::readBool(coder, QStringLiteral("hideShape"), m_hideShape);
}
