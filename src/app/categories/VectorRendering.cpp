#include "app/categories/VectorRendering.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
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

Result<QImage> renderEps(const QByteArray& data, QSizeF points, QSize pixels)
{
    if (pixels.isEmpty() || points.isEmpty())
        return renderError(1, QStringLiteral("Nothing to render: the size is empty."));
    const QString gs = ghostscript();
    if (gs.isEmpty())
        return renderError(5, QStringLiteral("EPS images need Ghostscript (gs), which is not installed."));
    QTemporaryFile input(QStandardPaths::writableLocation(QStandardPaths::TempLocation)
                         + QStringLiteral("/quiverleaf-eps-XXXXXX.eps"));
    if (!input.open() || input.write(data) != data.size() || !input.flush())
        return renderError(6, QStringLiteral("The EPS data could not be handed to Ghostscript."));
    // Render at a resolution that gives about the asked size; -dEPSCrop keeps
    // to the bounding box and -dSAFER keeps the file from touching others.
    QProcess process;
    const QStringList arguments {
        QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"), QStringLiteral("-dNOPAUSE"),
        QStringLiteral("-dEPSCrop"), QStringLiteral("-sDEVICE=pngalpha"), QStringLiteral("-dTextAlphaBits=4"),
        QStringLiteral("-dGraphicsAlphaBits=4"), QStringLiteral("-r%1x%2").arg(72.0 * pixels.width() / points.width()).arg(72.0 * pixels.height() / points.height()),
        QStringLiteral("-sstdout=%stderr"), QStringLiteral("-sOutputFile=-"), input.fileName(),
    };
    // Nobody reads Ghostscript's messages; a file that prints without end
    // must not fill memory while it runs. Nor does anybody write to it: a
    // file that reads its standard input meets the end at once instead of
    // holding up the caller until the time limit.
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(gs, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(1000);
        return renderError(7, QStringLiteral("Ghostscript did not finish rendering the EPS image."));
    }
    QImage image;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0
        || !image.loadFromData(process.readAllStandardOutput(), "PNG"))
        return renderError(8, QStringLiteral("Ghostscript could not render the EPS image."));
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
        return renderEps(rep.data(), rep.size(), pixels);
    case ImageRep::Kind::Drawn:
        return rep.rendered(pixels);
    case ImageRep::Kind::Bitmap:
        break;
    }
    return rep.image().scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace ql
