// MSI's characters: start and stop guards and the ten digits, four bit cells
// of three modules each.
#pragma once

#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCMSICodeCharacter {
public:
    static BCCodeCharacterPtr startMarkerCodeCharacter(); // "110"
    static BCCodeCharacterPtr stopMarkerCodeCharacter();  // "1001"
    static const BCSymbologyTable& table();
};

} // namespace ql
