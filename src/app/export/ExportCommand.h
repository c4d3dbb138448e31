// One export of a document's shown pages, after the export sheet's Next:
// the sheets are made while the panel reads "Rendering...", the user picks
// a folder, and the files are written while it reads "Saving...": one PDF,
// or one picture per sheet, each drawn only when its file is written. An
// existing file is replaced only when the user says so; a file that cannot
// be written is reported and the others are still written.
#pragma once

#include "app/export/OutputCommand.h"
#include "app/output/BitmapWriters.h"
#include "app/output/SheetDocument.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QPointer>
#include <functional>

namespace ql {

// The user default holding the folder of the last export; the next folder
// panel opens there.
inline const QString kExportDirectoryKey = QStringLiteral("ExportDirectory");

class ExportCommand : public OutputCommand {
    Q_OBJECT
public:
    enum class WriteResult { Written, Declined, Failed };

    ExportCommand(Document& document, const OutputContext& context);
    ~ExportCommand() override;

    // Starts the export with the document's export settings.
    void finishExport();
    // Writes one file unless the user declines to replace one already there.
    // The data is made only once the file is to be written.
    WriteResult writeFileWithCheck(const std::function<Result<QByteArray>()>& data, const QString& path);

    // The files written and the files the user kept, by path.
    const QStringList& writtenFiles() const { return m_written; }
    const QStringList& declinedFiles() const { return m_declined; }

signals:
    // The sheet's work is done: it closes once the rendering begins.
    void sheetEnded();

private:
    void render();
    void askForFolder();
    void write(const QString& folder);
    void writeSheets(const QString& folder);
    // Names the elements and backgrounds whose pictures could only be drawn
    // as placeholders.
    void warnAboutPlaceholders();

    ExportFormat m_format = ExportFormat::PDF;
    QString m_baseName;
    QString m_extension;
    int m_dpi = 72;
    QList<QPointer<ZVCanvasView>> m_selection;
    SheetDocument m_sheets;
    QByteArray m_pdf;
    QStringList m_written;
    QStringList m_declined;
};

} // namespace ql
