#include "panels/browsers/CodeImage.h"

#include "codes/barcodes/BCCodeRenderer.h"
#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCEAN8Code.h"
#include "codes/barcodes/BCUPCECode.h"
#include "codes/qr/QREncoder.h"

#include <QCoreApplication>

namespace ql {

namespace {

constexpr int kQRPixels = 1000;
constexpr double kBarScale = 20;
const QString kErrorDomain = QStringLiteral("CodeImage");

Error codeError(const QString& message)
{
    return Error {kErrorDomain, 1, message};
}

template <class Code>
Result<QImage> barcodeImage(const QString& text)
{
    auto code = Code::create(text);
    if (!code)
        return code.error();
    const QImage image = BCCodeRenderer().imageWithBarCode(code->get(), {{BCCodeDrawingBarScale, kBarScale}});
    if (image.isNull())
        return codeError(QCoreApplication::translate("CodeImage", "The barcode could not be drawn."));
    return image;
}

} // namespace

QStringList codeKindTitles()
{
    return {QCoreApplication::translate("CodeImage", "QR Code"), BCEAN13Code::barcodeDescription(),
            BCEAN8Code::barcodeDescription(), BCUPCECode::barcodeDescription()};
}

Result<QImage> codeImage(CodeKind kind, const QString& text)
{
    if (text.isEmpty())
        return codeError(QString());
    switch (kind) {
    case CodeKind::QR: {
        const DataMatrix matrix = QREncoder::encodeWithECLevel(0, 0, text);
        const QImage image = matrix.dimension() > 0 ? QREncoder::renderDataMatrix(matrix, kQRPixels) : QImage();
        if (image.isNull())
            return codeError(QCoreApplication::translate("CodeImage", "The text is too long for a QR code."));
        return image;
    }
    case CodeKind::EAN13: return barcodeImage<BCEAN13Code>(text);
    case CodeKind::EAN8: return barcodeImage<BCEAN8Code>(text);
    case CodeKind::UPCE: return barcodeImage<BCUPCECode>(text);
    }
    return codeError(QString());
}

} // namespace ql
