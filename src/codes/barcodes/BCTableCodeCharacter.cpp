#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

BCTableCodeCharacter::BCTableCodeCharacter(const BCSymbologyTable& table, qsizetype value, bool isCheckDigit)
    : m_table(table)
    , m_value(value)
    , m_isCheckDigit(isCheckDigit)
{
}

BCTableCodeCharacterPtr BCTableCodeCharacter::codeCharacterForCharacter(const BCSymbologyTable& table, QStringView text)
{
    return codeCharacterForValue(table, table.valueOf(text));
}

BCTableCodeCharacterPtr BCTableCodeCharacter::codeCharacterForValue(const BCSymbologyTable& table, qsizetype value,
                                                                   bool isCheckDigit)
{
    if (value < 0 || size_t(value) >= table.rows.size())
        return nullptr;
    return std::make_shared<BCTableCodeCharacter>(table, value, isCheckDigit);
}

BCBarString BCTableCodeCharacter::barString() const
{
    return m_table.barsForEncoding(m_table.rows[size_t(m_value)].encoding);
}

qsizetype BCWeightedCheckValue(const std::vector<BCTableCodeCharacterPtr>& characters, int maxWeight, int modulus)
{
    qsizetype sum = 0;
    int weight = 1;
    for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
        sum += (*it)->characterValue() * weight;
        weight = weight == maxWeight ? 1 : weight + 1;
    }
    return sum % modulus;
}

} // namespace ql
