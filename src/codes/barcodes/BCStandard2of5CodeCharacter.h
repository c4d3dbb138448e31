// Standard (Industrial) 2 of 5: start and stop guards, the gap, and digits
// written in five bars (narrow one module, wide three) with narrow spaces.
#pragma once

#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCStandard2of5CodeCharacter {
public:
    static BCCodeCharacterPtr startMarkerCodeCharacter(); // "1101101"
    static BCCodeCharacterPtr stopMarkerCodeCharacter();  // "1101011"
    static BCCodeCharacterPtr spacingCodeCharacter();
    static const BCSymbologyTable& table();
};

} // namespace ql
