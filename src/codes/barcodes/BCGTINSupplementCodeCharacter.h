// Characters of the EAN-2 and EAN-5 add-ons. Neither start nor separator is a
// marker: the add-ons have no guards in the renderer's sense.
#pragma once

#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

class BCGTINSupplementCodeCharacter : public BCCodeCharacter {
public:
    using BCCodeCharacter::BCCodeCharacter;

    static BCCodeCharacterPtr startCodeCharacter();     // "01011"
    static BCCodeCharacterPtr separatorCodeCharacter(); // "01"
    // Only the L and G sets occur in add-ons.
    static BCCodeCharacterPtr codeCharacterForDigit(unsigned digit, BCEANEncoding encoding);
};

} // namespace ql
