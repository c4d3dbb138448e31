#include "codes/barcodes/BCCode11CodeCharacter.h"

namespace ql {

const BCSymbologyTable& BCCode11CodeCharacter::table()
{
    static const BCSymbologyTable characters{
        {
            {"0", "101011"}, {"1", "1101011"}, {"2", "1001011"}, {"3", "1100101"}, {"4", "1011011"}, {"5", "1101101"},
            {"6", "1001101"}, {"7", "1010011"}, {"8", "1101001"}, {"9", "110101"}, {"-", "101101"},
        },
        BCBarsFromBarText,
    };
    return characters;
}

BCCodeCharacterPtr BCCode11CodeCharacter::endMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"1011001", true);
    return marker;
}

BCCodeCharacterPtr BCCode11CodeCharacter::spacingCodeCharacter()
{
    static const BCCodeCharacterPtr gap = BCMakeCodeCharacter(u"0", false);
    return gap;
}

} // namespace ql
