#include "codes/barcodes/BCCode128Code.h"

namespace ql {

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool containsOnlyNumbers(QStringView text)
{
    return std::all_of(text.begin(), text.end(), isDigit);
}

bool charactersAtBeginningAreNumbers(QStringView text, qsizetype count)
{
    return text.size() >= count && containsOnlyNumbers(text.first(count));
}

// Whether every character of the text exists in the set; the message names the first that does not.
bool canEncodeContentUsingVariant(const QString& text, BCCode128Version version, Error* error)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (BCCode128CodeCharacter::valueOfCharacter(QStringView(text).mid(i, 1), version) < 0) {
            if (error)
                *error = BCLocalizedError("String '%@' cannot be encoded in Code128. Character at index %d (%@) not supported",
                                          {text, QString::number(i), QString(text[i])});
            return false;
        }
    }
    return true;
}

} // namespace

BCCode128Code::BCCode128Code(Key key, QString content)
    : BCPatternCode(std::move(content))
    , m_barcodeVersion(code128VersionNeeded(this->content()))
{
    Q_UNUSED(key);
}

BCCode128Version BCCode128Code::code128VersionNeeded(const QString& text, Error* error)
{
    if ((text.size() == 2 || text.size() >= 4) && containsOnlyNumbers(text))
        return BCCode128Version::C;
    if (canEncodeContentUsingVariant(text, BCCode128Version::A, error))
        return BCCode128Version::A;
    if (canEncodeContentUsingVariant(text, BCCode128Version::B, error))
        return BCCode128Version::B;
    return BCCode128Version::NoSet;
}

Status BCCode128Code::canEncodeContent(const QString& content)
{
    Error error;
    if (code128VersionNeeded(content, &error) == BCCode128Version::NoSet)
        return error;
    return {};
}

BCCode128Version BCCode128Code::versionToContinue(BCCode128Version current, qsizetype contentIndex, QStringView remaining)
{
    if (current == BCCode128Version::C)
        return charactersAtBeginningAreNumbers(remaining, 2) ? current : code128VersionNeeded(remaining.toString());
    if (charactersAtBeginningAreNumbers(remaining, 6) || (contentIndex == 0 && charactersAtBeginningAreNumbers(remaining, 4))
        || (remaining.size() >= 5 && containsOnlyNumbers(remaining)))
        return BCCode128Version::C;
    return current;
}

QStringView BCCode128Code::nextCharacterToEncode(QStringView remaining, BCCode128Version version)
{
    return remaining.first(version == BCCode128Version::C ? std::min<qsizetype>(2, remaining.size()) : 1);
}

BCCodeCharacters BCCode128Code::makeCodeCharacters() const
{
    BCCode128Version version = m_barcodeVersion;
    // The check sums the start's value and each later symbol's value times its place.
    BCCodeCharacters characters{BCCode128CodeCharacter::startCodeForVersion(version)};
    quint64 sum = 103 + quint64(version);
    quint64 weight = 1;
    const auto append = [&](const BCCodeCharacterPtr& character) {
        sum += static_cast<const BCCode128CodeCharacter*>(character.get())->position() * weight++;
        characters.push_back(character);
    };
    QStringView remaining(content());
    qsizetype index = 0;
    while (!remaining.isEmpty()) {
        const BCCode128Version next = versionToContinue(version, index, remaining);
        if (next != version) {
            append(BCCode128CodeCharacter::switchCodeToVersion(next));
            version = next;
        }
        const QStringView text = nextCharacterToEncode(remaining, version);
        const BCCodeCharacterPtr character = BCCode128CodeCharacter::codeCharacterForCharacter(text, version);
        if (!character) // validated content never gets here
            break;
        append(character);
        remaining = remaining.mid(text.size());
        index += text.size();
    }
    characters.push_back(BCCode128CodeCharacter::characterAtPosition(sum % 103));
    characters.push_back(BCCode128CodeCharacter::stopCharacter());
    return characters;
}

} // namespace ql
