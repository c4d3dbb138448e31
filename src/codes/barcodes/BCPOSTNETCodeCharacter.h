// POSTNET's characters: the frame bar, the space and the ten digits of two
// tall and three short bars.
#pragma once

#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCPOSTNETCodeCharacter {
public:
    static BCCodeCharacterPtr frameBarCodeCharacter();
    static BCCodeCharacterPtr spacingCodeCharacter();
    static const BCSymbologyTable& table();
};

} // namespace ql
