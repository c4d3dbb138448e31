#include "app/export/TemplateSaver.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/DocumentBudget.h"
#include "app/document/DocumentController.h"
#include "app/output/BitmapWriters.h"
#include "app/output/SheetDocument.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/FileReading.h"
#include "platform/ui/Prompter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ql {

namespace {

// The thumbnail's resolution and JPEG compression factor.
constexpr int kThumbnailResolution = 35;
constexpr double kThumbnailQuality = 0.8;

Result<QByteArray> thumbnailOf(Document& document)
{
    const SheetDocument sheets = documentForPages({document.pages().constFirst()}, document.formatAsBooklet());
    const Result<SheetBitmap> bitmap =
        sheets.pageCount() > 0 ? imageForSheet(sheets.page(0), ZVDesignHelper::sharedInstance(), kThumbnailResolution, 0)
                               : Result<SheetBitmap>(SheetBitmap());
    if (!bitmap)
        return bitmap.error();
    if (bitmap->isNull())
        return Error {kFileWriteErrorDomain, 1, QObject::tr("The first page is too small for a picture.")};
    return encodeJPEG(*bitmap, kThumbnailQuality);
}

Result<QByteArray> savedFileOf(const Document& document)
{
    if (document.filePath().isEmpty())
        return Error {kFileWriteErrorDomain, 1, QObject::tr("The document's file could not be read.")};
    Result<QByteArray> data = readFileWithin(document.filePath(), DocumentBudget::kMaxBytes);
    if (!data)
        return Error {kFileWriteErrorDomain, 1,
                      QObject::tr("The document's file could not be read: %1").arg(data.error().message)};
    return data;
}

} // namespace

void TemplateSaver::alert(const QString& message, const QString& informative, const QStringList& buttons) const
{
    if (!m_prompter)
        return;
    AlertRequest request;
    request.messageText = message;
    request.informativeText = informative;
    request.buttons = buttons;
    request.style = AlertRequest::Style::Warning;
    m_prompter->runAlert(request);
}

TemplateSaver::Outcome TemplateSaver::saveTemplateNext(const QString& name)
{
    // A name of nothing but characters no file name may hold is no name.
    const QString stem = ZVDesignHelper::sanitizeFileNameString(name);
    if (stem.isEmpty()) {
        alert(QObject::tr("Please give this template a name."), {});
        return Outcome::NotSaved;
    }
    const QString folder = ZVDesignHelper::templatesFolder();
    const QString copyPath = QDir(folder).filePath(ZVDesignHelper::sanitizeFileNameString(
        name + QLatin1Char('.') + kDesktopDocumentExtension));
    const QString thumbnailPath =
        QDir(folder).filePath(ZVDesignHelper::sanitizeFileNameString(name + QStringLiteral(".jpg")));
    const QString failed = QObject::tr("The template “%1” could not be saved.").arg(stem);
    // Nothing to ask about what will not be replaced.
    for (const QString& path : {copyPath, thumbnailPath}) {
        if (const Status special = refuseSpecialTarget(path); !special) {
            alert(failed, special.error().message);
            return Outcome::Failed;
        }
    }
    if (QFileInfo::exists(copyPath) || QFileInfo::exists(thumbnailPath)) {
        AlertRequest question;
        question.messageText = QObject::tr("%1 already exists. Do you want to replace it?").arg(stem);
        question.informativeText = QObject::tr("A template with the same name already exists. "
                                               "Replacing it will overwrite its current contents.");
        question.buttons = {QObject::tr("Replace"), QObject::tr("Cancel")};
        question.style = AlertRequest::Style::Warning;
        if (!m_prompter || m_prompter->runAlert(question) != 0)
            return Outcome::NotSaved;
    }

    const Result<QByteArray> copy = savedFileOf(m_document);
    if (!copy) {
        alert(failed, copy.error().message);
        return Outcome::Failed;
    }
    const Result<QByteArray> thumbnail = thumbnailOf(m_document);
    if (!thumbnail) {
        alert(failed, thumbnail.error().message);
        return Outcome::Failed;
    }
    if (!QDir().mkpath(folder)) {
        alert(failed, QObject::tr("The folder %1 could not be made.").arg(folder));
        return Outcome::Failed;
    }
    for (const auto& [path, data] : {std::pair(copyPath, *copy), std::pair(thumbnailPath, *thumbnail)}) {
        if (const Status written = writeFileAtomically(path, data); !written) {
            alert(failed, written.error().message);
            return Outcome::Failed;
        }
    }
    return Outcome::Saved;
}

} // namespace ql
