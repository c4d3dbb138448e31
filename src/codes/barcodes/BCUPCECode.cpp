#include "codes/barcodes/BCUPCECode.h"

#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

namespace {

// Parities of the six encoded digits by check digit, for number system 0;
// number system 1 uses the complement.
constexpr const char* ParityPatterns[2][10] = {
    {"EEEOOO", "EEOEOO", "EEOOEO", "EEOOOE", "EOEEOO", "EOOEEO", "EOOOEE", "EOEOEO", "EOEOOE", "EOOEOE"},
    {"OOOEEE", "OOEOEE", "OOEEOE", "OOEEEO", "OEOOEE", "OEEOOE", "OEEEOO", "OEOEOE", "OEOEEO", "OEEOEO"},
};

} // namespace

Status BCUPCECode::canEncodeContent(const QString& content)
{
    if (content.size() != 8)
        return BCLocalizedError("%@ requires content to be 8 digits", {barcodeDescription()});
    if (content[0] != u'0' && content[0] != u'1')
        return BCLocalizedError("%@ requires first digit to be 0 or 1", {barcodeDescription()});
    if (Status status = validateLengthAndDigits(content, 8, "%@ requires content to be 8 digits", barcodeDescription(), 1); !status)
        return status;
    // The check digit is that of the UPC-A the symbol stands for.
    return validateCheckDigit(QStringView(expandedToUPCA(content)).first(11), content[7]);
}

QString BCUPCECode::expandedToUPCA(QStringView content)
{
    const QString d = content.mid(1, 6).toString();
    const QString system = content.first(1).toString();
    const QString check = content.mid(7, 1).toString();
    QString middle;
    switch (d[5].unicode()) {
    case u'0': case u'1': case u'2':
        middle = d.left(2) + d[5] + QStringLiteral("0000") + d.mid(2, 3);
        break;
    case u'3':
        middle = d.left(3) + QStringLiteral("00000") + d.mid(3, 2);
        break;
    case u'4':
        middle = d.left(4) + QStringLiteral("00000") + d[4];
        break;
    default:
        middle = d.left(5) + QStringLiteral("0000") + d[5];
        break;
    }
    return system + middle + check;
}

QString BCUPCECode::captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const
{
    if (zone == BCCaptionZone::LeftQuiet)
        return content().left(1);
    if (zone == BCCaptionZone::RightQuiet)
        return content().mid(7);
    return BCGTINCode::captionTextForZone(zone, options);
}

BCEANEncoding BCUPCECode::codeVariantIndexForDigitAtIndex(qsizetype index, const char* pattern)
{
    return pattern[index] == 'O' ? BCEANEncoding::L : BCEANEncoding::G;
}

BCCodeCharacters BCUPCECode::makeCodeCharacters() const
{
    const char* pattern = ParityPatterns[digitAtIndex(0)][digitAtIndex(7)];
    BCCodeCharacters characters{BCEANCodeCharacter::endMarkerCodeCharacter()};
    for (qsizetype i = 1; i <= 6; ++i)
        characters.push_back(BCEANCodeCharacter::codeCharacterForDigit(digitAtIndex(i), codeVariantIndexForDigitAtIndex(i - 1, pattern)));
    characters.push_back(BCEANCodeCharacter::endMarkerCodeCharacterForUPCE());
    return characters;
}

} // namespace ql
