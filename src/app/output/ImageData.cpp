#include "app/output/ImageData.h"

#include "app/document/AtomicFileWriter.h"
#include "app/output/PdfOutput.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace ql {

namespace {

Error conversionError(const QString& message)
{
    return Error {QStringLiteral("Quiverleaf.output"), 4, message};
}

} // namespace

QByteArray dataWithImage(const Image& image, QString* kindString)
{
    if (image.isNull())
        return {};
    QByteArray data;
    QString kind;
    for (const ImageRep& rep : image.representations()) {
        if (rep.kind() == ImageRep::Kind::Pdf && !rep.data().isEmpty()) {
            data = compactedPDF(rep.data());
            kind = QStringLiteral("pdfImage");
            break;
        }
        if (rep.kind() == ImageRep::Kind::Eps && !rep.data().isEmpty()) {
            data = rep.data();
            kind = QStringLiteral("epsImage");
            break;
        }
    }
    if (kind.isEmpty()) {
        // The bitmap at its own pixel size; the caller's picture keeps its size.
        Image pixels(image.bitmap());
        if (pixels.isNull())
            return {};
        pixels.setSize(QSizeF(pixels.pixelSize()));
        const Result<QByteArray> tiff = pixels.encoded(Image::Format::Tiff);
        if (!tiff)
            return {};
        data = *tiff;
        kind = QStringLiteral("tiffImage");
    }
    if (kindString)
        *kindString = kind;
    return data;
}

Status convertPDFToEPS(const QByteArray& pdf, const QString& path)
{
    const QTemporaryDir folder;
    if (!folder.isValid())
        return conversionError(QStringLiteral("No temporary folder for the conversion: %1").arg(folder.errorString()));
    const QString input = folder.filePath(QStringLiteral("conversiontempfile.pdf"));
    const QString output = folder.filePath(QStringLiteral("conversiontempfile.ps"));
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size())
        return conversionError(QStringLiteral("The PDF could not be written for the conversion."));
    file.close();
    QProcess converter;
    converter.start(QStringLiteral("pdftops"), {input, output});
    if (!converter.waitForStarted())
        return conversionError(QStringLiteral("pdftops could not be started: %1").arg(converter.errorString()));
    converter.waitForFinished(-1);
    if (converter.exitStatus() != QProcess::NormalExit || converter.exitCode() != 0) {
        return conversionError(QStringLiteral("pdftops failed: %1")
                                   .arg(QString::fromLocal8Bit(converter.readAllStandardError()).trimmed()));
    }
    QFile result(output);
    if (!result.open(QIODevice::ReadOnly))
        return conversionError(QStringLiteral("pdftops wrote no PostScript."));
    return writeFileAtomically(path, result.readAll());
}

Image imageForCanvas(const ZVCanvasView& page, double resolution)
{
    Q_UNUSED(page);
    Q_UNUSED(resolution);
    return {};
}

} // namespace ql
