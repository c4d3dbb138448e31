#include "codes/barcodes/BCGTINCode.h"

#include "codes/barcodes/BCEANDigitCodeCharacter.h"

namespace ql {

unsigned BCGTINCode::digitAtIndex(qsizetype index) const
{
    // As reading the one character as a number: anything but 0-9 is 0.
    const char16_t c = index >= 0 && index < content().size() ? content()[index].unicode() : u' ';
    return c >= u'0' && c <= u'9' ? unsigned(c - u'0') : 0u;
}

QString BCGTINCode::captionTextForZone(BCCaptionZone zone, const BCRenderOptions&) const
{
    if (zone != BCCaptionZone::LeftCaption && zone != BCCaptionZone::BelowBars && zone != BCCaptionZone::RightCaption)
        return {};
    // The first group lies between the leading guards and the next marker, the
    // second after the first marker that follows content.
    enum { LeadingMarkers, FirstGroup, SecondGroup, Done } state = LeadingMarkers;
    QString groups[2];
    for (const BCCodeCharacterPtr& character : codeCharacters()) {
        if (character->isMarker()) {
            if (state == FirstGroup)
                state = SecondGroup;
            else if (state == SecondGroup)
                state = Done;
            continue;
        }
        if (state == Done)
            break;
        if (state == LeadingMarkers)
            state = FirstGroup;
        if (const auto* digit = dynamic_cast<const BCEANDigitCodeCharacter*>(character.get())) {
            QString& group = groups[state == FirstGroup ? 0 : 1];
            if (digit->digit() < 10)
                group.append(QChar(char16_t(u'0' + digit->digit())));
            else
                group.append(QString::number(digit->digit()));
        }
    }
    const QString& text = groups[zone == BCCaptionZone::RightCaption ? 1 : 0];
    return text.isEmpty() ? QString() : text;
}

unsigned BCGTINCode::checkDigitFor(QStringView digits)
{
    unsigned sum = 0;
    unsigned weight = 3;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        const char16_t c = digits[i].unicode();
        sum += (c >= u'0' && c <= u'9' ? unsigned(c - u'0') : 0u) * weight;
        weight = 4 - weight;
    }
    return (10 - sum % 10) % 10;
}

Status BCGTINCode::validateLengthAndDigits(const QString& content, qsizetype length, const char* lengthMessage,
                                           const QString& description, qsizetype firstIndex)
{
    if (content.size() != length)
        return BCLocalizedError(lengthMessage, {description});
    for (qsizetype i = firstIndex; i < content.size(); ++i) {
        const QChar c = content[i];
        if (c < u'0' || c > u'9')
            return BCLocalizedError("%@ cannot encode '%@' at index %d", {description, QString(c), QString::number(i)});
    }
    return {};
}

Status BCGTINCode::validateCheckDigit(QStringView digits, QChar given)
{
    if (given.unicode() != u'0' + checkDigitFor(digits))
        return BCLocalizedError("Invalid barcode provided. Check number does not match");
    return {};
}

} // namespace ql
