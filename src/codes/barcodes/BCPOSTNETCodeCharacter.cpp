#include "codes/barcodes/BCPOSTNETCodeCharacter.h"

namespace ql {

const BCSymbologyTable& BCPOSTNETCodeCharacter::table()
{
    // "1" a tall bar, "," a short one, each followed by a space.
    static const BCSymbologyTable characters{
        {
            {"0", "1010,0,0,0"}, {"1", ",0,0,01010"}, {"2", ",0,010,010"}, {"3", ",0,01010,0"}, {"4", ",010,0,010"},
            {"5", ",010,010,0"}, {"6", ",01010,0,0"}, {"7", "10,0,0,010"}, {"8", "10,0,010,0"}, {"9", "10,010,0,0"},
        },
        BCBarsFromBarText,
    };
    return characters;
}

BCCodeCharacterPtr BCPOSTNETCodeCharacter::frameBarCodeCharacter()
{
    static const BCCodeCharacterPtr bar = BCMakeCodeCharacter(u"1", false);
    return bar;
}

BCCodeCharacterPtr BCPOSTNETCodeCharacter::spacingCodeCharacter()
{
    static const BCCodeCharacterPtr gap = BCMakeCodeCharacter(u"0", false);
    return gap;
}

} // namespace ql
