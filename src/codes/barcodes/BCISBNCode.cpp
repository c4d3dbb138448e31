#include "codes/barcodes/BCISBNCode.h"

#include "codes/barcodes/BCStandardNumberRules.h"

#include <utility>

namespace ql {

namespace {

constexpr const char* ISBN13Pattern = "97[8-9]-\\d{1,5}-\\d{1,7}-\\d{1,6}-[0-9]{1}";
constexpr const char* ISBN10Pattern = "\\d{1,5}-\\d{1,7}-\\d{1,6}-[0-9Xx]{1}";

// Registration groups of the 978 prefix.
constexpr std::pair<quint64, quint64> Groups978[] = {
    {0, 5}, {600, 649}, {7, 7}, {80, 94}, {950, 989}, {9900, 9989}, {99900, 99999},
};

Status lengthBetween(const QString& element, qsizetype lowest, qsizetype highest, const char* message)
{
    if (element.size() < lowest || element.size() > highest)
        return BCCodeErrorWithMessage(BCFormat(QString::fromLatin1(message), {element}));
    return {};
}

} // namespace

Status BCISBNCode::checkValidRange(quint64 value, quint64 lower, quint64 upper, const QString& elementName)
{
    if (value >= lower && value <= upper)
        return {};
    return BCCodeErrorWithMessage(BCFormat(QStringLiteral("%@ '%lu' is invalid, must be between %lu and %lu"),
                                           {elementName, QString::number(value), QString::number(lower), QString::number(upper)}));
}

QString BCISBNCode::generateISBN10CheckDigit(QStringView digits)
{
    return BCModulus11CheckCharacter(digits, 10);
}

Result<std::unique_ptr<BCISBNCode>> BCISBNCode::create(const QString& text)
{
    Result<bool> isbn13 = BCPatternOccurs(ISBN13Pattern, text);
    if (!isbn13)
        return isbn13.error();
    bool thirteen = *isbn13;
    if (thirteen) {
        if (text.size() != 17)
            return BCLocalizedError("The ISBN13 string does not have 13 characters");
    } else {
        Result<bool> isbn10 = BCPatternOccurs(ISBN10Pattern, text);
        if (!isbn10)
            return isbn10.error();
        if (!*isbn10)
            return BCLocalizedError("The string is not a valid ISBN10 or ISBN13 string supported by %@", {barcodeDescription()});
        if (text.size() != 13)
            return BCLocalizedError("The ISBN10 string does not have 10 characters");
    }
    const QStringList parts = text.split(u'-');
    if (parts.size() < (thirteen ? 5 : 4))
        return BCLocalizedError("The string is not a valid ISBN10 or ISBN13 string supported by %@", {barcodeDescription()});
    if (thirteen)
        return createWithPrefix(parts[0], parts[1], parts[2], parts[3], parts[4]);
    return createWithPrefix(QString(), parts[0], parts[1], parts[2], parts[3]);
}

Result<std::unique_ptr<BCISBNCode>> BCISBNCode::createWithPrefix(const QString& prefix, const QString& group,
                                                                  const QString& registrant, const QString& publication)
{
    const QString digits = prefix + group + registrant + publication;
    if (!prefix.isNull()) {
        if (digits.size() != 12)
            return BCLocalizedError("The string is not a valid ISBN13 string supported by %@", {barcodeDescription()});
        return createWithPrefix(prefix, group, registrant, publication, generateEAN13CheckDigit(digits));
    }
    if (digits.size() != 9)
        return BCLocalizedError("The string is not a valid ISBN10 string supported by %@", {barcodeDescription()});
    return createWithPrefix(prefix, group, registrant, publication, generateISBN10CheckDigit(digits));
}

Result<std::unique_ptr<BCISBNCode>> BCISBNCode::createWithPrefix(const QString& prefix, const QString& group,
                                                                  const QString& registrant, const QString& publication,
                                                                  const QString& checkDigit)
{
    if (Status status = lengthBetween(group, 1, 5, "Registrant Group '%@' is invalid, must be between 1 and 5 digits in length"); !status)
        return status.error();
    const quint64 groupValue = BCLeadingIntegerValue(group);
    const QString groupName = QStringLiteral("Registration Group");
    if (prefix == u"978") {
        Status inRange;
        for (const auto& [lower, upper] : Groups978) {
            inRange = checkValidRange(groupValue, lower, upper, groupName);
            if (inRange)
                break;
        }
        if (!inRange)
            return inRange.error(); // the message of the last range
    } else if (prefix == u"979") {
        if (Status status = checkValidRange(groupValue, 10, 11, groupName); !status)
            return status.error();
    }
    // Registrant ranges are not checked: they refused real numbers, and the
    // check digit already catches typing errors.
    if (Status status = lengthBetween(registrant, 1, 7, "Registrant '%@' is invalid, must be between 1 and 7 digits in length"); !status)
        return status.error();
    if (Status status = lengthBetween(publication, 1, 6, "Publication '%@' is invalid, must be between 1 and 6 digits in length"); !status)
        return status.error();

    const QString body = group + registrant + publication;
    QString eanContent;
    QString title;
    if (!prefix.isNull()) {
        const QString twelve = prefix + body;
        if (checkDigit != generateEAN13CheckDigit(twelve))
            return BCLocalizedError("The check digit '%@' is not correct for this ISBN13 string", {checkDigit});
        eanContent = twelve + checkDigit;
        title = QStringLiteral("ISBN %1-%2-%3-%4-%5").arg(prefix, group, registrant, publication, checkDigit);
    } else {
        if (checkDigit.toUpper() != generateISBN10CheckDigit(body))
            return BCLocalizedError("Check digit '%@' is not correct for this ISBN10 string", {checkDigit});
        const QString twelve = QStringLiteral("978") + body;
        eanContent = twelve + generateEAN13CheckDigit(twelve);
        title = QStringLiteral("ISBN %1-%2-%3-%4").arg(group, registrant, publication, checkDigit);
    }
    return initWithContentAndTitle<BCISBNCode>(eanContent, title);
}

} // namespace ql
