#include "codes/barcodes/BCBarcodeMessages.h"

#include <QCoreApplication>

namespace ql {

const QString BCCodeErrorDomain = QStringLiteral("org.quiverleaf.Barcodes");

Error BCCodeErrorWithMessage(const QString& message)
{
    return Error{BCCodeErrorDomain, BCCodeErrorCode, message};
}

QString BCLocalizedString(const char* english)
{
    return QCoreApplication::translate("Barcodes", english);
}

QString BCFormat(const QString& format, std::initializer_list<QString> arguments)
{
    QString out;
    out.reserve(format.size() + 16);
    auto next = arguments.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%' || i + 1 >= format.size()) {
            out.append(c);
            continue;
        }
        if (format[i + 1] == u'%') {
            out.append(u'%');
            ++i;
            continue;
        }
        // Skip flags, width and length, up to the conversion letter or '@'.
        qsizetype j = i + 1;
        while (j < format.size() && (format[j].isDigit() || format[j] == u'l' || format[j] == u'-'))
            ++j;
        if (j >= format.size()) {
            out.append(format.mid(i));
            break;
        }
        out.append(next != arguments.end() ? *next++ : QString());
        i = j;
    }
    return out;
}

} // namespace ql
