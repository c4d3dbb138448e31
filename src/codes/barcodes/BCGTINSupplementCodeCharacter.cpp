#include "codes/barcodes/BCGTINSupplementCodeCharacter.h"

#include "codes/barcodes/BCGTINSupplementDataCodeCharacter.h"

namespace ql {

BCCodeCharacterPtr BCGTINSupplementCodeCharacter::startCodeCharacter()
{
    static const BCCodeCharacterPtr start = BCMakeCodeCharacter<BCGTINSupplementCodeCharacter>(u"01011", false);
    return start;
}

BCCodeCharacterPtr BCGTINSupplementCodeCharacter::separatorCodeCharacter()
{
    static const BCCodeCharacterPtr separator = BCMakeCodeCharacter<BCGTINSupplementCodeCharacter>(u"01", false);
    return separator;
}

BCCodeCharacterPtr BCGTINSupplementCodeCharacter::codeCharacterForDigit(unsigned digit, BCEANEncoding encoding)
{
    return std::make_shared<BCGTINSupplementDataCodeCharacter>(digit, encoding);
}

} // namespace ql
