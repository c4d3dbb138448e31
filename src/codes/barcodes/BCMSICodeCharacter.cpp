#include "codes/barcodes/BCMSICodeCharacter.h"

namespace ql {

const BCSymbologyTable& BCMSICodeCharacter::table()
{
    static const BCSymbologyTable characters = [] {
        BCSymbologyTable built{{}, BCBarsFromBarText};
        for (int digit = 0; digit < 10; ++digit) {
            QString bars;
            for (int bit = 3; bit >= 0; --bit)
                bars += QLatin1String((digit >> bit) & 1 ? "110" : "100");
            built.rows.push_back({QString::number(digit), bars});
        }
        return built;
    }();
    return characters;
}

BCCodeCharacterPtr BCMSICodeCharacter::startMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"110", true);
    return marker;
}

BCCodeCharacterPtr BCMSICodeCharacter::stopMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"1001", true);
    return marker;
}

} // namespace ql
