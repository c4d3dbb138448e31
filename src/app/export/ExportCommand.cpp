#include "app/export/ExportCommand.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/FilePanelFolder.h"
#include "app/output/ExportNaming.h"
#include "app/output/PdfOutput.h"
#include "app/output/SheetBitmap.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/Prompter.h"

#include <QDir>
#include <QFileInfo>

namespace ql {

namespace {

// The folder that holds the file, as the user knows it: its name, or its
// whole path for the top folder.
QString folderName(const QString& filePath)
{
    const QString folder = QFileInfo(filePath).absolutePath();
    const QString name = QFileInfo(folder).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}

} // namespace

ExportCommand::ExportCommand(Document& document, const OutputContext& context) : OutputCommand(document, context) {}

ExportCommand::~ExportCommand() = default;

void ExportCommand::finishExport()
{
    continueAfterPanel(tr("Rendering..."), [this] { render(); });
}

void ExportCommand::render()
{
    Document& document = m_document;
    if (document.exportFileName().isEmpty())
        document.setExportFileName(tr("Untitled"));
    emit sheetEnded();

    const int format = document.exportFileFormat().toInt();
    m_extension = exportExtension(format);
    if (m_extension.isEmpty()) {
        reportFailure(tr("The pages could not be exported."), tr("The file format is unknown."));
        finish();
        return;
    }
    m_format = ExportFormat(format);
    m_dpi = exportResolution(document.exportFileResolution().toInt());
    const QList<ZVCanvasView*> selection = document.exportSelection();
    m_selection = guardedPages(selection);
    m_sheets = documentForPages(selection, document.formatAsBooklet());
    if (m_format == ExportFormat::PDF) {
        Result<QByteArray> pdf = pdfData(m_sheets, ZVDesignHelper::sharedInstance());
        if (!pdf) {
            reportFailure(tr("The pages could not be exported."), pdf.error().message);
            finish();
            return;
        }
        m_pdf = std::move(pdf).value();
    } else if (imageCountForPDF(m_sheets, m_dpi) == 0) {
        // Pictures are drawn once the folder is chosen; none would come.
        reportFailure(tr("The pages could not be exported."), tr("No page is large enough to draw."));
        finish();
        return;
    }
    m_baseName = exportBaseName(document.exportFileName());
    closeProgress();
    askForFolder();
}

void ExportCommand::askForFolder()
{
    FilePanelRequest request;
    request.title = tr("Export");
    request.prompt = tr("Export");
    request.suggestedName = m_baseName;
    request.directory = filePanelFolder(m_document, QStandardPaths::DocumentsLocation,
                                        m_context.defaults ? m_context.defaults->stringForKey(kExportDirectoryKey)
                                                           : QString());
    const std::optional<QString> folder = m_context.prompter ? m_context.prompter->runFolderPanel(request)
                                                             : std::nullopt;
    if (!folder || folder->isEmpty()) {
        finish();
        return;
    }
    const QString chosen = *folder;
    continueAfterPanel(tr("Saving..."), [this, chosen] { write(chosen); });
    if (m_context.defaults) {
        m_context.defaults->setObject(kExportDirectoryKey, chosen);
        m_context.defaults->synchronize();
    }
}

void ExportCommand::write(const QString& folder)
{
    if (m_format == ExportFormat::PDF) {
        const QString path = QDir(folder).filePath(exportFileName(m_baseName, m_extension, 1, 1));
        writeFileWithCheck([this]() -> Result<QByteArray> { return m_pdf; }, path);
    } else {
        writeSheets(folder);
    }
    if (!m_written.isEmpty())
        warnAboutPlaceholders();
    finish();
}

void ExportCommand::warnAboutPlaceholders()
{
    const QList<ZVCanvasView*> pages = livePages(m_selection);
    const QList<ZVDesignHelper::UndecodablePicture> missing = ZVDesignHelper::undecodablePictures(pages);
    if (missing.isEmpty())
        return;
    const QList<ZVCanvasView*>& shown = m_document.pages();
    QStringList places;
    for (const ZVDesignHelper::UndecodablePicture& picture : missing) {
        const qsizetype number = shown.indexOf(const_cast<ZVCanvasView*>(picture.page)) + 1;
        places.append(picture.element ? tr("element %1 on page %2").arg(picture.element->uuid()).arg(number)
                                      : tr("the background of page %1").arg(number));
    }
    reportFailure(tr("Some pictures could not be drawn."),
                  tr("Pictures that could not be decoded are drawn as placeholders: %1.").arg(places.join(QStringLiteral(", "))));
}

void ExportCommand::writeSheets(const QString& folder)
{
    Document& document = m_document;
    // PNG holds RGB only, whatever the setting says.
    const bool cmykFormat = m_format == ExportFormat::JPEG || m_format == ExportFormat::TIFF;
    const int colorSpace = cmykFormat && document.exportColorSpace().toInt() == kCMYKColorSpace ? kCMYKColorSpace : 0;
    const double quality = document.exportImageQuality().toDouble();
    const int count = imageCountForPDF(m_sheets, m_dpi);
    int number = 0;
    for (int i = 0; i < m_sheets.pageCount(); ++i) {
        const ZVPDFPage& sheet = m_sheets.page(i);
        if (pixelSizeForSheet(sheet, m_dpi).isEmpty())
            continue;
        const QString path = QDir(folder).filePath(exportFileName(m_baseName, m_extension, ++number, count));
        writeFileWithCheck(
            [&]() -> Result<QByteArray> {
                const Result<SheetBitmap> bitmap =
                    imageForSheet(sheet, ZVDesignHelper::sharedInstance(), m_dpi, colorSpace);
                if (!bitmap)
                    return bitmap.error();
                return encodeBitmap(*bitmap, m_format, quality);
            },
            path);
    }
}

ExportCommand::WriteResult ExportCommand::writeFileWithCheck(const std::function<Result<QByteArray>()>& data,
                                                             const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    // Nothing to ask about what will not be replaced.
    if (const Status special = refuseSpecialTarget(path); !special) {
        reportFailure(special.error().message);
        return WriteResult::Failed;
    }
    if (QFileInfo::exists(path)) {
        AlertRequest question;
        question.messageText = tr("%1 already exists. Do you want to replace it?").arg(name);
        question.informativeText = tr("A file or folder with the same name already exists in the folder “%1”. "
                                      "Replacing it will overwrite its current contents.")
                                       .arg(folderName(path));
        question.buttons = {tr("Replace"), tr("Cancel")};
        question.style = AlertRequest::Style::Warning;
        // Nobody to ask: what is there stays.
        if (!m_context.prompter || m_context.prompter->runAlert(question) != 0) {
            m_declined.append(path);
            return WriteResult::Declined;
        }
    }
    const Result<QByteArray> bytes = data();
    if (!bytes) {
        reportFailure(tr("The file “%1” could not be exported.").arg(name), bytes.error().message);
        return WriteResult::Failed;
    }
    if (const Status written = writeFileAtomically(path, *bytes); !written) {
        reportFailure(written.error().message);
        return WriteResult::Failed;
    }
    m_written.append(path);
    return WriteResult::Written;
}

} // namespace ql
