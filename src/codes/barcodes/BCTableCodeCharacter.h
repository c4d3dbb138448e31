// A content character of a table symbology: its text and value, with bars
// computed from the table row's encoding.
#pragma once

#include "codes/barcodes/BCCodeCharacter.h"
#include "codes/barcodes/BCSymbologyTable.h"

namespace ql {

class BCTableCodeCharacter : public BCCodeCharacter {
public:
    BCTableCodeCharacter(const BCSymbologyTable& table, qsizetype value, bool isCheckDigit = false);

    // Null when the text is not in the table.
    static std::shared_ptr<const BCTableCodeCharacter> codeCharacterForCharacter(const BCSymbologyTable& table, QStringView text);
    // Null beyond the table.
    static std::shared_ptr<const BCTableCodeCharacter> codeCharacterForValue(const BCSymbologyTable& table, qsizetype value,
                                                                             bool isCheckDigit = false);

    qsizetype characterValue() const { return m_value; }
    const QString& character() const { return m_table.rows[size_t(m_value)].character; }
    bool isCheckDigit() const { return m_isCheckDigit; }
    BCBarString barString() const override;

private:
    const BCSymbologyTable& m_table;
    qsizetype m_value;
    bool m_isCheckDigit;
};

using BCTableCodeCharacterPtr = std::shared_ptr<const BCTableCodeCharacter>;

// Weighted check value over characters visited from the last to the first:
// weights 1, 2, ... up to `maxWeight`, then again from 1; the sum modulo `modulus`.
qsizetype BCWeightedCheckValue(const std::vector<BCTableCodeCharacterPtr>& characters, int maxWeight, int modulus);

} // namespace ql
