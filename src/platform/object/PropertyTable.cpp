#include "platform/object/PropertyTable.h"

namespace ql {

PropertyTable::PropertyTable(const PropertyTable* base)
{
    if (base) {
        m_defs = base->m_defs;
        m_index = base->m_index;
    }
}

void PropertyTable::add(PropertyDef def)
{
    const auto existing = m_index.find(QStringView(def.name));
    if (existing != m_index.end()) {
        m_defs[existing->second] = std::move(def);
        return;
    }
    m_index.emplace(def.name, m_defs.size());
    m_defs.push_back(std::move(def));
}

const PropertyDef* PropertyTable::find(QStringView name) const
{
    const auto it = m_index.find(name);
    return it == m_index.end() ? nullptr : &m_defs[it->second];
}

} // namespace ql
