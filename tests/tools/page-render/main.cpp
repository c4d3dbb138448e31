// page-render DOC OUT_FOLDER [--format pdf|jpeg|png|tiff] [--dpi 72|300|600|1200]
//             [--cmyk] [--quality Q] [--range START END] [--booklet] [--name BASE]
// Writes the document's shown pages (or the one-based range) as export does:
// one PDF, or one picture per sheet, named like exported files ("BASE.pdf",
// "BASE_1.png", ...; BASE defaults to DOC's name). Existing files are
// replaced; pictures are drawn and written one sheet at a time. --booklet
// imposes the pages as a booklet (so does a document saved as one).
// Exit 0, or 1 with one line naming the cause and nothing written. Pictures
// that cannot be decoded are drawn as placeholders: the output is written and
// the run exits 1 with one line naming the elements that hold them.
#include "app/design/ZVDesignHelper.h"
#include "app/document/AtomicFileWriter.h"
#include "app/document/Document.h"
#include "app/output/BitmapWriters.h"
#include "app/output/ExportNaming.h"
#include "app/output/PdfOutput.h"
#include "app/output/SheetDocument.h"
#include "canvas/ZVPuttyView.h"

#include <QApplication>
#include <QDir>
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

// Where output drew placeholders, as one line: elements by their UUID,
// pages by their number in the document.
int reportUndecodable(const QList<ZVCanvasView*>& pages, const QList<ZVCanvasView*>& documentPages)
{
    const QList<ql::ZVDesignHelper::UndecodablePicture> missing = ql::ZVDesignHelper::undecodablePictures(pages);
    if (missing.isEmpty())
        return 0;
    QStringList places;
    for (const ql::ZVDesignHelper::UndecodablePicture& picture : missing) {
        const qsizetype number = documentPages.indexOf(const_cast<ZVCanvasView*>(picture.page)) + 1;
        places.append(picture.element ? QStringLiteral("element %1 on page %2").arg(picture.element->uuid()).arg(number)
                                      : QStringLiteral("the background of page %1").arg(number));
    }
    return failWith(QStringLiteral("pictures that could not be decoded are drawn as placeholders: %1")
                        .arg(places.join(QStringLiteral(", "))));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quiet);
    ql::ignoreFileSizeLimitSignal();
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
    if (const ql::Status read = document.readFromData(file.readAll(), ql::kDesktopDocumentType); !read)
        return failWith(QStringLiteral("cannot open %1: %2").arg(options.document, read.error().message));

    QList<ZVCanvasView*> pages = document.pages();
    if (options.range) {
        const auto [first, last] = *options.range;
        if (first < 1 || last < first || last > pages.size())
            return failWith(QStringLiteral("the range %1 to %2 is not within pages 1 to %3")
                                .arg(first)
                                .arg(last)
                                .arg(pages.size()));
        pages = pages.mid(first - 1, last - first + 1);
    }
    if (pages.isEmpty())
        return failWith(QStringLiteral("%1 has no pages").arg(options.document));

    const ql::SheetDocument sheets = ql::documentForPages(pages, options.booklet || document.formatAsBooklet());
    ql::ZVDesignHelper& helper = ql::ZVDesignHelper::sharedInstance();
    const QString base = ql::exportBaseName(options.name.isEmpty() ? QFileInfo(options.document).fileName()
                                                                   : options.name);
    const QString extension = ql::exportExtension(int(options.format));
    const QDir out(options.folder);

    if (options.format == ql::ExportFormat::PDF) {
        const ql::Result<QByteArray> pdf = ql::pdfData(sheets, helper);
        if (!pdf)
            return failWith(pdf.error().message);
        const QString path = out.filePath(ql::exportFileName(base, extension, 1, 1));
        if (const ql::Status written = ql::writeFileAtomically(path, *pdf); !written)
            return failWith(written.error().message);
        return reportUndecodable(pages, document.pages());
    }

    // PNG holds RGB only, as export sets it.
    const int colorSpace = options.cmyk && options.format != ql::ExportFormat::PNG ? ql::kCMYKColorSpace : 0;
    int drawable = 0;
    for (int i = 0; i < sheets.pageCount(); ++i) {
        const QRectF bounds = sheets.page(i).boundsForBox();
        if (int(bounds.width() * options.dpi / 72.0) >= 1 && int(bounds.height() * options.dpi / 72.0) >= 1)
            ++drawable;
    }
    if (drawable == 0)
        return failWith(QStringLiteral("no page is large enough to draw"));
    int number = 0;
    for (int i = 0; i < sheets.pageCount(); ++i) {
        ql::Result<ql::SheetBitmap> bitmap = ql::imageForSheet(sheets.page(i), helper, options.dpi, colorSpace);
        if (!bitmap)
            return failWith(bitmap.error().message);
        if (bitmap->isNull())
            continue;
        const ql::Result<QByteArray> data = ql::encodeBitmap(*bitmap, options.format, options.quality);
        if (!data)
            return failWith(data.error().message);
        const QString path = out.filePath(ql::exportFileName(base, extension, ++number, drawable));
        if (const ql::Status written = ql::writeFileAtomically(path, *data); !written)
            return failWith(written.error().message);
    }
    return reportUndecodable(pages, document.pages());
}
