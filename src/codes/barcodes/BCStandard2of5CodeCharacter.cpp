#include "codes/barcodes/BCStandard2of5CodeCharacter.h"

#include "codes/barcodes/BCTwoOfFiveElements.h"

namespace ql {

const BCSymbologyTable& BCStandard2of5CodeCharacter::table()
{
    static const BCSymbologyTable characters = [] {
        BCSymbologyTable built{{}, BCBarsFromBarText};
        for (int digit = 0; digit < 10; ++digit) {
            QString bars;
            for (int i = 0; i < 5; ++i)
                bars += QLatin1String(BCTwoOfFiveElements[digit][i] == 'W' ? "111" : "1") + QLatin1String(i < 4 ? "0" : "");
            built.rows.push_back({QString::number(digit), bars});
        }
        return built;
    }();
    return characters;
}

BCCodeCharacterPtr BCStandard2of5CodeCharacter::startMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"1101101", true);
    return marker;
}

BCCodeCharacterPtr BCStandard2of5CodeCharacter::stopMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"1101011", true);
    return marker;
}

BCCodeCharacterPtr BCStandard2of5CodeCharacter::spacingCodeCharacter()
{
    static const BCCodeCharacterPtr gap = BCMakeCodeCharacter(u"0", false);
    return gap;
}

} // namespace ql
