// Guards and digit characters of the EAN/UPC symbologies.
#pragma once

#include "codes/barcodes/BCCodeCharacter.h"

namespace ql {

enum class BCEANEncoding : unsigned { L = 0, G = 1, R = 2 };

class BCEANCodeCharacter : public BCCodeCharacter {
public:
    using BCCodeCharacter::BCCodeCharacter;

    static BCCodeCharacterPtr endMarkerCodeCharacter();        // "101"
    static BCCodeCharacterPtr middleMarkerCodeCharacter();     // "01010"
    static BCCodeCharacterPtr endMarkerCodeCharacterForUPCE(); // "010101"
    static BCCodeCharacterPtr codeCharacterForDigit(unsigned digit, BCEANEncoding encoding);

    // The seven-module pattern of a digit in a set; digits above 9 have none.
    static QStringView patternForDigit(unsigned digit, BCEANEncoding encoding);
};

} // namespace ql
