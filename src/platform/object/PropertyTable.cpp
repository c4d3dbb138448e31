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
    const auto existing = m_index.constFind(def.name);
    if (existing != m_index.constEnd()) {
        m_defs[*existing] = std::move(def);
        return;
    }
    m_index.insert(def.name, m_defs.size());
    m_defs.push_back(std::move(def));
}

const PropertyDef* PropertyTable::find(QStringView name) const
{
    const auto it = m_index.constFind(name.toString());
    return it == m_index.constEnd() ? nullptr : &m_defs[*it];
}

} // namespace ql
