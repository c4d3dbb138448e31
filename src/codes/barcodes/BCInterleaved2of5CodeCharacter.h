// Interleaved 2 of 5: start and end guards, and digit pairs whose first digit
// is written in the bars and the second in the spaces.
#pragma once

#include "codes/barcodes/BCCodeCharacter.h"

namespace ql {

class BCInterleaved2of5CodeCharacter : public BCCodeCharacter {
public:
    BCInterleaved2of5CodeCharacter(QChar digit1, QChar digit2);

    static BCCodeCharacterPtr startMarkerCodeCharacter(); // "1010"
    static BCCodeCharacterPtr endMarkerCodeCharacter();   // "1101"
    // Null unless both are digits.
    static BCCodeCharacterPtr codeCharacterForDigitCharacters(QChar digit1, QChar digit2);

    // Ten letters: bar of the first digit's element, space of the second's, five times.
    static QString encodingForDigits(QChar digit1, QChar digit2);
    BCBarString barString() const override;

private:
    QChar m_digit1;
    QChar m_digit2;
};

} // namespace ql
