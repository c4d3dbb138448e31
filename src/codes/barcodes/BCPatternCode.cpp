#include "codes/barcodes/BCPatternCode.h"

namespace ql {

QString BCPatternCode::captionTextForZone(BCCaptionZone zone, const BCRenderOptions&) const
{
    return zone == BCCaptionZone::BelowBars ? content() : QString();
}

Error BCPatternCode::characterCannotBeEncoded(qsizetype index, QChar character, const QString& description, bool localised)
{
    static const char* const message = "Character at index %d '%@' cannot be encoded in %@";
    const QString format = localised ? BCLocalizedString(message) : QString::fromLatin1(message);
    return BCCodeErrorWithMessage(BCFormat(format, {QString::number(index), QString(character), description}));
}

Status BCPatternCode::everyCharacter(const QString& content, const std::function<bool(QChar)>& encodable,
                                     const QString& description, bool localised)
{
    for (qsizetype i = 0; i < content.size(); ++i) {
        if (!encodable(content[i]))
            return characterCannotBeEncoded(i, content[i], description, localised);
    }
    return {};
}

} // namespace ql
