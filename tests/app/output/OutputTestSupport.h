// Helpers of the output tests: documents built in code and saved, the
// page-render tool run on them, and independent readers of what it wrote
// (poppler for PDFs, PIL for pictures, tiffinfo for TIFFs).
#pragma once

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "platform/graphics/BezierPath.h"
#include "support/DecodedPicture.h"

#include <QImage>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>

class ZVPuttyView;

namespace ql::testing {

// What a run of a program gave.
struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun runProgram(const QString& program, const QStringList& arguments);
// page-render with these arguments.
ProgramRun pageRender(const QStringList& arguments);

// A word pdftotext finds, its box in points (y down).
struct PdfWord {
    double xMin, yMin, xMax, yMax;
    QString text;
};
// The words of each page of a PDF, in pdftotext's reading order.
QList<QList<PdfWord>> pdfPageWords(const QString& pdf);

// A page of `size` points (trim size, no bleed), appended to the content pages.
ZVCanvasView* addPage(Document& document, QSizeF size = QSizeF(612, 792));
// A rectangle shape filled with `colour`, its content at `content`.
ZVPuttyView* addFilledRect(ZVCanvasView& page, const QRectF& content, const QColor& colour);
// The document saved to `path`.
void save(Document& document, const QString& path);

// What PIL says of a picture: "mode", "size" [w, h], "dpi" [x, y] when
// stored, "pixels" (the raw values at `points`, in the picture's own
// mode), "colours" (how many, or -1 past 256), "profile" (bytes of the
// embedded ICC profile, 0 for none), "grey_back" (the pixel at the first
// point turned back to RGB through the embedded profile).
QJsonObject probe(const QString& path, const QList<QPoint>& points = {});
// The page rasterised by pdftoppm at `dpi`.
QImage pdfPage(const QString& pdf, int page, int dpi = 72);
// The pictures and masks `pdfimages -list` finds, a row of columns each:
// page at 0, type at 2, width and height at 3 and 4, object at 10, x-ppi at 12.
QList<QStringList> pdfImageRows(const QString& pdf);

// The centroid of the pixels for which `chosen` holds; (-1, -1) for none.
QPointF centroid(const QImage& image, const std::function<bool(QColor)>& chosen, QRect area = {});

bool isRed(QColor c);
bool isWhite(QColor c);

} // namespace ql::testing
