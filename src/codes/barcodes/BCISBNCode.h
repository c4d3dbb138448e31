// A book number, ISBN-13 or ISBN-10, validated by its parts and drawn as the
// EAN-13 it stands for, with its printed form as title.
#pragma once

#include "codes/barcodes/BCStandardNumberCode.h"

namespace ql {

class BCISBNCode : public BCStandardNumberCode {
public:
    BCISBNCode(Key key, QString content) : BCStandardNumberCode(key, std::move(content)) {}

    // A hyphenated ISBN-13 ("978-0-306-40615-7") or ISBN-10 ("0-306-40615-2").
    static Result<std::unique_ptr<BCISBNCode>> create(const QString& text);
    // By parts, computing the check digit; a null prefix means ISBN-10.
    static Result<std::unique_ptr<BCISBNCode>> createWithPrefix(const QString& prefix, const QString& group,
                                                                 const QString& registrant, const QString& publication);
    // By parts with the check digit the caller has.
    static Result<std::unique_ptr<BCISBNCode>> createWithPrefix(const QString& prefix, const QString& group,
                                                                 const QString& registrant, const QString& publication,
                                                                 const QString& checkDigit);

    static QString barcodeStandard() { return QStringLiteral("International standard ISO 2108"); }
    static QString barcodeDescription() { return QStringLiteral("ISBN10 and ISBN13"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    static QString generateISBN10CheckDigit(QStringView digits);
    static Status checkValidRange(quint64 value, quint64 lower, quint64 upper, const QString& elementName);
};

} // namespace ql
