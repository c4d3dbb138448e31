#include "util/ValueTransformer.h"

namespace ql {

ValueTransformer::ValueTransformer(QString name, QString transformedValueClass, Rule forward, Rule reverse)
    : m_name(std::move(name)), m_transformedValueClass(std::move(transformedValueClass)),
      m_forward(std::move(forward)), m_reverse(std::move(reverse))
{
}

QVariant ValueTransformer::transformedValue(const QVariant& value) const
{
    return m_forward ? m_forward(value) : value;
}

QVariant ValueTransformer::reverseTransformedValue(const QVariant& value) const
{
    return m_reverse ? m_reverse(value) : QVariant();
}

ValueTransformerRegistry& ValueTransformerRegistry::shared()
{
    static ValueTransformerRegistry registry;
    return registry;
}

bool ValueTransformerRegistry::registerValueTransformer(const QString& name, const QString& transformedValueClass,
                                                        ValueTransformer::Rule forward, ValueTransformer::Rule reverse)
{
    if (name.isEmpty() || m_transformers.contains(name))
        return false;
    m_transformers.insert(name, std::make_shared<const ValueTransformer>(name, transformedValueClass,
                                                                         std::move(forward), std::move(reverse)));
    return true;
}

const ValueTransformer* ValueTransformerRegistry::transformer(const QString& name) const
{
    const auto it = m_transformers.constFind(name);
    return it == m_transformers.constEnd() ? nullptr : it->get();
}

} // namespace ql
