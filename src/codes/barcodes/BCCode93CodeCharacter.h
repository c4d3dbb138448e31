// Code 93's characters: start/stop, the termination bar and the 47 table
// characters, four of them shifts written as three-letter texts.
#pragma once

#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCCode93CodeCharacter {
public:
    static BCCodeCharacterPtr startStopCodeCharacter();
    static BCCodeCharacterPtr terminationBarCodeCharacter();
    static const BCSymbologyTable& table();
};

} // namespace ql
