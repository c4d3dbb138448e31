#include "app/output/PdfOutput.h"

#include "app/output/PdfPictureSharing.h"
#include "app/output/SheetDocument.h"

#include <QBuffer>
#include <QList>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRectF>
#include <QSizeF>
#include <cmath>
#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

namespace ql {

namespace {

// Raster layers (blurred shadows) are drawn at this resolution; everything
// else stays vectors whatever it is.
constexpr int kRasterResolution = 144;

Error pdfError(const QString& message)
{
    return Error {QStringLiteral("Quiverleaf.output"), 1, message};
}

// The largest page side a PDF reader must show: 200 inches.
constexpr double kLargestPageSide = 14400.0;

bool drawable(const QRectF& sheet)
{
    return sheet.width() >= 1.0 && sheet.height() >= 1.0;
}

// The writer takes whole points only: the page is made at least as large,
// and its boxes are set to the sheet afterwards.
QPageSize wholePointSize(const QRectF& sheet)
{
    return QPageSize(QSize(int(std::ceil(sheet.width() - 1e-6)), int(std::ceil(sheet.height() - 1e-6))),
                     QString(), QPageSize::ExactMatch);
}

// What a written page is: the sheet's size, and its trim within it from the
// top-left corner, in points.
struct SheetBoxes {
    QSizeF size;
    QRectF trim;
};

// Sets the media, crop and bleed boxes of each page to (0, 0, width, height)
// of its sheet and the trim box to its trim, moving the drawing so that it
// keeps its place from the top-left corner.
Status setPageBoxes(QPDF& document, const QList<SheetBoxes>& sheets)
{
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(document).getAllPages();
    if (pages.size() != size_t(sheets.size()))
        return pdfError(QStringLiteral("The PDF has %1 pages instead of %2.").arg(pages.size()).arg(sheets.size()));
    for (size_t i = 0; i < pages.size(); ++i) {
        QPDFObjectHandle page = pages[i].getObjectHandle();
        const QPDFObjectHandle::Rectangle written = page.getKey("/MediaBox").getArrayAsRectangle();
        const QSizeF size = sheets[qsizetype(i)].size;
        const QRectF trim = sheets[qsizetype(i)].trim;
        // The drawing hangs from the written page's top edge; keep it
        // hanging from the sheet's.
        const double shift = size.height() - (written.ury - written.lly);
        if (std::abs(shift) > 1e-9) {
            const std::string move = "1 0 0 1 0 " + QString::number(shift, 'f', 6).toStdString() + " cm\n";
            pages[i].addPageContents(QPDFObjectHandle::newStream(&document, move), true);
        }
        for (const char* box : {"/MediaBox", "/CropBox", "/BleedBox"}) {
            page.replaceKey(box, QPDFObjectHandle::newFromRectangle(
                                     QPDFObjectHandle::Rectangle(0, 0, size.width(), size.height())));
        }
        // PDF counts upwards from the bottom edge. No art box: print
        // checks want a trim box or an art box, not both.
        page.replaceKey("/TrimBox", QPDFObjectHandle::newFromRectangle(QPDFObjectHandle::Rectangle(
                                        trim.left(), size.height() - trim.bottom(), trim.right(),
                                        size.height() - trim.top())));
        page.removeKey("/ArtBox");
    }
    return {};
}

// The written PDF read and written anew, each picture stored once and each
// page's boxes made its sheet's.
Result<QByteArray> finished(const QByteArray& pdf, const QList<SheetBoxes>& sheets)
{
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("sheets", pdf.constData(), size_t(pdf.size()));
        PdfPictureSharing(document).shareEqualPictures();
        if (const Status boxes = setPageBoxes(document, sheets); !boxes)
            return boxes.error();
        QPDFWriter writer(document);
        writer.setOutputMemory();
        writer.setStaticID(false);
        writer.write();
        const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(out->getBuffer()), qsizetype(out->getSize()));
    } catch (const std::exception& failure) {
        return pdfError(QStringLiteral("The PDF could not be finished: %1").arg(QString::fromLocal8Bit(failure.what())));
    }
}

} // namespace

Result<QByteArray> pdfData(const SheetDocument& document, ZVDesignHelper& helper)
{
    for (int i = 0; i < document.pageCount(); ++i) {
        const QRectF bounds = document.page(i).boundsForBox();
        if (drawable(bounds) && (bounds.width() > kLargestPageSide || bounds.height() > kLargestPageSide)) {
            return pdfError(QStringLiteral("Page %1 is too large for a PDF: a PDF page can be at most "
                                           "200 × 200 inches (14,400 × 14,400 points).")
                                .arg(i + 1));
        }
    }
    QByteArray bytes;
    QList<SheetBoxes> sheets;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Quiverleaf"));
        writer.setResolution(kRasterResolution);
        QPainter painter;
        for (int i = 0; i < document.pageCount(); ++i) {
            const ZVPDFPage& sheet = document.page(i);
            const QRectF bounds = sheet.boundsForBox();
            if (!drawable(bounds))
                continue;
            writer.setPageSize(wholePointSize(bounds));
            writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
            if (sheets.isEmpty()) {
                if (!painter.begin(&writer))
                    return pdfError(QStringLiteral("The PDF could not be started."));
            } else if (!writer.newPage()) {
                return pdfError(QStringLiteral("A page could not be added to the PDF."));
            }
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.scale(kRasterResolution / 72.0, kRasterResolution / 72.0);
            sheet.drawWithBox(painter, helper);
            painter.restore();
            sheets.append({bounds.size(), sheet.trimBox()});
        }
        if (painter.isActive())
            painter.end();
    }
    if (sheets.isEmpty())
        return pdfError(QStringLiteral("There are no pages to write."));
    return finished(bytes, sheets);
}

QByteArray compactedPDF(const QByteArray& pdf)
{
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.processMemoryFile("picture", pdf.constData(), size_t(pdf.size()));
        QPDFWriter writer(document);
        writer.setOutputMemory();
        writer.setCompressStreams(true);
        writer.setObjectStreamMode(qpdf_o_generate);
        writer.write();
        const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
        if (out && out->getSize() < size_t(pdf.size()))
            return QByteArray(reinterpret_cast<const char*>(out->getBuffer()), qsizetype(out->getSize()));
    } catch (const std::exception&) {
    }
    return pdf;
}

} // namespace ql
