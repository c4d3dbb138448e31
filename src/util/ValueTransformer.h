// Named value transformers, as the inspectors use to show model values in
// display units. A name's first registration stays in force; its rules are
// called at every transformation, so they can read live state.
#pragma once

#include <QHash>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace ql {

class ValueTransformer {
public:
    using Rule = std::function<QVariant(const QVariant&)>;

    ValueTransformer(QString name, QString transformedValueClass, Rule forward, Rule reverse);

    const QString& name() const { return m_name; }
    const QString& transformedValueClass() const { return m_transformedValueClass; }
    bool allowsReverseTransformation() const { return static_cast<bool>(m_reverse); }

    QVariant transformedValue(const QVariant& value) const;
    // Null when the transformer has no reverse rule.
    QVariant reverseTransformedValue(const QVariant& value) const;

private:
    QString m_name;
    QString m_transformedValueClass;
    Rule m_forward;
    Rule m_reverse;
};

class ValueTransformerRegistry {
public:
    static ValueTransformerRegistry& shared();

    // False, changing nothing, when the name is taken already.
    bool registerValueTransformer(const QString& name, const QString& transformedValueClass,
                                  ValueTransformer::Rule forward, ValueTransformer::Rule reverse = {});
    const ValueTransformer* transformer(const QString& name) const;

private:
    QHash<QString, std::shared_ptr<const ValueTransformer>> m_transformers;
};

} // namespace ql
