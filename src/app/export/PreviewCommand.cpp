#include "app/export/PreviewCommand.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/output/PdfOutput.h"
#include "app/output/SheetDocument.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ql {

QString PreviewCommand::previewFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::CacheLocation)).filePath(QStringLiteral("sample.pdf"));
}

void PreviewCommand::preview()
{
    NotificationCenter::defaultCenter().post(QStringLiteral("disableDrawingView"));
    continueAfterPanel(tr("Rendering..."), [this] { writeAndOpen(); });
}

void PreviewCommand::writeAndOpen()
{
    const QString path = previewFilePath();
    const SheetDocument sheets = documentForPages(m_document.pages(), m_document.formatAsBooklet());
    const Result<QByteArray> pdf = pdfData(sheets, ZVDesignHelper::sharedInstance());
    Status written = pdf ? Status() : Status(pdf.error());
    if (written && !QDir().mkpath(QFileInfo(path).absolutePath()))
        written = Error {kFileWriteErrorDomain, 1, tr("The folder %1 could not be made.").arg(QFileInfo(path).absolutePath())};
    if (written)
        written = writeFileAtomically(path, *pdf);
    // A preview that was not written is not opened: the viewer would show
    // an earlier one.
    if (!written)
        reportFailure(tr("The preview could not be made."), written.error().message);
    else if (!m_context.workspace || !m_context.workspace->openFile(path))
        reportFailure(tr("The preview could not be opened: no application on this computer opens PDF files."),
                      tr("The preview is saved as “%1”; open it with a PDF viewer of your choice.")
                          .arg(QDir::toNativeSeparators(path)));
    finish();
}

} // namespace ql
