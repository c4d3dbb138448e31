#include "app/export/PrintCommand.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/output/SheetDocument.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/Prompter.h"

#include <QPageRanges>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace ql {

namespace {

void applyPrintInfo(const PrintInfo& info, QPrinter& printer)
{
    if (!info.printerName.isEmpty())
        printer.setPrinterName(info.printerName);
    if (!info.outputFileName.isEmpty())
        printer.setOutputFileName(info.outputFileName);
    if (info.pageLayout)
        printer.setPageLayout(*info.pageLayout);
    printer.setCopyCount(info.copyCount);
    printer.setCollateCopies(info.collateCopies);
    printer.setDuplex(QPrinter::DuplexMode(info.duplexMode));
    printer.setColorMode(QPrinter::ColorMode(info.colorMode));
}

PrintInfo printInfoOf(const QPrinter& printer)
{
    PrintInfo info;
    info.pageLayout = printer.pageLayout();
    info.printerName = printer.printerName();
    info.outputFileName = printer.outputFileName();
    info.copyCount = printer.copyCount();
    info.collateCopies = printer.collateCopies();
    info.duplexMode = int(printer.duplex());
    info.colorMode = int(printer.colorMode());
    return info;
}

Error printError(const QString& message)
{
    return Error {QStringLiteral("Quiverleaf.print"), 1, message};
}

bool isLandscape(QSizeF size)
{
    return size.width() > size.height();
}

bool isPortrait(QSizeF size)
{
    return size.height() > size.width();
}

} // namespace

void PrintCommand::printDocument()
{
    NotificationCenter::defaultCenter().post(QStringLiteral("disableDrawingView"));
    continueAfterPanel(tr("Rendering..."), [this] { print(); });
}

void PrintCommand::print()
{
    const SheetDocument sheets = documentForPages(m_document.pages(), m_document.formatAsBooklet());
    QPrinter printer(QPrinter::HighResolution);
    applyPrintInfo(m_document.printInfo(), printer);
    if (m_context.prompter && m_context.prompter->runPrintDialog(printer, sheets.pageCount())) {
        m_document.setPrintInfo(printInfoOf(printer));
        if (const Status printed = printSheets(sheets, printer); !printed)
            reportFailure(tr("The pages could not be printed."), printed.error().message);
    }
    finish();
}

QList<int> PrintCommand::sheetsToPrint(const QPrinter& printer, int sheetCount)
{
    const QPageRanges range = printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
    QList<int> chosen;
    for (int i = 0; i < sheetCount; ++i) {
        if (range.isEmpty() || range.contains(i + 1))
            chosen.append(i);
    }
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        std::reverse(chosen.begin(), chosen.end());
    // A print system that makes copies makes them from one.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QList<int> order;
    if (printer.collateCopies()) {
        for (int copy = 0; copy < copies; ++copy)
            order += chosen;
    } else {
        for (int sheet : std::as_const(chosen))
            order += QList<int>(copies, sheet);
    }
    return order;
}

Status PrintCommand::printSheets(const SheetDocument& sheets, QPrinter& printer)
{
    const QList<int> order = sheetsToPrint(printer, sheets.pageCount());
    if (order.isEmpty())
        return printError(tr("None of the chosen pages is in the document."));
    // The painter works on the whole sheet of paper, in points.
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        return printError(tr("The printer could not be started."));
    const QSizeF paper = printer.pageLayout().fullRectPoints().size();
    const double scale = printer.resolution() / 72.0;
    bool first = true;
    for (int i : order) {
        const ZVPDFPage& sheet = sheets.page(i);
        const QSizeF size = sheet.boundsForBox().size();
        if (size.isEmpty())
            continue;
        if (!first && !printer.newPage())
            return printError(tr("The printer took no further page."));
        first = false;
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.scale(scale, scale);
        painter.translate(paper.width() / 2, paper.height() / 2);
        if ((isLandscape(size) && isPortrait(paper)) || (isPortrait(size) && isLandscape(paper)))
            painter.rotate(90);
        painter.translate(-size.width() / 2, -size.height() / 2);
        sheet.drawWithBox(painter, ZVDesignHelper::sharedInstance());
        painter.restore();
    }
    if (!painter.end())
        return printError(tr("The printer could not finish."));
    return {};
}

} // namespace ql
