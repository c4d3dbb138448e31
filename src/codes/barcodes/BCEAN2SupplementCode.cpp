#include "codes/barcodes/BCEAN2SupplementCode.h"

#include "codes/barcodes/BCGTINSupplementCodeCharacter.h"

namespace ql {

namespace {

bool onlyDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// The value of a digit text, or -1 when it is 100 or more (however long the text).
int valueBelowHundred(const QString& digits)
{
    QStringView significant(digits);
    while (significant.size() > 1 && significant.front() == u'0')
        significant = significant.mid(1);
    return significant.size() > 2 ? -1 : significant.toInt();
}

} // namespace

Result<std::unique_ptr<BCEAN2SupplementCode>> BCEAN2SupplementCode::create(const QString& content)
{
    if (!content.isEmpty()) {
        if (Status status = canEncodeContent(content); !status)
            return status.error();
        return initWithContent<BCEAN2SupplementCode>(QStringLiteral("%1").arg(valueBelowHundred(content), 2, 10, QLatin1Char('0')));
    }
    return initWithContent<BCEAN2SupplementCode>(content);
}

Status BCEAN2SupplementCode::canEncodeContent(const QString& content)
{
    if (!onlyDigits(content))
        return BCLocalizedError("%@ does not support alpha-numeric characters", {barcodeDescription()});
    if (valueBelowHundred(content) < 0)
        return BCLocalizedError("%@ supports content equal or greater than 0 and less than 100", {barcodeDescription()});
    return {};
}

unsigned BCEAN2SupplementCode::digitAtIndex(qsizetype index) const
{
    return unsigned(content().mid(index, 1).toUInt());
}

void BCEAN2SupplementCode::parityPatternForContent(const QString& content, BCEANEncoding& first, BCEANEncoding& second)
{
    const int value = std::max(0, valueBelowHundred(content));
    first = (value % 4) >= 2 ? BCEANEncoding::G : BCEANEncoding::L;
    second = (value % 2) == 1 ? BCEANEncoding::G : BCEANEncoding::L;
}

BCCodeCharacters BCEAN2SupplementCode::makeCodeCharacters() const
{
    BCEANEncoding first;
    BCEANEncoding second;
    parityPatternForContent(content(), first, second);
    return {
        BCGTINSupplementCodeCharacter::startCodeCharacter(),
        BCGTINSupplementCodeCharacter::codeCharacterForDigit(digitAtIndex(0), first),
        BCGTINSupplementCodeCharacter::separatorCodeCharacter(),
        BCGTINSupplementCodeCharacter::codeCharacterForDigit(digitAtIndex(1), second),
    };
}

} // namespace ql
