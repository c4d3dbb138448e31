#include "codes/barcodes/BCCode39FullASCII.h"

namespace ql {

QString BCCode39FullASCII::fullASCIIEncoding(QChar character)
{
    const char16_t c = character.unicode();
    const auto shifted = [](char shift, char16_t letter) { return QString(QChar(shift)) + QChar(letter); };
    if (c == 0x2400)
        return QStringLiteral("%U");
    if (c >= 0x2401 && c <= 0x241A)
        return shifted('$', u'A' + (c - 0x2401));
    if (c >= 0x241B && c <= 0x241F)
        return shifted('%', u'A' + (c - 0x241B));
    if (c == 0x2421)
        return QStringLiteral("%T");
    if (c == u' ' || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z'))
        return QString(character);
    if (c >= u'!' && c <= u',')
        return shifted('/', u'A' + (c - u'!'));
    if (c == u'/')
        return QStringLiteral("/O");
    if (c == u':')
        return QStringLiteral("/Z");
    if (c >= u';' && c <= u'?')
        return shifted('%', u'F' + (c - u';'));
    if (c == u'@')
        return QStringLiteral("%V");
    if (c >= u'[' && c <= u'_')
        return shifted('%', u'K' + (c - u'['));
    if (c == u'`')
        return QStringLiteral("%W");
    if (c >= u'a' && c <= u'z')
        return shifted('+', u'A' + (c - u'a'));
    if (c >= u'{' && c <= u'~')
        return shifted('%', u'P' + (c - u'{'));
    return {};
}

Status BCCode39FullASCII::canEncodeFullASCII(const QString& content, const QString& description)
{
    return everyCharacter(content, [](QChar c) { return !fullASCIIEncoding(c).isNull(); }, description);
}

QString BCCode39FullASCII::basicCharacters() const
{
    QString basic;
    for (QChar c : content())
        basic += fullASCIIEncoding(c);
    return basic;
}

} // namespace ql
