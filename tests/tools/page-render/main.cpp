// page-render DOC OUT_FOLDER [--format pdf|jpeg|png|tiff] [--dpi 72|300|600|1200]
//             [--cmyk] [--quality Q] [--range START END] [--booklet] [--name BASE]
// Exports the document's shown pages (or the one-based range; a
// mobile-edition design, ".qvmobile", is imported first) through the
// export itself, as a user would with the export sheet: one PDF, or one
// picture per sheet, named like exported files ("BASE.pdf", "BASE_1.png",
// ...; BASE defaults to DOC's name). The folder panel is answered with
// OUT_FOLDER and every question about an existing file with "Replace";
// pictures are drawn and written one sheet at a time. --booklet imposes the
// pages as a booklet (so does a document saved as one). --cmyk applies to
// JPEG and TIFF only. Exit 0; or 1 with one line naming the cause, having
// written nothing when the command line or the document is at fault, or
// having written the other files when one could not be written. Pictures
// that cannot be decoded are drawn as placeholders: the output is written
// and the run exits 1 with one line naming the elements that hold them.
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/export/ExportCommand.h"
#include "app/output/ExportNaming.h"
#include "platform/ui/ScriptedPrompter.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <optional>

namespace {

struct Options {
    QString document;
    QString folder;
    ql::ExportFormat format = ql::ExportFormat::PDF;
    int dpi = 300;
    bool cmyk = false;
    double quality = 8.0;
    std::optional<std::pair<int, int>> range;
    bool booklet = false;
    QString name;
};

// The tool says one line when it fails; the toolkit's own chatter stays out.
void quiet(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "page-render: %s\n", qPrintable(message));
}

int failWith(const QString& message)
{
    std::fprintf(stderr, "page-render: %s\n", qPrintable(message));
    return 1;
}

bool readInt(const QString& text, int& value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok;
}

// An empty string when the command line is sound, else what is wrong.
QString parse(const QStringList& arguments, Options& options)
{
    QStringList positional;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto next = [&](QString& value) {
            if (i + 1 >= arguments.size())
                return false;
            value = arguments[++i];
            return true;
        };
        QString value;
        if (argument == QLatin1String("--format")) {
            if (!next(value))
                return QStringLiteral("--format needs pdf, jpeg, png or tiff");
            if (value == QLatin1String("pdf"))
                options.format = ql::ExportFormat::PDF;
            else if (value == QLatin1String("jpeg") || value == QLatin1String("jpg"))
                options.format = ql::ExportFormat::JPEG;
            else if (value == QLatin1String("png"))
                options.format = ql::ExportFormat::PNG;
            else if (value == QLatin1String("tiff") || value == QLatin1String("tif"))
                options.format = ql::ExportFormat::TIFF;
            else
                return QStringLiteral("unknown format %1 (pdf, jpeg, png or tiff)").arg(value);
        } else if (argument == QLatin1String("--dpi")) {
            if (!next(value) || !readInt(value, options.dpi)
                || (options.dpi != 72 && options.dpi != 300 && options.dpi != 600 && options.dpi != 1200))
                return QStringLiteral("--dpi takes 72, 300, 600 or 1200, not %1").arg(value);
        } else if (argument == QLatin1String("--cmyk")) {
            options.cmyk = true;
        } else if (argument == QLatin1String("--quality")) {
            bool ok = false;
            if (next(value))
                options.quality = value.toDouble(&ok);
            if (!ok || options.quality < 0)
                return QStringLiteral("--quality takes a number of 0 or more, not %1").arg(value);
        } else if (argument == QLatin1String("--range")) {
            QString start;
            QString end;
            int first = 0;
            int last = 0;
            if (!next(start) || !next(end) || !readInt(start, first) || !readInt(end, last))
                return QStringLiteral("--range takes two page numbers");
            options.range = std::make_pair(first, last);
        } else if (argument == QLatin1String("--booklet")) {
            options.booklet = true;
        } else if (argument == QLatin1String("--name")) {
            if (!next(options.name) || options.name.isEmpty())
                return QStringLiteral("--name needs a base name");
        } else if (argument.startsWith(QLatin1String("--"))) {
            return QStringLiteral("unknown option %1").arg(argument);
        } else {
            positional.append(argument);
        }
    }
    if (positional.size() != 2)
        return QStringLiteral("usage: page-render DOC OUT_FOLDER [--format pdf|jpeg|png|tiff] "
                              "[--dpi 72|300|600|1200] [--cmyk] [--quality Q] [--range START END] "
                              "[--booklet] [--name BASE]");
    options.document = positional[0];
    options.folder = positional[1];
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    QApplication app(argc, argv);
    Options options;
    if (const QString problem = parse(QCoreApplication::arguments(), options); !problem.isEmpty())
        return failWith(problem);

    const QFileInfo folder(options.folder);
    if (!folder.exists())
        return failWith(QStringLiteral("the output folder %1 does not exist").arg(options.folder));
    if (!folder.isDir())
        return failWith(QStringLiteral("%1 is not a folder").arg(options.folder));

    QFile file(options.document);
    if (!file.open(QIODevice::ReadOnly))
        return failWith(QStringLiteral("cannot read %1: %2").arg(options.document, file.errorString()));
    ql::Document document;
    // A mobile-edition design is imported, as the program opens it.
    const QString type = ql::DocumentController::typeForFile(options.document);
    if (const ql::Status read = document.readFromData(file.readAll(), type.isEmpty() ? ql::kDesktopDocumentType : type);
        !read)
        return failWith(QStringLiteral("cannot open %1: %2").arg(options.document, read.error().message));
    const int count = int(document.pages().size());
    if (count == 0)
        return failWith(QStringLiteral("%1 has no pages").arg(options.document));
    if (options.range) {
        const auto [first, last] = *options.range;
        if (first < 1 || last < first || last > count)
            return failWith(QStringLiteral("the range %1 to %2 is not within pages 1 to %3").arg(first).arg(last).arg(count));
    }

    // The settings in the order the sheet offers them: the format first,
    // whose rules reset the others.
    document.setValueForKey(u"exportFileFormat", int(options.format));
    document.setExportControls();
    document.setValueForKey(u"exportFileResolution", options.dpi == 72 ? 0 : options.dpi == 600 ? 2 : options.dpi == 1200 ? 3 : 1);
    if (document.exportCMYKEligible())
        document.setValueForKey(u"exportColorSpace", options.cmyk ? 1 : 0);
    document.setValueForKey(u"exportImageQuality", options.quality);
    if (options.range) {
        document.setValueForKey(u"exportPageRangeType", 1);
        document.setValueForKey(u"exportPageStart", options.range->first);
        document.setValueForKey(u"exportPageEnd", options.range->second);
    }
    if (options.booklet)
        document.setFormatAsBooklet(true);
    document.setExportFileName(options.name.isEmpty() ? QFileInfo(options.document).fileName() : options.name);

    // Unanswered alerts take their first button: "Replace" for a file that is there.
    ql::ScriptedPrompter prompter;
    prompter.answerFolderPanel(options.folder);
    ql::OutputContext context;
    context.prompter = &prompter;
    auto* command = new ql::ExportCommand(document, context);
    QStringList failures;
    QEventLoop loop;
    QObject::connect(command, &ql::ExportCommand::finished, &loop, [&](bool) {
        failures = command->failures();
        loop.quit();
    });
    command->finishExport();
    loop.exec();
    if (!failures.isEmpty())
        return failWith(failures.join(QStringLiteral("; ")));
    return 0;
}
