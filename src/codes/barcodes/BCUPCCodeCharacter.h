// An EAN digit drawn as a marker: UPC-A's outer digits get long bars like the
// guards. Not a digit character, so caption groups do not list it.
#pragma once

#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

class BCUPCCodeCharacter : public BCEANCodeCharacter {
public:
    explicit BCUPCCodeCharacter(const BCCodeCharacter& eanCharacter);
    static BCCodeCharacterPtr markerCharacterWithEANCharacter(const BCCodeCharacter& eanCharacter);
};

} // namespace ql
