// Code 11's characters: start/stop, the gap, and digits and dash with values 0 to 10.
#pragma once

#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCCode11CodeCharacter {
public:
    static BCCodeCharacterPtr endMarkerCodeCharacter();
    static BCCodeCharacterPtr spacingCodeCharacter();
    static const BCSymbologyTable& table();
};

} // namespace ql
