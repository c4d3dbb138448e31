#include "shapes/df/DFRendererGroup.h"

#include "platform/archive/ArchiveFields.h"
#include "shapes/df/DFArchiving.h"

DFRendererGroup::DFRendererGroup() = default;
DFRendererGroup::~DFRendererGroup() = default;

DFRendererGroup::DFRendererGroup(const DFRendererGroup& other) : DFRasterizer(other)
{
    for (const DFRasterizer* renderer : other.m_renderers)
        addRenderer(renderer->copy());
}

DFRasterizer* DFRendererGroup::addRenderer(std::unique_ptr<DFRasterizer> renderer)
{
    return insertRenderer(std::move(renderer), m_renderers.size());
}

DFRasterizer* DFRendererGroup::insertRenderer(std::unique_ptr<DFRasterizer> renderer, qsizetype index)
{
    if (!renderer || !ql::df::canAdopt(this, renderer.get()))
        return nullptr;
    DFRasterizer* added = renderer.release();
    added->setParent(this);
    m_renderers.insert(std::clamp<qsizetype>(index, 0, m_renderers.size()), added);
    return added;
}

std::unique_ptr<DFRasterizer> DFRendererGroup::removeRenderer(DFRasterizer* renderer)
{
    if (!m_renderers.removeOne(renderer))
        return nullptr;
    renderer->setParent(nullptr);
    return std::unique_ptr<DFRasterizer>(renderer);
}

int DFRendererGroup::removeRenderersOfClass(const QMetaObject& metaObject, bool inSubgroups)
{
    int removed = 0;
    for (qsizetype i = m_renderers.size() - 1; i >= 0; --i) {
        DFRasterizer* renderer = m_renderers.at(i);
        if (metaObject.cast(renderer)) {
            removeRenderer(renderer).reset();
            ++removed;
        } else if (inSubgroups) {
            if (auto* group = qobject_cast<DFRendererGroup*>(renderer))
                removed += group->removeRenderersOfClass(metaObject, true);
        }
    }
    return removed;
}

void DFRendererGroup::renderEach(const DFRenderable& object, QPainter& painter) const
{
    for (const DFRasterizer* renderer : m_renderers) {
        if (!renderer->enabled() || !renderer->isValid())
            continue;
        painter.save();
        renderer->render(object, painter);
        painter.restore();
    }
}

void DFRendererGroup::render(const DFRenderable& object, QPainter& painter) const
{
    painter.save();
    applyClipping(painter, object);
    renderEach(object, painter);
    painter.restore();
}

bool DFRendererGroup::isValid() const
{
    return std::any_of(m_renderers.begin(), m_renderers.end(), [](const DFRasterizer* r) { return r->isValid(); });
}

bool DFRendererGroup::isFill() const
{
    return std::any_of(m_renderers.begin(), m_renderers.end(), [](const DFRasterizer* r) { return r->isFill(); });
}

std::unique_ptr<DFRasterizer> DFRendererGroup::copy() const
{
    return std::unique_ptr<DFRasterizer>(new DFRendererGroup(*this));
}

QStringList DFRendererGroup::archiveClassChain() const
{
    return {QStringLiteral("DFRendererGroup"), QStringLiteral("DFRasterizer"), QStringLiteral("NSObject")};
}

void DFRendererGroup::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    DFRasterizer::encodeWithCoder(coder);
    QVariantList list;
    for (const DFRasterizer* renderer : m_renderers)
        list.append(ql::fields::objectValue(renderer));
    coder.encodeObject(QStringLiteral("renderers"), list);
}

void DFRendererGroup::initWithCoder(ql::KeyedUnarchiver& coder)
{
    DFRasterizer::initWithCoder(coder);
    // Entries of other classes, renderers another record owns already and
    // a group listed inside itself are left out.
    for (DFRasterizer* renderer : ql::fields::readObjects<DFRasterizer>(coder, QStringLiteral("renderers"))) {
        if (m_renderers.size() >= maximumRenderers)
            break;
        if (!ql::df::canAdopt(this, renderer))
            continue;
        renderer->setParent(this);
        m_renderers.append(renderer);
    }
}
