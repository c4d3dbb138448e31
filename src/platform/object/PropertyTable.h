// A model class's table of named properties: each with its kind, a getter
// and (unless read-only) a setter, declared once per class.
#pragma once

#include "platform/object/ValueKind.h"

#include <QHash>
#include <unordered_map>
#include <QMetaObject>
#include <functional>
#include <optional>
#include <memory>
#include <vector>

namespace ql {

class KVObject;

struct PropertyDef {
    QString name;
    ValueKind kind = ValueKind::Any;
    // For object properties: the class a value must be (null: any QObject).
    const QMetaObject* objectClass = nullptr;
    // For value properties: the type a value must have, the type of each
    // item of a variant list, and whether null is taken (a variant field).
    QMetaType valueType;
    QMetaType itemType;
    bool nullable = false;
    std::function<QVariant(const KVObject&)> get;
    // Receives a value already checked against `kind`; must announce the
    // change to observers (KVObject::changeValue does). Empty: read-only.
    std::function<void(KVObject&, const QVariant&)> set;
};

class PropertyTable {
public:
    PropertyTable() = default;

    // Properties of `base` (a superclass's table) come first and can be
    // redeclared by the subclass.
    explicit PropertyTable(const PropertyTable* base);

    void add(PropertyDef def);
    const PropertyDef* find(QStringView name) const;
    // Declaration order, base class first.
    const std::vector<PropertyDef>& all() const { return m_defs; }

private:
    // Looked up by view, without making a string: every key-value read goes
    // through here.
    struct NameHash {
        using is_transparent = void;
        size_t operator()(QStringView name) const noexcept { return qHash(name); }
    };
    std::vector<PropertyDef> m_defs;
    std::unordered_map<QString, size_t, NameHash, std::equal_to<>> m_index;
};

// Builds a class's table from member pointers:
//   static const PropertyTable table = PropertyTableBuilder<Page>(&KVObject::baseTable())
//       .field("leftMargin", &Page::m_leftMargin)
//       .property("pageSize", &Page::pageSize, &Page::setPageSize)
//       .build();
template <class C>
class PropertyTableBuilder {
public:
    explicit PropertyTableBuilder(const PropertyTable* base = nullptr) : m_table(base) {}

    // A stored field; kind follows the C++ type unless given (a variant
    // field must say what it holds). Setting it through the table notifies
    // observers.
    template <class T, class Owner>
    PropertyTableBuilder& field(const char* name, T Owner::*member, std::optional<ExpectedValue> expected = std::nullopt)
    {
        static_assert(std::is_base_of_v<Owner, C>);
        PropertyDef def;
        def.name = QString::fromLatin1(name);
        describe<T>(def, expected);
        def.get = [member](const KVObject& object) {
            return ValueTraits<T>::toVariant(static_cast<const C&>(object).*member);
        };
        const QString key = def.name;
        def.set = [member, key](KVObject& object, const QVariant& value) {
            C& self = static_cast<C&>(object);
            self.changeValue(key, self.*member, ValueTraits<T>::fromVariant(value));
        };
        m_table.add(std::move(def));
        return *this;
    }

    // A property with its own accessors; the setter announces the change.
    template <class T, class Arg, class Owner>
    PropertyTableBuilder& property(const char* name, T (Owner::*getter)() const, void (Owner::*setter)(Arg),
                                   std::optional<ExpectedValue> expected = std::nullopt)
    {
        static_assert(std::is_base_of_v<Owner, C>);
        using Value = std::remove_cvref_t<T>;
        PropertyDef def;
        def.name = QString::fromLatin1(name);
        describe<Value>(def, expected);
        def.get = [getter](const KVObject& object) {
            return ValueTraits<Value>::toVariant((static_cast<const C&>(object).*getter)());
        };
        if (setter) {
            def.set = [setter](KVObject& object, const QVariant& value) {
                (static_cast<C&>(object).*setter)(ValueTraits<Value>::fromVariant(value));
            };
        }
        m_table.add(std::move(def));
        return *this;
    }

    // A read-only property.
    template <class T, class Owner>
    PropertyTableBuilder& readOnly(const char* name, T (Owner::*getter)() const)
    {
        return property<T, T, Owner>(name, getter, nullptr);
    }

    PropertyTable build() { return std::move(m_table); }

private:
    // Kind and type of a property stored as T: a type without a kind of its
    // own (geometry, colours, lists) is a value of exactly that type.
    template <class T>
    static void describe(PropertyDef& def, const std::optional<ExpectedValue>& expected)
    {
        constexpr bool variant = std::is_same_v<T, QVariant>;
        ExpectedValue resolved = expected.value_or(ExpectedValue(ValueTraits<T>::kind));
        if (!expected && resolved.kind == ValueKind::Any && !variant)
            resolved = valueOf<T>();
        def.kind = resolved.kind;
        def.valueType = resolved.type;
        def.itemType = resolved.itemType;
        def.nullable = variant;
        def.objectClass = objectClassOf<T>();
    }

    template <class T>
    static const QMetaObject* objectClassOf()
    {
        if constexpr (std::is_pointer_v<T> && std::is_base_of_v<QObject, std::remove_pointer_t<T>>)
            return &std::remove_pointer_t<T>::staticMetaObject;
        else
            return nullptr;
    }

    PropertyTable m_table;
};

} // namespace ql
