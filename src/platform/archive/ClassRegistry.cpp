#include "platform/archive/ClassRegistry.h"

#include "platform/archive/PlatformValueDecoding.h"

namespace ql {

ClassRegistry ClassRegistry::withPlatformValues()
{
    ClassRegistry registry;
    registerPlatformValueDecoders(registry);
    return registry;
}

void ClassRegistry::registerValueClass(const QString& archivedName, ValueDecoder decoder)
{
    m_decoders.insert(archivedName, std::move(decoder));
}

void ClassRegistry::substitute(const QString& archivedName, const QString& registeredName)
{
    m_substitutions.insert(archivedName, registeredName);
}

QString ClassRegistry::resolved(const QString& archivedName) const
{
    return m_substitutions.value(archivedName, archivedName);
}

const ClassRegistry::ObjectFactory* ClassRegistry::factory(const QString& archivedName) const
{
    const auto it = m_factories.constFind(resolved(archivedName));
    return it == m_factories.constEnd() ? nullptr : &*it;
}

const ClassRegistry::ValueDecoder* ClassRegistry::valueDecoder(const QString& archivedName) const
{
    const auto it = m_decoders.constFind(resolved(archivedName));
    return it == m_decoders.constEnd() ? nullptr : &*it;
}

} // namespace ql
