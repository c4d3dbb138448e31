// Code 39's characters: the "*" start/stop, the one-module gap and the 43
// basic characters, whose row index is their value for the check character.
#pragma once

#include "codes/barcodes/BCSymbologyTable.h"
#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCCode39CodeCharacter {
public:
    static BCCodeCharacterPtr endMarkerCodeCharacter();
    static BCCodeCharacterPtr spacingCodeCharacter();
    static BCTableCodeCharacterPtr codeCharacterForCharacter(QStringView text);
    static BCTableCodeCharacterPtr codeCharacterForValue(qsizetype value);
    static const BCSymbologyTable& table();
};

} // namespace ql
