// One value of a property list as stored in a binary plist: the exact kind is
// kept (integer or real, 4- or 8-byte real, UID) because archived numbers must
// come back as the kind they were written as. Containers are shared on copy.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <variant>
#include <vector>

namespace ql {

class PlistValue {
public:
    enum class Type : std::uint8_t {
        Null,
        Bool,
        Integer,
        Real,
        Date,
        Data,
        String,
        Uid,
        Array,
        Dictionary,
    };

    using Array = std::vector<PlistValue>;
    using Dictionary = std::vector<std::pair<QString, PlistValue>>;

    PlistValue() = default;

    static PlistValue boolean(bool value);
    static PlistValue integer(std::int64_t value);
    // Values above the signed 64-bit range; stored as 128-bit integers.
    static PlistValue unsignedInteger(std::uint64_t value);
    static PlistValue real(double value);
    static PlistValue float32(float value);
    // Seconds since 2001-01-01 00:00:00 UTC.
    static PlistValue date(double seconds);
    static PlistValue data(QByteArray value);
    static PlistValue string(QString value);
    static PlistValue uid(std::uint64_t value);
    static PlistValue array(Array values);
    static PlistValue dictionary(Dictionary entries);

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Type::Null; }
    bool isNumber() const { return m_type == Type::Integer || m_type == Type::Real || m_type == Type::Bool; }

    bool toBool() const { return m_scalar.i != 0; }
    std::int64_t toInteger() const { return m_scalar.i; }
    std::uint64_t toUnsigned() const { return m_scalar.u; }
    // An integer whose value needs 64 unsigned bits.
    bool isBigUnsigned() const { return m_type == Type::Integer && m_flag; }
    double toReal() const { return m_scalar.d; }
    // A real stored in four bytes.
    bool isFloat32() const { return m_type == Type::Real && m_flag; }
    double toDate() const { return m_scalar.d; }
    std::uint64_t toUid() const { return m_scalar.u; }
    const QByteArray& toData() const;
    const QString& toString() const;
    const Array& toArray() const;
    const Dictionary& toDictionary() const;

    // A dictionary's value for a key, or nullptr.
    const PlistValue* find(const QString& key) const;

    // Identity of a shared container, for writers that keep sharing.
    const void* containerIdentity() const;

    // Kind and value equality; a 4-byte and an 8-byte real differ.
    bool operator==(const PlistValue& other) const;

private:
    Type m_type = Type::Null;
    bool m_flag = false;
    union {
        std::int64_t i;
        std::uint64_t u;
        double d;
    } m_scalar {0};
    // Kept small: large documents hold hundreds of thousands of values.
    std::variant<std::monostate, QString, QByteArray, std::shared_ptr<const Array>,
                 std::shared_ptr<const Dictionary>>
        m_payload;
};

} // namespace ql
