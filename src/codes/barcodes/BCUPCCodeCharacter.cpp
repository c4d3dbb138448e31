#include "codes/barcodes/BCUPCCodeCharacter.h"

namespace ql {

BCUPCCodeCharacter::BCUPCCodeCharacter(const BCCodeCharacter& eanCharacter)
    : BCEANCodeCharacter(eanCharacter.barString(), true)
{
}

BCCodeCharacterPtr BCUPCCodeCharacter::markerCharacterWithEANCharacter(const BCCodeCharacter& eanCharacter)
{
    return std::make_shared<BCUPCCodeCharacter>(eanCharacter);
}

} // namespace ql
