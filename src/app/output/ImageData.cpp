#include "app/output/ImageData.h"

#include "app/output/PdfOutput.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/ConfinedProcess.h"

#include <QFile>
#include <QStandardPaths>

namespace ql {

namespace {

Error conversionError(const QString& message)
{
    return Error {QStringLiteral("Quiverleaf.output"), 4, message};
}

// Pages of vector art convert in seconds; a file that takes minutes is not
// one to wait for.
constexpr std::chrono::milliseconds kPdfToPsTimeLimit = std::chrono::minutes(2);

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
    const QString converter = QStandardPaths::findExecutable(QStringLiteral("pdftops"));
    if (converter.isEmpty())
        return conversionError(QStringLiteral("PostScript output needs pdftops, which is not installed."));
    // pdftops reads the document's PDF and nothing else of ours.
    const ConfinedProcess confined;
    const QString input = QStringLiteral("conversiontempfile.pdf");
    const QString output = QStringLiteral("conversiontempfile.ps");
    if (const Status written = confined.writeFile(input, pdf); !written)
        return conversionError(written.error().message);
    const ConfinedProcess::Outcome outcome =
        confined.run(converter, {confined.filePath(input), confined.filePath(output)}, kPdfToPsTimeLimit);
    if (outcome.ending == ConfinedProcess::Ending::NotStarted)
        return conversionError(QStringLiteral("pdftops could not be started: %1").arg(outcome.messages));
    if (outcome.ending == ConfinedProcess::Ending::TimedOut)
        return conversionError(QStringLiteral("pdftops did not finish within %1 s.").arg(kPdfToPsTimeLimit.count() / 1000));
    if (!outcome.succeeded())
        return conversionError(QStringLiteral("pdftops failed: %1").arg(outcome.messages));
    QFile result(confined.filePath(output));
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
