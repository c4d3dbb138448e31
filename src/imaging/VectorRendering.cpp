#include "imaging/VectorRendering.h"

#include "imaging/PictureConversions.h"
#include "platform/graphics/PictureConversionScope.h"
#include "platform/runtime/ConfinedProcess.h"

#include <QStandardPaths>
#include <cmath>
#include <poppler-qt6.h>

namespace ql {

namespace {

Error renderError(int code, const QString& message)
{
    return Error {QString::fromLatin1(kVectorRenderingErrorDomain), code, message};
}

QString ghostscript()
{
    return QStandardPaths::findExecutable(QStringLiteral("gs"));
}

} // namespace

bool canRenderEps()
{
    return !ghostscript().isEmpty();
}

Result<QImage> renderPdfPage(const QByteArray& data, int pageIndex, QSize pixels)
{
    if (pixels.isEmpty())
        return renderError(1, QStringLiteral("Nothing to render: the size is empty."));
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(data);
    if (!document || document->isLocked())
        return renderError(2, QStringLiteral("The PDF data could not be read."));
    if (pageIndex < 0 || pageIndex >= document->numPages())
        return renderError(3, QStringLiteral("The PDF has no page %1.").arg(pageIndex + 1));
    std::unique_ptr<Poppler::Page> page = document->page(pageIndex);
    if (!page)
        return renderError(3, QStringLiteral("The PDF has no page %1.").arg(pageIndex + 1));
    const QSizeF points = page->pageSizeF();
    if (points.isEmpty())
        return renderError(2, QStringLiteral("The PDF page has no size."));
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    document->setRenderHint(Poppler::Document::IgnorePaperColor);
    const QImage image = page->renderToImage(72.0 * pixels.width() / points.width(),
                                             72.0 * pixels.height() / points.height(), 0, 0,
                                             pixels.width(), pixels.height());
    if (image.isNull())
        return renderError(4, QStringLiteral("The PDF page could not be rendered."));
    return image;
}

Result<QImage> renderEps(const QByteArray& data, QSizeF points, QSize pixels, std::chrono::milliseconds timeLimit,
                         const std::atomic<bool>* cancelled)
{
    if (pixels.isEmpty() || points.isEmpty() || !std::isfinite(points.width()) || !std::isfinite(points.height()))
        return renderError(1, QStringLiteral("Nothing to render: the size is empty."));
    const QString gs = ghostscript();
    if (gs.isEmpty())
        return renderError(5, QStringLiteral("EPS images need Ghostscript (gs), which is not installed."));
    // A huge bounding box is drawn at what memory allows; the caller scales.
    const double area = double(pixels.width()) * double(pixels.height());
    if (area > kLargestEpsRendering) {
        const double shrink = std::sqrt(kLargestEpsRendering / area);
        pixels = QSize(std::max(1, int(pixels.width() * shrink)), std::max(1, int(pixels.height() * shrink)));
    }
    // Ghostscript sees the picture, its own output and nothing else: no
    // shared temporary folder, no other file of ours.
    const ConfinedProcess confined;
    const QString input = confined.filePath(QStringLiteral("picture.eps"));
    const QString output = confined.filePath(QStringLiteral("picture.png"));
    if (!confined.writeFile(QStringLiteral("picture.eps"), data))
        return renderError(6, QStringLiteral("The EPS data could not be handed to Ghostscript."));
    // Render at a resolution that gives about the asked size; -dEPSCrop keeps
    // to the bounding box. What the file prints goes nowhere.
    const QStringList arguments {
        QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"), QStringLiteral("-dNOPAUSE"),
        QStringLiteral("-dEPSCrop"), QStringLiteral("-sDEVICE=pngalpha"), QStringLiteral("-dTextAlphaBits=4"),
        QStringLiteral("-dGraphicsAlphaBits=4"),
        QStringLiteral("-r%1x%2").arg(72.0 * pixels.width() / points.width()).arg(72.0 * pixels.height() / points.height()),
        QStringLiteral("--permit-file-read=") + input, QStringLiteral("--permit-file-write=") + output,
        QStringLiteral("-sstdout=%stderr"), QStringLiteral("-sOutputFile=") + output, QStringLiteral("-f"), input,
    };
    const ConfinedProcess::Outcome outcome = confined.run(gs, arguments, timeLimit, cancelled);
    switch (outcome.ending) {
    case ConfinedProcess::Ending::TimedOut:
        return renderError(kEpsTimedOut, QStringLiteral("Ghostscript did not finish rendering the EPS image within %1 s.")
                                             .arg(double(timeLimit.count()) / 1000.0));
    case ConfinedProcess::Ending::Cancelled:
        return renderError(kEpsCancelled, QStringLiteral("The EPS image was not rendered: the program is quitting."));
    default:
        break;
    }
    QImage image;
    if (!outcome.succeeded() || !image.load(output, "PNG"))
        return renderError(kEpsFailed, QStringLiteral("Ghostscript could not render the EPS image."));
    if (image.size() != pixels)
        image = image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

Result<QImage> renderVectorRepresentation(const ImageRep& rep, QSize pixels)
{
    switch (rep.kind()) {
    case ImageRep::Kind::Pdf:
        return renderPdfPage(rep.data(), 0, pixels);
    case ImageRep::Kind::Eps:
        return PictureConversions::shared().converted(rep.data(), rep.size(), pixels,
                                                      PictureConversionScope::document());
    case ImageRep::Kind::Drawn:
        return rep.rendered(pixels);
    case ImageRep::Kind::Bitmap:
        break;
    }
    return rep.image().scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace ql
