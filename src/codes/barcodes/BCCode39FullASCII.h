// Full-ASCII Code 39: each ASCII character as one or two basic characters.
// Control characters are given as their Unicode control pictures
// (U+2400 to U+241F, U+2421 for DEL) so that they can be typed and shown.
#pragma once

#include "codes/barcodes/BCCode39Code.h"

namespace ql {

class BCCode39FullASCII : public BCCode39Code {
public:
    BCCode39FullASCII(Key key, QString content) : BCCode39Code(key, std::move(content)) {}
    static Result<std::unique_ptr<BCCode39FullASCII>> create(const QString& content)
    {
        return initWithContent<BCCode39FullASCII>(content);
    }

    static Status canEncodeContent(const QString& content) { return canEncodeFullASCII(content, barcodeDescription()); }
    static QString barcodeDescription() { return QStringLiteral("Code 39 Full ASCII"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    // The basic characters for one content character; null when it has none.
    static QString fullASCIIEncoding(QChar character);

protected:
    static Status canEncodeFullASCII(const QString& content, const QString& description);
    QString basicCharacters() const override;
};

} // namespace ql
