#include "codes/barcodes/BCCodabarCodeCharacter.h"

namespace ql {

BCCodabarCodeCharacter::BCCodabarCodeCharacter(const BCBarString& bars, bool marker, bool isStartStop)
    : BCCodeCharacter(bars, marker)
    , m_isStartStop(isStartStop)
{
}

const BCSymbologyTable& BCCodabarCodeCharacter::table()
{
    static const BCSymbologyTable characters{
        {
            {"0", "101010011"}, {"1", "101011001"}, {"2", "101001011"}, {"3", "110010101"},
            {"4", "101101001"}, {"5", "110101001"}, {"6", "100101011"}, {"7", "100101101"},
            {"8", "100110101"}, {"9", "110100101"}, {"-", "101001101"}, {"$", "101100101"},
            {":", "1101011011"}, {"/", "1101101011"}, {".", "1101101101"}, {"+", "1011011011"},
        },
        BCBarsFromBarText,
    };
    return characters;
}

BCCodeCharacterPtr BCCodabarCodeCharacter::startStopCodeCharacter(QStringView text)
{
    if (text.isEmpty())
        return nullptr;
    const char16_t* bars = nullptr;
    switch (text[0].unicode()) {
    case u'A': case u'T': bars = u"1011001001"; break;
    case u'B': case u'N': bars = u"1001001011"; break;
    case u'C': case u'*': bars = u"1010010011"; break;
    case u'D': case u'E': bars = u"1010011001"; break;
    default: return nullptr;
    }
    return std::make_shared<BCCodabarCodeCharacter>(BCBarStringFromString(bars), false, true);
}

BCCodeCharacterPtr BCCodabarCodeCharacter::spacingCodeCharacter()
{
    static const BCCodeCharacterPtr gap = BCMakeCodeCharacter(u"0", false);
    return gap;
}

BCTableCodeCharacterPtr BCCodabarCodeCharacter::codeCharacterForCharacter(QStringView text)
{
    return BCTableCodeCharacter::codeCharacterForCharacter(table(), text);
}

} // namespace ql
