#include "shapes/df/DFStyle.h"

#include "platform/archive/ArchiveFields.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFStroke.h"

#include <cmath>

DFStyle::DFStyle() = default;
DFStyle::~DFStyle() = default;

DFStyle::DFStyle(const DFStyle& other) : DFRendererGroup(other), m_name(other.m_name) {}

std::unique_ptr<DFStyle> DFStyle::styleWithFillColour(const ql::Color& fill, const ql::Color& stroke, double strokeWidth)
{
    auto style = std::make_unique<DFStyle>();
    style->addRenderer(DFFill::fillWithColour(fill));
    auto line = std::make_unique<DFStroke>();
    line->setColour(stroke);
    line->setWidth(strokeWidth);
    style->addRenderer(std::move(line));
    return style;
}

std::unique_ptr<DFStyle> DFStyle::defaultStyle()
{
    return styleWithFillColour(ql::Color::clear(), ql::Color::black(), 1.0);
}

DFFill* DFStyle::fill() const
{
    return firstRendererOfClass<DFFill>();
}

DFStroke* DFStyle::stroke() const
{
    return firstRendererOfClass<DFStroke>();
}

ql::Color DFStyle::fillColour() const
{
    const DFFill* first = fill();
    return first ? first->colour() : ql::Color::clear();
}

void DFStyle::setFillColour(const ql::Color& colour)
{
    if (DFFill* first = fill())
        first->setColour(colour);
    else
        insertRenderer(DFFill::fillWithColour(colour), 0);
}

ql::Color DFStyle::strokeColour() const
{
    const DFStroke* first = stroke();
    return first ? first->colour() : ql::Color::clear();
}

double DFStyle::strokeWidth() const
{
    const DFStroke* first = stroke();
    return first ? first->width() : 0.0;
}

namespace {

double outsetOf(const DFRendererGroup& group)
{
    double outset = 0.0;
    for (const DFRasterizer* renderer : group.renderers()) {
        if (!renderer->enabled())
            continue;
        if (const auto* line = qobject_cast<const DFStroke*>(renderer))
            outset = std::max(outset, line->outset());
        else if (const auto* area = qobject_cast<const DFFill*>(renderer))
            outset = std::max(outset, area->outset());
        else if (const auto* nested = qobject_cast<const DFRendererGroup*>(renderer))
            outset = std::max(outset, outsetOf(*nested));
    }
    return outset;
}

} // namespace

double DFStyle::extraOutset() const
{
    return outsetOf(*this);
}

std::unique_ptr<DFRasterizer> DFStyle::copy() const
{
    return copyStyle();
}

std::unique_ptr<DFStyle> DFStyle::copyStyle() const
{
    return std::unique_ptr<DFStyle>(new DFStyle(*this));
}

QStringList DFStyle::archiveClassChain() const
{
    return {QStringLiteral("DFStyle"), QStringLiteral("DFRendererGroup"), QStringLiteral("DFRasterizer"), QStringLiteral("NSObject")};
}

void DFStyle::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFRendererGroup::encodeWithCoder(coder);
    coder.encodeObject(QStringLiteral("name"), m_name.isNull() ? QVariant() : QVariant(m_name));
}

void DFStyle::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFRendererGroup::initWithCoder(coder);
    ql::fields::readString(coder, QStringLiteral("name"), m_name);
}
