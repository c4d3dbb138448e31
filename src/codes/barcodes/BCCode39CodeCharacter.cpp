#include "codes/barcodes/BCCode39CodeCharacter.h"

namespace ql {

const BCSymbologyTable& BCCode39CodeCharacter::table()
{
    // Five bars and four spaces each: b/w narrow, B/W wide.
    static const BCSymbologyTable characters{
        {
            {"0", "bwbWBwBwb"}, {"1", "BwbWbwbwB"}, {"2", "bwBWbwbwB"}, {"3", "BwBWbwbwb"}, {"4", "bwbWBwbwB"},
            {"5", "BwbWBwbwb"}, {"6", "bwBWBwbwb"}, {"7", "bwbWbwBwB"}, {"8", "BwbWbwBwb"}, {"9", "bwBWbwBwb"},
            {"A", "BwbwbWbwB"}, {"B", "bwBwbWbwB"}, {"C", "BwBwbWbwb"}, {"D", "bwbwBWbwB"}, {"E", "BwbwBWbwb"},
            {"F", "bwBwBWbwb"}, {"G", "bwbwbWBwB"}, {"H", "BwbwbWBwb"}, {"I", "bwBwbWBwb"}, {"J", "bwbwBWBwb"},
            {"K", "BwbwbwbWB"}, {"L", "bwBwbwbWB"}, {"M", "BwBwbwbWb"}, {"N", "bwbwBwbWB"}, {"O", "BwbwBwbWb"},
            {"P", "bwBwBwbWb"}, {"Q", "bwbwbwBWB"}, {"R", "BwbwbwBWb"}, {"S", "bwBwbwBWb"}, {"T", "bwbwBwBWb"},
            {"U", "BWbwbwbwB"}, {"V", "bWBwbwbwB"}, {"W", "BWBwbwbwb"}, {"X", "bWbwBwbwB"}, {"Y", "BWbwBwbwb"},
            {"Z", "bWBwBwbwb"}, {"-", "bWbwbwBwB"}, {".", "BWbwbwBwb"}, {" ", "bWBwbwBwb"}, {"$", "bWbWbWbwb"},
            {"/", "bWbWbwbWb"}, {"+", "bWbwbWbWb"}, {"%", "bwbWbWbWb"},
        },
        BCBarsFromNarrowWideEncoding,
    };
    return characters;
}

BCCodeCharacterPtr BCCode39CodeCharacter::endMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"100101101101", true);
    return marker;
}

BCCodeCharacterPtr BCCode39CodeCharacter::spacingCodeCharacter()
{
    static const BCCodeCharacterPtr gap = BCMakeCodeCharacter(u"0", false);
    return gap;
}

BCTableCodeCharacterPtr BCCode39CodeCharacter::codeCharacterForCharacter(QStringView text)
{
    return BCTableCodeCharacter::codeCharacterForCharacter(table(), text);
}

BCTableCodeCharacterPtr BCCode39CodeCharacter::codeCharacterForValue(qsizetype value)
{
    return BCTableCodeCharacter::codeCharacterForValue(table(), value);
}

} // namespace ql
