#include "codes/barcodes/BCCodabarCode.h"

#include "codes/barcodes/BCCodabarCodeCharacter.h"

namespace ql {

Status BCCodabarCode::canEncodeContent(const QString& content)
{
    if (content.size() < 3)
        return BCLocalizedError("%@ requires at least three characters", {barcodeDescription()});
    const qsizetype last = content.size() - 1;
    for (qsizetype i = 0; i <= last; ++i) {
        const QStringView character = QStringView(content).mid(i, 1);
        const bool edge = i == 0 || i == last;
        if (edge ? BCCodabarCodeCharacter::startStopCodeCharacter(character) != nullptr
                 : BCCodabarCodeCharacter::table().valueOf(character) >= 0)
            continue;
        const char* message = i == 0 ? "Character at index %d '%@' is an invalid start character for %@"
            : i == last             ? "Character at index %d '%@' is an invalid stop character for %@"
                                    : "Character at index %d '%@' cannot be encoded in %@";
        return BCLocalizedError(message, {QString::number(i), character.toString(), barcodeDescription()});
    }
    return {};
}

QString BCCodabarCode::captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const
{
    if (zone != BCCaptionZone::BelowBars)
        return {};
    return shouldShowCheckDigitsFromOptions(options) ? content() : content().mid(1, content().size() - 2);
}

BCCodeCharacters BCCodabarCode::makeCodeCharacters() const
{
    const QStringView text(content());
    const BCCodeCharacterPtr gap = BCCodabarCodeCharacter::spacingCodeCharacter();
    BCCodeCharacters characters{BCCodabarCodeCharacter::startStopCodeCharacter(text.first(1)), gap};
    for (qsizetype i = 1; i + 1 < text.size(); ++i) {
        characters.push_back(BCCodabarCodeCharacter::codeCharacterForCharacter(text.mid(i, 1)));
        characters.push_back(gap);
    }
    characters.push_back(BCCodabarCodeCharacter::startStopCodeCharacter(text.last(1)));
    return characters;
}

} // namespace ql
