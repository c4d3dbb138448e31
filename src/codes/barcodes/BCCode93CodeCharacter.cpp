#include "codes/barcodes/BCCode93CodeCharacter.h"

namespace ql {

const BCSymbologyTable& BCCode93CodeCharacter::table()
{
    // Widths of bar, space, bar, space, bar, space; nine modules each.
    static const BCSymbologyTable characters{
        {
            {"0", "131112"}, {"1", "111213"}, {"2", "111312"}, {"3", "111411"}, {"4", "121113"}, {"5", "121212"},
            {"6", "121311"}, {"7", "111114"}, {"8", "131211"}, {"9", "141111"}, {"A", "211113"}, {"B", "211212"},
            {"C", "211311"}, {"D", "221112"}, {"E", "221211"}, {"F", "231111"}, {"G", "112113"}, {"H", "112212"},
            {"I", "112311"}, {"J", "122112"}, {"K", "132111"}, {"L", "111123"}, {"M", "111222"}, {"N", "111321"},
            {"O", "121122"}, {"P", "131121"}, {"Q", "212112"}, {"R", "212211"}, {"S", "211122"}, {"T", "211221"},
            {"U", "221121"}, {"V", "222111"}, {"W", "112122"}, {"X", "112221"}, {"Y", "122121"}, {"Z", "123111"},
            {"-", "121131"}, {".", "311112"}, {" ", "311211"}, {"$", "321111"}, {"/", "112131"}, {"+", "113121"},
            {"%", "211131"}, {"($)", "121221"}, {"(%)", "312111"}, {"(/)", "311121"}, {"(+)", "122211"},
        },
        BCBarsFromWidths,
    };
    return characters;
}

BCCodeCharacterPtr BCCode93CodeCharacter::startStopCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"101011110", true);
    return marker;
}

BCCodeCharacterPtr BCCode93CodeCharacter::terminationBarCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"1", true);
    return marker;
}

} // namespace ql
