#include "codes/barcodes/BCEANCodeCharacter.h"

#include "codes/barcodes/BCEANDigitCodeCharacter.h"

#include <array>

namespace ql {

namespace {

// Sets A (L), B (G) and C (R) of the standard, one row per digit.
constexpr const char16_t* DigitPatterns[10][3] = {
    {u"0001101", u"0100111", u"1110010"}, {u"0011001", u"0110011", u"1100110"},
    {u"0010011", u"0011011", u"1101100"}, {u"0111101", u"0100001", u"1000010"},
    {u"0100011", u"0011101", u"1011100"}, {u"0110001", u"0111001", u"1001110"},
    {u"0101111", u"0000101", u"1010000"}, {u"0111011", u"0010001", u"1000100"},
    {u"0110111", u"0001001", u"1001000"}, {u"0001011", u"0010111", u"1110100"},
};

} // namespace

BCCodeCharacterPtr BCEANCodeCharacter::endMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter<BCEANCodeCharacter>(u"101", true);
    return marker;
}

BCCodeCharacterPtr BCEANCodeCharacter::middleMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter<BCEANCodeCharacter>(u"01010", true);
    return marker;
}

BCCodeCharacterPtr BCEANCodeCharacter::endMarkerCodeCharacterForUPCE()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter<BCEANCodeCharacter>(u"010101", true);
    return marker;
}

BCCodeCharacterPtr BCEANCodeCharacter::codeCharacterForDigit(unsigned digit, BCEANEncoding encoding)
{
    // Characters never change once made: each digit of each set is made once.
    using Digits = std::array<std::array<BCCodeCharacterPtr, 3>, 10>;
    static const Digits made = [] {
        Digits table;
        for (unsigned d = 0; d < 10; ++d) {
            for (unsigned set = 0; set < 3; ++set)
                table[d][set] = std::make_shared<BCEANDigitCodeCharacter>(d, static_cast<BCEANEncoding>(set));
        }
        return table;
    }();
    const auto set = static_cast<unsigned>(encoding);
    if (digit > 9 || set > 2)
        return std::make_shared<BCEANDigitCodeCharacter>(digit, encoding);
    return made[digit][set];
}

QStringView BCEANCodeCharacter::patternForDigit(unsigned digit, BCEANEncoding encoding)
{
    const auto set = static_cast<unsigned>(encoding);
    if (digit > 9 || set > 2)
        return {};
    return DigitPatterns[digit][set];
}

} // namespace ql
